// SPDX-License-Identifier: MIT
// Date-times: TDateTime (local days since 1899-12-30) and the packed file
// date-time (100 ns since 1970-01-01 UTC, the step of a FILETIME). Local
// time follows the time zone's rules for the date in question, daylight
// saving included, as Explorer shows it. A TDateTime keeps the microsecond,
// so a date that goes through one loses the last digit of the 100 ns; the
// copy run stamps a source's own packed time as it is.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/win32/sys_call.h"
#include "rtl/files/win32/win_api.h"

namespace rtl {
namespace {

constexpr int64_t kTicksPerSecond = FileDateTicksPerSecond;
constexpr int64_t kTicksPerMicro = kTicksPerSecond / 1000000;

int64_t FloorDiv(int64_t A, int64_t B) {
  return A / B - ((A % B != 0) && ((A < 0) != (B < 0)));
}

}  // namespace

TDateTime FileDateToDateTime(int64_t FileDate) {
  if (FileDate < -win32::kEpochDifference) return std::nan("");
  const int64_t Whole = FloorDiv(FileDate, kTicksPerSecond) * kTicksPerSecond;
  const FILETIME Utc = win32::FileTimeOf(Whole);
  SYSTEMTIME U, L;
  if (!FileTimeToSystemTime(&Utc, &U) || !SystemTimeToTzSpecificLocalTime(nullptr, &U, &L))
    return std::nan("");
  const int64_t UsOfDay = ((L.wHour * 60 + L.wMinute) * 60 + int64_t{L.wSecond}) * 1000000 +
                          (FileDate - Whole) / kTicksPerMicro;
  return ComposeDateTime(L.wYear, L.wMonth, L.wDay, UsOfDay);
}

int64_t DateTimeToFileDate(TDateTime DateTime) {
  TCivilDateTime C;
  if (!DecodeDateTime(DateTime, C) || C.Year < 1601) return -1;
  SYSTEMTIME L{};
  L.wYear = static_cast<WORD>(C.Year);
  L.wMonth = static_cast<WORD>(C.Month);
  L.wDay = static_cast<WORD>(C.Day);
  L.wHour = static_cast<WORD>(C.Hour);
  L.wMinute = static_cast<WORD>(C.Min);
  L.wSecond = static_cast<WORD>(C.Sec);
  SYSTEMTIME U;
  FILETIME Utc;
  if (!TzSpecificLocalTimeToSystemTime(nullptr, &L, &U) || !SystemTimeToFileTime(&U, &Utc))
    return -1;
  return win32::PackedOf(Utc) + C.Micro * kTicksPerMicro;
}

TDateTime Now() {
  FILETIME T;
  GetSystemTimeAsFileTime(&T);
  return FileDateToDateTime(win32::PackedOf(T));
}

int32_t FileSetDate(THandle Handle, int64_t Age) {
  const FILETIME T = win32::FileTimeOf(Age);
  if (win32::SetFileTime(Handle, &T)) return 0;
  if (GetLastError() != ERROR_ACCESS_DENIED) return win32::LastError().value();
  // A handle opened for reading only: setting the date needs the right to
  // write attributes, which a second handle on the same file asks for alone.
  const HANDLE Writer = ReOpenFile(Handle, FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
  if (Writer == INVALID_HANDLE_VALUE) return win32::LastError().value();
  const int32_t Rc = win32::SetFileTime(Writer, &T) ? 0 : win32::LastError().value();
  CloseHandle(Writer);
  return Rc;
}

int64_t FileAge(const std::string& FileName) {
  std::wstring Name;
  WIN32_FILE_ATTRIBUTE_DATA Data;
  if (!win32::SystemName(FileName, Name) ||
      !GetFileAttributesExW(Name.c_str(), GetFileExInfoStandard, &Data) ||
      (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return -1;
  return win32::PackedOf(Data.ftLastWriteTime);
}

}  // namespace rtl
