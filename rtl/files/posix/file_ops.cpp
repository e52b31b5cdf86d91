// SPDX-License-Identifier: MIT
// Directory, rename, delete and handle-level services.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/file_attr.h"
#include "rtl/files/posix/sys_call.h"

namespace rtl {
namespace {

bool StatOf(const std::string& Name, struct stat& St) {
  return posix::UsableName(Name) && stat(Name.c_str(), &St) == 0;
}

// For file systems without RENAME_NOREPLACE: a hard link cannot replace an
// existing name either, so link + unlink keeps the promise for a regular file.
bool LinkAndUnlink(const std::string& OldName, const std::string& NewName) {
  struct stat St;
  if (lstat(OldName.c_str(), &St) != 0 || !S_ISREG(St.st_mode)) return false;
  if (posix::Link(OldName.c_str(), NewName.c_str()) != 0) return false;
  if (posix::Unlink(OldName.c_str()) == 0) return true;
  // Leave things as they were rather than with the file under two names.
  ::unlink(NewName.c_str());
  return false;
}

}  // namespace

std::string GetCurrentDir() {
  // glibc allocates what the name needs, also beyond PATH_MAX.
  std::unique_ptr<char, decltype(&std::free)> Dir(getcwd(nullptr, 0), &std::free);
  return Dir ? std::string(Dir.get()) : std::string();
}

bool SetCurrentDir(const std::string& Dir) {
  return posix::UsableName(Dir) && chdir(Dir.c_str()) == 0;
}

bool CreateDir(const std::string& Dir) {
  return posix::UsableName(Dir) && mkdir(Dir.c_str(), 0777) == 0;
}

bool FileExists(const std::string& FileName) {
  struct stat St;
  return StatOf(FileName, St) && !S_ISDIR(St.st_mode);
}

bool DirectoryExists(const std::string& Name) {
  struct stat St;
  return StatOf(Name, St) && S_ISDIR(St.st_mode);
}

bool DirectoryEnterable(const std::string& Name) {
  return DirectoryExists(Name) && faccessat(AT_FDCWD, Name.c_str(), X_OK, AT_EACCESS) == 0;
}

bool DeleteFile(const std::string& FileName) {
  return posix::UsableName(FileName) && posix::Unlink(FileName.c_str()) == 0;
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  if (!posix::UsableName(OldName) || !posix::UsableName(NewName)) return false;
  // Plain rename() would silently replace NewName and lose that file.
  if (posix::RenameAt2(OldName.c_str(), NewName.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
    return LinkAndUnlink(OldName, NewName);
  }
  return false;
}

}  // namespace rtl

namespace rtl {

// There are no critical-error boxes here; the mode is only kept.
uint32_t SetErrorMode(uint32_t Mode) {
  static std::atomic<uint32_t> ErrorMode{0};
  return ErrorMode.exchange(Mode);
}

}  // namespace rtl
