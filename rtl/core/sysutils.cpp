// SPDX-License-Identifier: MIT
// Text and date helpers: standard C++ only.
#include "rtl/core/sysutils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <cwchar>
#include <locale>

#include "rtl/core/classes.h"

namespace rtl {
namespace {

constexpr int64_t kUsPerSec = 1000000;
constexpr int64_t kUsPerDay = 86400 * kUsPerSec;
// Days from 1899-12-30 to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;
// 0001-01-01 and 9999-12-31: the range a TDateTime is converted within.
constexpr double kMinDateTime = -693593.0;
constexpr double kMaxDateTime = 2958466.0;

// The wide-character classification of "C.UTF-8", which maps case by
// Unicode whatever locale the program runs in; nullptr where the library has
// no such locale, and then only ASCII letters change case.
const std::ctype<wchar_t>* Utf8Ctype() {
  static const std::ctype<wchar_t>* Facet = []() -> const std::ctype<wchar_t>* {
    try {
      static const std::locale Loc("C.UTF-8");
      return &std::use_facet<std::ctype<wchar_t>>(Loc);
    } catch (const std::exception&) {
      return nullptr;
    }
  }();
  return Facet;
}

char32_t MapChar(char32_t C, bool Upper) {
  const std::ctype<wchar_t>* Facet = Utf8Ctype();
  if (Facet != nullptr && C <= static_cast<char32_t>(WCHAR_MAX)) {
    const auto W = static_cast<wchar_t>(C);
    return static_cast<char32_t>(Upper ? Facet->toupper(W) : Facet->tolower(W));
  }
  if (Upper && C >= 'a' && C <= 'z') return C - 32;
  if (!Upper && C >= 'A' && C <= 'Z') return C + 32;
  return C;
}

std::string MapCase(const std::string& S, bool Upper) {
  std::string Out;
  Out.reserve(S.size());
  for (size_t Pos = 0; Pos < S.size();) {
    char32_t C;
    size_t Len;
    if (!DecodeUtf8(S, Pos, C, Len)) {
      Out += S[Pos++];
      continue;
    }
    AppendUtf8(Out, MapChar(C, Upper));
    Pos += Len;
  }
  return Out;
}

bool LeapYear(int64_t Y) {
  return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0;
}

// Proleptic Gregorian calendar, days relative to 1970-01-01.
int64_t DaysFromCivil(int64_t Y, int M, int D) {
  Y -= M <= 2;
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t Yoe = Y - Era * 400;
  const int64_t Doy = (153 * (M > 2 ? M - 3 : M + 9) + 2) / 5 + D - 1;
  const int64_t Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + Doe - 719468;
}

void CivilFromDays(int64_t Z, TCivilDateTime& Out) {
  const int64_t Days = Z;
  Z += 719468;
  const int64_t Era = (Z >= 0 ? Z : Z - 146096) / 146097;
  const int64_t Doe = Z - Era * 146097;
  const int64_t Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
  const int64_t Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
  const int64_t Mp = (5 * Doy + 2) / 153;
  Out.Day = static_cast<int>(Doy - (153 * Mp + 2) / 5 + 1);
  Out.Month = static_cast<int>(Mp < 10 ? Mp + 3 : Mp - 9);
  Out.Year = Yoe + Era * 400 + (Out.Month <= 2);
  Out.DayOfWeek = static_cast<int>(((Days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  Out.DayOfYear = static_cast<int>(Days - DaysFromCivil(Out.Year, 1, 1));
}

}  // namespace

std::string IntToStr(int64_t Value) {
  return std::to_string(Value);
}

std::string IntToHex(int64_t Value, int Digits) {
  char Text[17];
  const int Len = std::snprintf(Text, sizeof Text, "%llX",
                                static_cast<unsigned long long>(static_cast<uint64_t>(Value)));
  std::string Result(Text, static_cast<size_t>(Len));
  if (Digits > Len) Result.insert(0, static_cast<size_t>(Digits - Len), '0');
  return Result;
}

std::string AnsiLowerCase(const std::string& S) {
  return MapCase(S, false);
}

std::string AnsiUpperCase(const std::string& S) {
  return MapCase(S, true);
}

int CompareText(std::string_view S1, std::string_view S2) {
  const size_t N = std::min(S1.size(), S2.size());
  for (size_t I = 0; I < N; ++I) {
    int A = static_cast<unsigned char>(S1[I]);
    int B = static_cast<unsigned char>(S2[I]);
    if (A >= 'A' && A <= 'Z') A += 32;
    if (B >= 'A' && B <= 'Z') B += 32;
    if (A != B) return A - B;
  }
  return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

bool DecodeUtf8(std::string_view S, size_t Pos, char32_t& Code, size_t& Len) {
  const auto B0 = static_cast<unsigned char>(S[Pos]);
  char32_t Min;
  Len = 1;
  if (B0 < 0x80) {
    Code = B0;
    return true;
  }
  size_t Need;
  if ((B0 & 0xE0) == 0xC0) {
    Need = 2, Min = 0x80;
  } else if ((B0 & 0xF0) == 0xE0) {
    Need = 3, Min = 0x800;
  } else if ((B0 & 0xF8) == 0xF0) {
    Need = 4, Min = 0x10000;
  } else {
    return false;
  }
  if (Pos + Need > S.size()) return false;
  char32_t C = B0 & (0x7F >> Need);
  for (size_t I = 1; I < Need; ++I) {
    const auto B = static_cast<unsigned char>(S[Pos + I]);
    if ((B & 0xC0) != 0x80) return false;
    C = (C << 6) | (B & 0x3F);
  }
  if (C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) return false;
  Code = C;
  Len = Need;
  return true;
}

bool DecodeDateTime(TDateTime Value, TCivilDateTime& Out) {
  if (!(Value >= kMinDateTime && Value < kMaxDateTime)) return false;
  double Whole;
  const double Fraction = std::fabs(std::modf(Value, &Whole));
  auto Days = static_cast<int64_t>(Whole);
  int64_t UsOfDay = std::llround(Fraction * static_cast<double>(kUsPerDay));
  if (UsOfDay >= kUsPerDay) {
    UsOfDay -= kUsPerDay;
    ++Days;
  }
  CivilFromDays(Days - kUnixEpochDay, Out);
  const int64_t Secs = UsOfDay / kUsPerSec;
  Out.Hour = static_cast<int>(Secs / 3600);
  Out.Min = static_cast<int>(Secs / 60 % 60);
  Out.Sec = static_cast<int>(Secs % 60);
  Out.Micro = UsOfDay % kUsPerSec;
  return true;
}

// The day number is the integral part; the time of day is the magnitude of
// the fraction, also for days before 1899-12-30.
TDateTime ComposeDateTime(int64_t Year, int Month, int Day, int64_t MicrosOfDay) {
  const int64_t Days = DaysFromCivil(Year, Month, Day) + kUnixEpochDay;
  const double Fraction = static_cast<double>(MicrosOfDay) / static_cast<double>(kUsPerDay);
  return Days >= 0 ? static_cast<double>(Days) + Fraction : static_cast<double>(Days) - Fraction;
}

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

std::string DateTimeToStr(TDateTime DateTime) {
  TCivilDateTime C;
  if (!DecodeDateTime(DateTime, C)) return std::string();
  std::tm Tm{};
  Tm.tm_year = static_cast<int>(C.Year - 1900);
  Tm.tm_mon = C.Month - 1;
  Tm.tm_mday = C.Day;
  Tm.tm_hour = C.Hour;
  Tm.tm_min = C.Min;
  Tm.tm_sec = C.Sec;
  // Week day and day of the year, for locales whose formats show them.
  Tm.tm_wday = C.DayOfWeek;
  Tm.tm_yday = C.DayOfYear;
  char Text[256];
  const size_t Len = std::strftime(Text, sizeof Text, "%x %X", &Tm);
  return std::string(Text, Len);
}

}  // namespace rtl
