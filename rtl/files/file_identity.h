// SPDX-License-Identifier: MIT
// Whether two names lead to the very same file.
#pragma once

#include <string>

#include "rtl/files/export.h"

namespace rtl {

// True when both names exist and lead to the same file (same device and
// inode), whatever the spelling: another case of a relative name, a symbolic
// link, a hard link, a doubled separator. Symbolic links are followed.
QUINDLE_RTL_FILES_EXPORT bool SameFile(const std::string& A, const std::string& B);

}  // namespace rtl
