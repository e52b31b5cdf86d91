// SPDX-License-Identifier: MIT
// What the POSIX back end fixes for the whole platform layer: how an open
// file is held and how names are spelt.
#pragma once

#include <cstdint>

namespace rtl {

// An open file: a descriptor.
using THandle = int;
inline constexpr THandle InvalidHandle = -1;

// The separator of the parts of a name; there is no other, and no drive.
inline constexpr char PathDelim = '/';
inline constexpr char AltPathDelim = '/';
// No drive letters: ':' is an ordinary character.
inline constexpr char DriveDelim = '\0';
// Whether names that differ only in letter case name the same file.
inline constexpr bool CaseSensitiveNames = true;

// The packed file date-time counts these since 1970-01-01 UTC: microseconds,
// the finest step a TDateTime keeps for present-day dates.
inline constexpr int64_t FileDateTicksPerSecond = 1000000;

}  // namespace rtl
