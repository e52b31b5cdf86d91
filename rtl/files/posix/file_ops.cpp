// SPDX-License-Identifier: MIT
// Directory, rename, delete and handle-level services.
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/file_attr.h"

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
  if (link(OldName.c_str(), NewName.c_str()) != 0) return false;
  if (unlink(OldName.c_str()) == 0) return true;
  // Leave things as they were rather than with the file under two names.
  unlink(NewName.c_str());
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

bool DeleteFile(const std::string& FileName) {
  return posix::UsableName(FileName) && unlink(FileName.c_str()) == 0;
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  if (!posix::UsableName(OldName) || !posix::UsableName(NewName)) return false;
  // Plain rename() would silently replace NewName and lose that file.
  if (renameat2(AT_FDCWD, OldName.c_str(), AT_FDCWD, NewName.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
    return LinkAndUnlink(OldName, NewName);
  }
  return false;
}

THandle FileOpen(const std::string& FileName, uint32_t Mode) {
  static constexpr int kAccess[] = {O_RDONLY, O_WRONLY, O_RDWR};
  if (!posix::UsableName(FileName) || (Mode & 3) == 3) return -1;
  // O_NONBLOCK keeps a FIFO without a writer from hanging the open; it is
  // cleared again below for ordinary blocking reads. It is the only status
  // flag the open sets that F_SETFL can change, so clearing them all needs no
  // F_GETFL first.
  const int Fd = open(FileName.c_str(), kAccess[Mode & 3] | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (Fd < 0) return -1;
  struct stat St;
  if (fstat(Fd, &St) != 0 || S_ISDIR(St.st_mode) || fcntl(Fd, F_SETFL, 0) != 0) {
    close(Fd);
    return -1;
  }
  return Fd;
}

int32_t FileRead(THandle Handle, void* Buffer, int32_t Count) {
  if (Count < 0 || (Buffer == nullptr && Count > 0)) return -1;
  for (;;) {
    const ssize_t Got = read(Handle, Buffer, static_cast<size_t>(Count));
    if (Got >= 0) return static_cast<int32_t>(Got);
    if (errno != EINTR) return -1;
  }
}

int32_t FileReadAt(THandle Handle, void* Buffer, int32_t Count, int64_t Offset) {
  if (Count < 0 || Offset < 0 || (Buffer == nullptr && Count > 0)) return -1;
  char* P = static_cast<char*>(Buffer);
  int32_t Done = 0;
  while (Done < Count) {
    const ssize_t Got = pread(Handle, P + Done, static_cast<size_t>(Count - Done), Offset + Done);
    if (Got == 0) break;
    if (Got < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    Done += static_cast<int32_t>(Got);
  }
  return Done;
}

void FileClose(THandle Handle) {
  if (Handle >= 0) close(Handle);
}

}  // namespace rtl

namespace rtl {

// There are no critical-error boxes here; the mode is only kept.
uint32_t SetErrorMode(uint32_t Mode) {
  static std::atomic<uint32_t> ErrorMode{0};
  return ErrorMode.exchange(Mode);
}

}  // namespace rtl
