// SPDX-License-Identifier: MIT
// The POSIX back end's gate to the system: the calls that open, read, write,
// copy, close, sync, rename, delete, date and change attributes of files go
// through these wrappers, which consult the fault-injection hook of the tests
// (rtl/files/fault_injection.h) and otherwise make the call as it is.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <optional>
#include <system_error>

#include "rtl/files/export.h"
#include "rtl/files/fault_injection.h"

namespace rtl::posix {

// Runs Call until it does not fail with EINTR; Call returns -1 with errno
// set on failure, as system calls do.
template <class F>
auto RetryOnInterrupt(F Call) -> decltype(Call()) {
  for (;;) {
    auto Result = Call();
    if (Result != -1 || errno != EINTR) return Result;
  }
}

// errno as an error code.
inline std::error_code LastError() {
  return {errno, std::generic_category()};
}

inline std::error_code ErrorOf(int Code) {
  return {Code, std::generic_category()};
}

// The action the test hook asks for, if one is installed and asks.
using rtl::detail::Fault;

QUINDLE_RTL_FILES_EXPORT int OpenAt(int Dir, const char* Name, int Flags, mode_t Mode = 0);
QUINDLE_RTL_FILES_EXPORT ssize_t Read(int Fd, void* Buffer, size_t Count);
QUINDLE_RTL_FILES_EXPORT ssize_t PRead(int Fd, void* Buffer, size_t Count, off_t Offset);
QUINDLE_RTL_FILES_EXPORT ssize_t Write(int Fd, const void* Buffer, size_t Count);
QUINDLE_RTL_FILES_EXPORT ssize_t CopyFileRange(int In, int Out, size_t Count);
QUINDLE_RTL_FILES_EXPORT int Close(int Fd);
QUINDLE_RTL_FILES_EXPORT int FDataSync(int Fd);
QUINDLE_RTL_FILES_EXPORT int RenameAt2(const char* Old, const char* New, unsigned Flags);
QUINDLE_RTL_FILES_EXPORT int Link(const char* Old, const char* New);
QUINDLE_RTL_FILES_EXPORT int Unlink(const char* Name);
QUINDLE_RTL_FILES_EXPORT int FuTimens(int Fd, const struct timespec Times[2]);
QUINDLE_RTL_FILES_EXPORT int Chmod(const char* Name, mode_t Mode);
QUINDLE_RTL_FILES_EXPORT int SetXattr(const char* Name, const char* Attr, const void* Value,
                                      size_t Size);
QUINDLE_RTL_FILES_EXPORT int RemoveXattr(const char* Name, const char* Attr);

}  // namespace rtl::posix
