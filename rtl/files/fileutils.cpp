// SPDX-License-Identifier: MIT
// The platform-neutral part of the file services: name splitting. The
// file-system calls live in the back end.
#include "rtl/files/fileutils.h"

#include <atomic>

namespace rtl {
namespace {

// A separator, or the delimiter that ends a drive where names have drives.
constexpr bool EndsPart(char C) {
  return IsPathDelimiter(C) || (DriveDelim != '\0' && C == DriveDelim);
}

size_t LastDelimiter(const std::string& FileName) {
  for (size_t I = FileName.size(); I > 0; --I)
    if (EndsPart(FileName[I - 1])) return I - 1;
  return std::string::npos;
}

}  // namespace

std::string ExtractFileName(const std::string& FileName) {
  const size_t Last = LastDelimiter(FileName);
  return Last == std::string::npos ? FileName : FileName.substr(Last + 1);
}

std::string ExtractFilePath(const std::string& FileName) {
  const size_t Last = LastDelimiter(FileName);
  return Last == std::string::npos ? std::string() : FileName.substr(0, Last + 1);
}

std::string ExtractFileDir(const std::string& FileName) {
  std::string Dir = ExtractFilePath(FileName);
  // "/" and the doubled separator of "a//b" are kept: removing them would
  // name another directory; so is the separator right after a drive.
  if (Dir.size() > 1 && IsPathDelimiter(Dir.back()) && !EndsPart(Dir[Dir.size() - 2]))
    Dir.pop_back();
  return Dir;
}

}  // namespace rtl
