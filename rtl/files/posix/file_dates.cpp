// SPDX-License-Identifier: MIT
// Date-times: TDateTime (local days since 1899-12-30) and the packed file
// date-time (microseconds since 1970-01-01 UTC).
//
// Precision: a double day count has a step of at most 2^-37 day (0.63 us)
// while it stays below 65536 days from 1899-12-30 (1720-07-26 to 2079-06-04),
// 2^-36 day (1.26 us) out to 131072 days (1541 and 2258), doubling at each
// further power of two. Converting a packed time to a TDateTime and back
// therefore gives the same microsecond for every date from 1720 to 2079-06-04
// (1950 and 1970 included), and one within a microsecond out to 1541 and 2258. A local time in the
// hour repeated when daylight saving ends cannot tell its two instances apart; the way back takes
// the one mktime picks.
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/file_attr.h"
#include "rtl/files/posix/sys_call.h"

namespace rtl {
namespace {

constexpr int64_t kUsPerSec = 1000000;

int64_t FloorDiv(int64_t A, int64_t B) {
  return A / B - ((A % B != 0) && ((A < 0) != (B < 0)));
}

}  // namespace

TDateTime FileDateToDateTime(int64_t FileDate) {
  const int64_t Secs = FloorDiv(FileDate, kUsPerSec);
  const time_t T = static_cast<time_t>(Secs);
  struct tm Tm;
  if (localtime_r(&T, &Tm) == nullptr) return std::nan("");
  const int64_t UsOfDay = ((Tm.tm_hour * 60 + Tm.tm_min) * 60 + int64_t{Tm.tm_sec}) * kUsPerSec +
                          (FileDate - Secs * kUsPerSec);
  return ComposeDateTime(int64_t{Tm.tm_year} + 1900, Tm.tm_mon + 1, Tm.tm_mday, UsOfDay);
}

int64_t DateTimeToFileDate(TDateTime DateTime) {
  TCivilDateTime C;
  if (!DecodeDateTime(DateTime, C)) return -1;
  struct tm Tm = {};
  Tm.tm_year = static_cast<int>(C.Year - 1900);
  Tm.tm_mon = C.Month - 1;
  Tm.tm_mday = C.Day;
  Tm.tm_hour = C.Hour;
  Tm.tm_min = C.Min;
  Tm.tm_sec = C.Sec;
  Tm.tm_isdst = -1;
  const time_t T = mktime(&Tm);
  return static_cast<int64_t>(T) * kUsPerSec + C.Micro;
}

TDateTime Now() {
  struct timespec Ts;
  clock_gettime(CLOCK_REALTIME, &Ts);
  return FileDateToDateTime(static_cast<int64_t>(Ts.tv_sec) * kUsPerSec + Ts.tv_nsec / 1000);
}

int32_t FileSetDate(THandle Handle, int64_t Age) {
  const int64_t Secs = FloorDiv(Age, kUsPerSec);
  struct timespec Times[2];
  Times[0].tv_sec = 0;
  Times[0].tv_nsec = UTIME_OMIT;
  Times[1].tv_sec = static_cast<time_t>(Secs);
  Times[1].tv_nsec = static_cast<long>((Age - Secs * kUsPerSec) * 1000);
  return posix::FuTimens(Handle, Times) == 0 ? 0 : errno;
}

int64_t FileAge(const std::string& FileName) {
  struct stat St;
  if (!posix::UsableName(FileName) || stat(FileName.c_str(), &St) != 0 || S_ISDIR(St.st_mode)) {
    return -1;
  }
  return posix::PackedMTime(St);
}

}  // namespace rtl
