// SPDX-License-Identifier: MIT
#include "rtl/files/file_identity.h"

#include <sys/stat.h>

namespace rtl {

bool SameFile(const std::string& A, const std::string& B) {
  struct stat SA {
  }, SB{};
  if (A.empty() || B.empty()) return false;
  if (stat(A.c_str(), &SA) != 0 || stat(B.c_str(), &SB) != 0) return false;
  return SA.st_dev == SB.st_dev && SA.st_ino == SB.st_ino;
}

}  // namespace rtl
