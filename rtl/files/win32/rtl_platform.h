// SPDX-License-Identifier: MIT
// What the Windows back end fixes for the whole platform layer: how an open
// file is held and how names are spelt. No Windows header is needed here.
#pragma once

#include <cstdint>

namespace rtl {

// An open file: a kernel handle. INVALID_HANDLE_VALUE is the all-ones value,
// not a null pointer (which CreateFileW never returns either).
using THandle = void*;
inline const THandle InvalidHandle = reinterpret_cast<THandle>(~uintptr_t{0});

// '\' separates the parts of a name, and '/' does as well; ':' ends a drive.
inline constexpr char PathDelim = '\\';
inline constexpr char AltPathDelim = '/';
inline constexpr char DriveDelim = ':';
// Whether names that differ only in letter case name the same file.
inline constexpr bool CaseSensitiveNames = false;

// The packed file date-time counts these since 1970-01-01 UTC: the 100 ns
// steps a FILETIME holds.
inline constexpr int64_t FileDateTicksPerSecond = 10000000;

}  // namespace rtl
