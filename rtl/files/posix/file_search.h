// SPDX-License-Identifier: MIT
// Wild-card matching of the directory search.
#pragma once

#include <string_view>

#include "rtl/files/export.h"

namespace rtl::posix {

// True when Name matches Pattern: '*' stands for any run of characters, '?'
// for exactly one character (one UTF-8 sequence, or one byte that is not part
// of a valid sequence), everything else for itself, case-sensitively. As on
// DOS, a pattern ending in ".*" also matches the name without that part, so
// "*.*" matches every name and "name.*" matches "name".
QUINDLE_RTL_FILES_EXPORT bool MatchesPattern(std::string_view Pattern, std::string_view Name);

}  // namespace rtl::posix
