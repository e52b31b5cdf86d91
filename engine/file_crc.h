// SPDX-License-Identifier: MIT
// The checksum routine with the number of reading threads chosen by the
// caller, for tests and benchmarks; FileCRC picks one per processor, at most
// four.
#pragma once

#include <string>

#include "engine/export.h"

namespace quindle::detail {

QUINDLE_ENGINE_EXPORT std::string FileCRC(const std::string& FileName, unsigned Readers);

}  // namespace quindle::detail
