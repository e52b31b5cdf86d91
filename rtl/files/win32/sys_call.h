// SPDX-License-Identifier: MIT
// The Windows back end's gate to the system: the calls that open, read,
// write, close, flush, rename, delete, date and change attributes of files go
// through these wrappers, which consult the fault-injection hook of the tests
// (rtl/files/fault_injection.h) and otherwise make the call as it is. A call
// the hook fails returns FALSE (or INVALID_HANDLE_VALUE) with the injected
// error left for win32::LastError(). An injected EINTR is retried, as the
// POSIX back end retries an interrupted call.
#pragma once

#include <system_error>

#include "rtl/files/win32/win_api.h"

namespace rtl::win32 {

// The error of the last call the hook failed on this thread, when
// GetLastError() is kInjectedFault.
constexpr DWORD kInjectedFault = 0x20000000u | 0x51;  // customer-defined code
std::error_code InjectedError();

HANDLE CreateFile(const wchar_t* Name, DWORD Access, DWORD Share, DWORD Disposition, DWORD Flags);
BOOL ReadFile(HANDLE File, void* Buffer, DWORD Count, DWORD* Got, OVERLAPPED* At = nullptr);
BOOL WriteFile(HANDLE File, const void* Buffer, DWORD Count, DWORD* Done);
BOOL CloseHandle(HANDLE File);
BOOL FlushFileBuffers(HANDLE File);
BOOL MoveFileEx(const wchar_t* From, const wchar_t* To, DWORD Flags);
BOOL DeleteFile(const wchar_t* Name);
BOOL SetFileTime(HANDLE File, const FILETIME* LastWrite);
BOOL SetFileAttributes(const wchar_t* Name, DWORD Attributes);

}  // namespace rtl::win32
