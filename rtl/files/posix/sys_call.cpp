// SPDX-License-Identifier: MIT
#include "rtl/files/posix/sys_call.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace rtl::posix {

using rtl::detail::TFaultAction;
using rtl::detail::TFaultOp;

// The calls that change a name, a date or attributes are retried when a
// signal interrupts them (as they may be on network and FUSE file systems),
// like every read and write of the layer; a close is not, as the descriptor
// is gone whatever it returns.

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
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Sync) ? -1 : ::fdatasync(Fd); });
}

int RenameAt2(const char* Old, const char* New, unsigned Flags) {
  return RetryOnInterrupt([&] {
    if (Fails(TFaultOp::Rename)) return -1;
    if (Flags == 0) return ::rename(Old, New);
    return ::renameat2(AT_FDCWD, Old, AT_FDCWD, New, Flags);
  });
}

int Link(const char* Old, const char* New) {
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Rename) ? -1 : ::link(Old, New); });
}

int Unlink(const char* Name) {
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Delete) ? -1 : ::unlink(Name); });
}

int FuTimens(int Fd, const struct timespec Times[2]) {
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Date) ? -1 : ::futimens(Fd, Times); });
}

int Chmod(const char* Name, mode_t Mode) {
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Attr) ? -1 : ::chmod(Name, Mode); });
}

int SetXattr(const char* Name, const char* Attr, const void* Value, size_t Size) {
  return RetryOnInterrupt(
      [&] { return Fails(TFaultOp::Attr) ? -1 : ::setxattr(Name, Attr, Value, Size, 0); });
}

int RemoveXattr(const char* Name, const char* Attr) {
  return RetryOnInterrupt([&] { return Fails(TFaultOp::Attr) ? -1 : ::removexattr(Name, Attr); });
}

}  // namespace rtl::posix
