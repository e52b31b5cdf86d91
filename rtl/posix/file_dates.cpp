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

#include "rtl/classes.h"
#include "rtl/posix/file_attr.h"
#include "rtl/sysutils.h"

namespace rtl {
namespace {

constexpr int64_t kUsPerSec = 1000000;
constexpr int64_t kUsPerDay = 86400 * kUsPerSec;
// Days from 1899-12-30 to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;
// 0001-01-01 and 9999-12-31: the range a TDateTime is converted within.
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

struct Civil {
  int64_t Year;
  int Month, Day;
};

// Proleptic Gregorian calendar, days relative to 1970-01-01.
int64_t DaysFromCivil(int64_t Y, int M, int D) {
  Y -= M <= 2;
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t Yoe = Y - Era * 400;
  const int64_t Doy = (153 * (M > 2 ? M - 3 : M + 9) + 2) / 5 + D - 1;
  const int64_t Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + Doe - 719468;
}

Civil CivilFromDays(int64_t Z) {
  Z += 719468;
  const int64_t Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const int64_t Doe = Z - Era * 146097;
  const int64_t Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
  const int64_t Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
  const int64_t Mp = (5 * Doy + 2) / 153;
  const int Day = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
  const int Month = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
  return {Yoe + Era * 400 + (Month <= 2), Month, Day};
}

bool LeapYear(int Y) {
  return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0;
}

int64_t FloorDiv(int64_t A, int64_t B) {
  return A / B - ((A % B != 0) && ((A < 0) != (B < 0)));
}

// The day number is the integral part; the time of day is the magnitude of
// the fraction, also for days before 1899-12-30.
TDateTime MakeDateTime(int64_t Days, int64_t UsOfDay) {
  const double Fraction = static_cast<double>(UsOfDay) / static_cast<double>(kUsPerDay);
  return Days >= 0 ? static_cast<double>(Days) + Fraction : static_cast<double>(Days) - Fraction;
}

// Splits a TDateTime into a calendar day and the microseconds of that day, as
// a local struct tm; false when the value is not a date between the years 1
// and 9999.
bool SplitDateTime(TDateTime Value, struct tm& Tm, int64_t& Micros) {
  if (!(Value >= kMinDateTime && Value < kMaxDateTime)) return false;
  double Whole;
  const double Fraction = std::fabs(std::modf(Value, &Whole));
  auto Days = static_cast<int64_t>(Whole);
  int64_t UsOfDay = std::llround(Fraction * static_cast<double>(kUsPerDay));
  if (UsOfDay >= kUsPerDay) {
    UsOfDay -= kUsPerDay;
    ++Days;
  }
  const Civil C = CivilFromDays(Days - kUnixEpochDay);
  Tm = {};
  Tm.tm_year = static_cast<int>(C.Year - 1900);
  Tm.tm_mon = C.Month - 1;
  Tm.tm_mday = C.Day;
  const int64_t Secs = UsOfDay / kUsPerSec;
  Tm.tm_hour = static_cast<int>(Secs / 3600);
  Tm.tm_min = static_cast<int>(Secs / 60 % 60);
  Tm.tm_sec = static_cast<int>(Secs % 60);
  Tm.tm_isdst = -1;
  Micros = UsOfDay % kUsPerSec;
  return true;
}

}  // namespace

TDateTime EncodeDate(int Year, int Month, int Day) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
      Day > kDays[Month - 1] + (Month == 2 && LeapYear(Year))) {
    throw EConvertError("Invalid argument to date encode");
  }
  return static_cast<double>(DaysFromCivil(Year, Month, Day) + kUnixEpochDay);
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 ||
      MSec > 999) {
    throw EConvertError("Invalid argument to time encode");
  }
  return static_cast<double>(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / 86400000.0;
}

TDateTime FileDateToDateTime(int64_t FileDate) {
  const int64_t Secs = FloorDiv(FileDate, kUsPerSec);
  const time_t T = static_cast<time_t>(Secs);
  struct tm Tm;
  if (localtime_r(&T, &Tm) == nullptr) return std::nan("");
  const int64_t Days =
      DaysFromCivil(int64_t{Tm.tm_year} + 1900, Tm.tm_mon + 1, Tm.tm_mday) + kUnixEpochDay;
  const int64_t UsOfDay = ((Tm.tm_hour * 60 + Tm.tm_min) * 60 + int64_t{Tm.tm_sec}) * kUsPerSec +
                          (FileDate - Secs * kUsPerSec);
  return MakeDateTime(Days, UsOfDay);
}

int64_t DateTimeToFileDate(TDateTime DateTime) {
  struct tm Tm;
  int64_t Micros;
  if (!SplitDateTime(DateTime, Tm, Micros)) return -1;
  const time_t T = mktime(&Tm);
  return static_cast<int64_t>(T) * kUsPerSec + Micros;
}

TDateTime Now() {
  struct timespec Ts;
  clock_gettime(CLOCK_REALTIME, &Ts);
  return FileDateToDateTime(static_cast<int64_t>(Ts.tv_sec) * kUsPerSec + Ts.tv_nsec / 1000);
}

std::string DateTimeToStr(TDateTime DateTime) {
  struct tm Tm;
  int64_t Micros;
  if (!SplitDateTime(DateTime, Tm, Micros)) return std::string();
  // Week day and day of the year, for locales whose formats show them.
  struct tm Normal = Tm;
  timegm(&Normal);
  Tm.tm_wday = Normal.tm_wday;
  Tm.tm_yday = Normal.tm_yday;
  Tm.tm_isdst = 0;
  char Text[256];
  const size_t Len = strftime(Text, sizeof Text, "%x %X", &Tm);
  return std::string(Text, Len);
}

int32_t FileSetDate(THandle Handle, int64_t Age) {
  const int64_t Secs = FloorDiv(Age, kUsPerSec);
  struct timespec Times[2];
  Times[0].tv_sec = 0;
  Times[0].tv_nsec = UTIME_OMIT;
  Times[1].tv_sec = static_cast<time_t>(Secs);
  Times[1].tv_nsec = static_cast<long>((Age - Secs * kUsPerSec) * 1000);
  return futimens(Handle, Times) == 0 ? 0 : errno;
}

int64_t FileAge(const std::string& FileName) {
  struct stat St;
  if (!posix::UsableName(FileName) || stat(FileName.c_str(), &St) != 0 || S_ISDIR(St.st_mode)) {
    return -1;
  }
  return posix::PackedMTime(St);
}

}  // namespace rtl
