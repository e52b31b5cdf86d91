// SPDX-License-Identifier: MIT
#include "rtl/files/win32/sys_call.h"

#include <algorithm>
#include <cerrno>
#include <optional>

#include "rtl/files/fault_injection.h"

namespace rtl::win32 {

using rtl::detail::TFaultAction;
using rtl::detail::TFaultOp;

namespace {

thread_local std::error_code Injected;

// True when the hook makes the call Op fail (the error is then set); for a
// call it makes short, Count is lowered to what it may transfer.
bool Fails(TFaultOp Op, DWORD& Count) {
  for (;;) {
    const std::optional<TFaultAction> A = rtl::detail::Fault(Op);
    if (!A) return false;
    if (A->Error == std::errc::interrupted) continue;
    if (A->Error) {
      Injected = A->Error;
      SetLastError(kInjectedFault);
      return true;
    }
    Count = static_cast<DWORD>(std::min<int64_t>(Count, std::max<int64_t>(A->ShortCount, 0)));
    return false;
  }
}

bool Fails(TFaultOp Op) {
  DWORD Unused = 0;
  return Fails(Op, Unused);
}

}  // namespace

std::error_code InjectedError() {
  return Injected;
}

HANDLE CreateFile(const wchar_t* Name, DWORD Access, DWORD Share, DWORD Disposition, DWORD Flags) {
  if (Fails(TFaultOp::Open)) return INVALID_HANDLE_VALUE;
  return ::CreateFileW(Name, Access, Share, nullptr, Disposition, Flags, nullptr);
}

BOOL ReadFile(HANDLE File, void* Buffer, DWORD Count, DWORD* Got, OVERLAPPED* At) {
  if (Fails(TFaultOp::Read, Count)) return FALSE;
  return ::ReadFile(File, Buffer, Count, Got, At);
}

BOOL WriteFile(HANDLE File, const void* Buffer, DWORD Count, DWORD* Done) {
  if (Fails(TFaultOp::Write, Count)) return FALSE;
  return ::WriteFile(File, Buffer, Count, Done, nullptr);
}

BOOL CloseHandle(HANDLE File) {
  if (Fails(TFaultOp::Close)) {
    // A failing close still releases the handle.
    ::CloseHandle(File);
    SetLastError(kInjectedFault);
    return FALSE;
  }
  return ::CloseHandle(File);
}

BOOL FlushFileBuffers(HANDLE File) {
  if (Fails(TFaultOp::Sync)) return FALSE;
  return ::FlushFileBuffers(File);
}

BOOL MoveFileEx(const wchar_t* From, const wchar_t* To, DWORD Flags) {
  if (Fails(TFaultOp::Rename)) return FALSE;
  return ::MoveFileExW(From, To, Flags);
}

BOOL DeleteFile(const wchar_t* Name) {
  if (Fails(TFaultOp::Delete)) return FALSE;
  return ::DeleteFileW(Name);
}

BOOL SetFileTime(HANDLE File, const FILETIME* LastWrite) {
  if (Fails(TFaultOp::Date)) return FALSE;
  return ::SetFileTime(File, nullptr, nullptr, LastWrite);
}

BOOL SetFileAttributes(const wchar_t* Name, DWORD Attributes) {
  if (Fails(TFaultOp::Attr)) return FALSE;
  return ::SetFileAttributesW(Name, Attributes);
}

}  // namespace rtl::win32
