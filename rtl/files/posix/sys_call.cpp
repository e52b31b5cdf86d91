// SPDX-License-Identifier: MIT
#include "rtl/files/posix/sys_call.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace rtl::posix {

using rtl::detail::TFaultAction;
using rtl::detail::TFaultOp;

namespace {

// For a call that the hook makes fail: -1 with errno set. For one it makes
// short: the count it may transfer.
bool Fails(TFaultOp Op, size_t& Count) {
  const std::optional<TFaultAction> A = Fault(Op);
  if (!A) return false;
  if (A->Error) {
    errno = A->Error.value();
    return true;
  }
  Count = std::min(Count, static_cast<size_t>(std::max<int64_t>(A->ShortCount, 0)));
  return false;
}

bool Fails(TFaultOp Op) {
  size_t Unused = 0;
  return Fails(Op, Unused);
}

}  // namespace

int OpenAt(int Dir, const char* Name, int Flags, mode_t Mode) {
  if (Fails(TFaultOp::Open)) return -1;
  return ::openat(Dir, Name, Flags, Mode);
}

ssize_t Read(int Fd, void* Buffer, size_t Count) {
  if (Fails(TFaultOp::Read, Count)) return -1;
  return ::read(Fd, Buffer, Count);
}

ssize_t PRead(int Fd, void* Buffer, size_t Count, off_t Offset) {
  if (Fails(TFaultOp::Read, Count)) return -1;
  return ::pread(Fd, Buffer, Count, Offset);
}

ssize_t Write(int Fd, const void* Buffer, size_t Count) {
  if (Fails(TFaultOp::Write, Count)) return -1;
  return ::write(Fd, Buffer, Count);
}

ssize_t CopyFileRange(int In, int Out, size_t Count) {
  if (Fails(TFaultOp::Copy, Count)) return -1;
  return ::copy_file_range(In, nullptr, Out, nullptr, Count, 0);
}

int Close(int Fd) {
  if (Fails(TFaultOp::Close)) {
    // A failing close still releases the descriptor.
    const int Saved = errno;
    ::close(Fd);
    errno = Saved;
    return -1;
  }
  return ::close(Fd);
}

int FDataSync(int Fd) {
  if (Fails(TFaultOp::Sync)) return -1;
  return ::fdatasync(Fd);
}

int RenameAt2(const char* Old, const char* New, unsigned Flags) {
  if (Fails(TFaultOp::Rename)) return -1;
  if (Flags == 0) return ::rename(Old, New);
  return ::renameat2(AT_FDCWD, Old, AT_FDCWD, New, Flags);
}

int Link(const char* Old, const char* New) {
  if (Fails(TFaultOp::Rename)) return -1;
  return ::link(Old, New);
}

int Unlink(const char* Name) {
  if (Fails(TFaultOp::Delete)) return -1;
  return ::unlink(Name);
}

int FuTimens(int Fd, const struct timespec Times[2]) {
  if (Fails(TFaultOp::Date)) return -1;
  return ::futimens(Fd, Times);
}

int Chmod(const char* Name, mode_t Mode) {
  if (Fails(TFaultOp::Attr)) return -1;
  return ::chmod(Name, Mode);
}

int SetXattr(const char* Name, const char* Attr, const void* Value, size_t Size) {
  if (Fails(TFaultOp::Attr)) return -1;
  return ::setxattr(Name, Attr, Value, Size, 0);
}

int RemoveXattr(const char* Name, const char* Attr) {
  if (Fails(TFaultOp::Attr)) return -1;
  return ::removexattr(Name, Attr);
}

}  // namespace rtl::posix
