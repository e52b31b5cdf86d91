// SPDX-License-Identifier: MIT
// Internals shared by the POSIX file services: name checks and the mapping of
// a file's state to the DOS attribute word.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/files/export.h"

namespace rtl::posix {

// False for a name no call should be given: empty, or holding a NUL byte
// (which would silently cut the name short at the system call).
QUINDLE_RTL_FILES_EXPORT bool UsableName(std::string_view Name);

// True for the names the hidden bit follows from: a leading '.', except the
// directory entries "." and "..".
QUINDLE_RTL_FILES_EXPORT bool DotName(std::string_view LastComponent);

// The attribute word of the file FileName, whose stat data (symbolic links
// followed) is St and whose own name, for the hidden-by-name rule, is
// LastComponent.
QUINDLE_RTL_FILES_EXPORT int32_t AttrFromStat(const std::string& FileName,
                                              std::string_view LastComponent,
                                              const struct stat& St);

// Microseconds since 1970-01-01 UTC of the file's last write.
QUINDLE_RTL_FILES_EXPORT int64_t PackedMTime(const struct stat& St);

}  // namespace rtl::posix
