// SPDX-License-Identifier: MIT
// Text and date helpers of the platform layer. Nothing here touches the
// operating system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/core/export.h"

namespace rtl {

// Day count since 30 December 1899, local time; the time of day is the fraction.
using TDateTime = double;

QUINDLE_RTL_CORE_EXPORT std::string IntToStr(int64_t Value);
// Upper-case hex digits, zero-padded to at least Digits.
QUINDLE_RTL_CORE_EXPORT std::string IntToHex(int64_t Value, int Digits);
// Case mapping follows Unicode whatever locale the program runs in; bytes
// that are not well-formed UTF-8 are kept as they are.
QUINDLE_RTL_CORE_EXPORT std::string AnsiLowerCase(const std::string& S);
QUINDLE_RTL_CORE_EXPORT std::string AnsiUpperCase(const std::string& S);
// 0 when equal ignoring the case of ASCII letters; <0 or >0 otherwise.
QUINDLE_RTL_CORE_EXPORT int CompareText(std::string_view S1, std::string_view S2);
// True when equal ignoring the case of ASCII letters.
inline bool SameText(std::string_view S1, std::string_view S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

// Appends the UTF-8 form of a code point (U+0000 to U+10FFFF).
QUINDLE_RTL_CORE_EXPORT void AppendUtf8(std::string& Out, char32_t Code);
// Decodes the well-formed UTF-8 sequence that starts at S[Pos] (no overlong
// forms, no surrogates) and sets Len to its length; false, with Len 1, for a
// byte that does not start one.
QUINDLE_RTL_CORE_EXPORT bool DecodeUtf8(std::string_view S, size_t Pos, char32_t& Code,
                                        size_t& Len);

// A date and time of day split into its calendar fields.
struct TCivilDateTime {
  int64_t Year = 0;
  int Month = 0, Day = 0, Hour = 0, Min = 0, Sec = 0;
  int64_t Micro = 0;
  int DayOfWeek = 0;  // 0 is Sunday
  int DayOfYear = 0;  // 0 is 1 January
};

// Splits a TDateTime; false when it is not a date between the years 1 and 9999.
QUINDLE_RTL_CORE_EXPORT bool DecodeDateTime(TDateTime Value, TCivilDateTime& Out);
// The TDateTime of a proleptic Gregorian date and a time of day given in
// microseconds; Year may lie outside 1..9999.
QUINDLE_RTL_CORE_EXPORT TDateTime ComposeDateTime(int64_t Year, int Month, int Day,
                                                  int64_t MicrosOfDay);

// Both raise EConvertError for a date or time that does not exist.
QUINDLE_RTL_CORE_EXPORT TDateTime EncodeDate(int Year, int Month, int Day);
QUINDLE_RTL_CORE_EXPORT TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
// The locale's short date, a blank, then its long time; empty when the value
// is not a date between the years 1 and 9999.
QUINDLE_RTL_CORE_EXPORT std::string DateTimeToStr(TDateTime DateTime);

}  // namespace rtl
