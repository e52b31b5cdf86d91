// SPDX-License-Identifier: MIT
// The checksum routine with the number of reading threads chosen by the
// caller, for tests and benchmarks; FileCRC picks one per processor, at most
// four.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/export.h"

namespace quindle::detail {

QUINDLE_ENGINE_EXPORT std::string FileCRC(const std::string& FileName, unsigned Readers);

// Told the bytes checksummed so far, on the caller's thread, after each chunk
// or round of chunks (at most once per MiB); false stops the checksum.
using TCrcProgress = std::function<bool(uint64_t Done)>;
// FileCRC with a progress function. Stopped tells whether it stopped the
// checksum, which then gives "Error". An exception Progress raises leaves
// with every reading thread joined and every buffer released.
QUINDLE_ENGINE_EXPORT std::string FileCRC(const std::string& FileName, unsigned Readers,
                                          const TCrcProgress& Progress, bool& Stopped);
// The same with one reader per processor, at most four.
QUINDLE_ENGINE_EXPORT std::string FileCRC(const std::string& FileName, const TCrcProgress& Progress,
                                          bool& Stopped);

}  // namespace quindle::detail
