// SPDX-License-Identifier: MIT
// Path, text and date helpers of the platform layer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <locale>

#include "rtl/core/classes.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"
#include "support/test_support.h"

namespace {

using quindle::testing::TempDir;
using quindle::testing::WriteFile;

TEST(PathHelpers, SplitNames) {
  struct Case {
    const char* Name;
    const char* File;
    const char* Path;
    const char* Dir;
  };
  const Case Cases[] = {
      {"", "", "", ""},
      {"a.txt", "a.txt", "", ""},
      {"/a.txt", "a.txt", "/", "/"},
      {"dir/a.txt", "a.txt", "dir/", "dir"},
      {"/x/y/z", "z", "/x/y/", "/x/y"},
      {"dir/", "", "dir/", "dir"},
      {"dir//*.*", "*.*", "dir//", "dir//"},
      // ':' ends a drive on Windows only.
      {"c:name", QUINDLE_TEST_POSIX ? "c:name" : "name",
       QUINDLE_TEST_POSIX ? "" : "c:", QUINDLE_TEST_POSIX ? "" : "c:"},
      {"a b/c\nd", "c\nd", "a b/", "a b"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    EXPECT_EQ(rtl::ExtractFileName(C.Name), C.File);
    EXPECT_EQ(rtl::ExtractFilePath(C.Name), C.Path);
    EXPECT_EQ(rtl::ExtractFileDir(C.Name), C.Dir);
  }
}

TEST(TextHelpers, IntegersToText) {
  EXPECT_EQ(rtl::IntToStr(0), "0");
  EXPECT_EQ(rtl::IntToStr(-42), "-42");
  EXPECT_EQ(rtl::IntToStr(5368709120), "5368709120");
  EXPECT_EQ(rtl::IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(rtl::IntToHex(0xABCDEF, 8), "00ABCDEF");
  EXPECT_EQ(rtl::IntToHex(0x12345, 2), "12345");
  EXPECT_EQ(rtl::IntToHex(0, 0), "0");
  EXPECT_EQ(rtl::IntToHex(-1, 4), "FFFFFFFFFFFFFFFF");
  EXPECT_EQ(rtl::IntToHex(0x1F, -3), "1F");
}

TEST(TextHelpers, CaseMapping) {
  struct Case {
    std::string In, Lower, Upper;
  };
  const Case Cases[] = {
      {"ReadMe.TXT", "readme.txt", "README.TXT"},
      {"\xC3\x84pfel \xC3\x9F", "\xC3\xA4pfel \xC3\x9F", "\xC3\x84PFEL \xC3\x9F"},  // Äpfel ß
      {"\xCE\xA3\xCF\x89", "\xCF\x83\xCF\x89", "\xCE\xA3\xCE\xA9"},                 // Σω
      {"A\xFF"
       "b\xC3",
       "a\xFF"
       "b\xC3",
       "A\xFF"
       "B\xC3"},                                // invalid bytes stay as they are
      {"\xC0\xC1z", "\xC0\xC1z", "\xC0\xC1Z"},  // overlong lead bytes
      {"", "", ""},
  };
  // Beyond ASCII, case follows the library's "C.UTF-8" locale; a library
  // without one (MinGW's) changes the case of ASCII letters only.
  bool Unicode = true;
  try {
    std::locale("C.UTF-8");
  } catch (const std::exception&) {
    Unicode = false;
  }
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.In);
    if (!Unicode && C.In.find("\xC3\x84") != std::string::npos) continue;
    if (!Unicode && C.In.find("\xCE") != std::string::npos) continue;
    EXPECT_EQ(rtl::AnsiLowerCase(C.In), C.Lower);
    EXPECT_EQ(rtl::AnsiUpperCase(C.In), C.Upper);
  }
}

TEST(TextHelpers, CompareTextIgnoresAsciiCaseOnly) {
  EXPECT_EQ(rtl::CompareText("Hello.TXT", "hello.txt"), 0);
  EXPECT_LT(rtl::CompareText("abc", "ABD"), 0);
  EXPECT_GT(rtl::CompareText("abcd", "ABC"), 0);
  EXPECT_NE(rtl::CompareText("\xC3\xA4", "\xC3\x84"), 0);
  // Bytes above 127 order after ASCII, as unsigned values.
  EXPECT_GT(rtl::CompareText("\xE9", "z"), 0);
}

TEST(DateHelpers, EncodeKnownDates) {
  EXPECT_EQ(rtl::EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(rtl::EncodeDate(1970, 1, 1), 25569.0);
  EXPECT_EQ(rtl::EncodeDate(2000, 2, 29), 36585.0);
  EXPECT_EQ(rtl::EncodeDate(1, 1, 1), -693593.0);
  EXPECT_DOUBLE_EQ(rtl::EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_DOUBLE_EQ(rtl::EncodeTime(6, 30, 15, 500), (6 * 3600 + 30 * 60 + 15.5) / 86400);
  EXPECT_THROW(rtl::EncodeDate(2001, 2, 29), rtl::EConvertError);
  EXPECT_THROW(rtl::EncodeDate(2000, 13, 1), rtl::EConvertError);
  EXPECT_THROW(rtl::EncodeDate(0, 1, 1), rtl::EConvertError);
  EXPECT_THROW(rtl::EncodeTime(24, 0, 0, 0), rtl::EConvertError);
  EXPECT_THROW(rtl::EncodeTime(0, 0, 0, 1000), rtl::EConvertError);
}

#if QUINDLE_TEST_POSIX
// Runs the body with the process's time zone set to Zone, then restores it.
// (Windows takes the zone from the system, not from the environment.)
class TimeZone {
 public:
  explicit TimeZone(const char* Zone) {
    if (const char* Old = std::getenv("TZ")) Saved_ = Old, HadTz_ = true;
    setenv("TZ", Zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (HadTz_) {
      setenv("TZ", Saved_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string Saved_;
  bool HadTz_ = false;
};
#else
// The system's zone stays; the cases hold in any zone.
struct TimeZone {
  explicit TimeZone(const char*) {}
};
#endif

constexpr int64_t kTicksPerMicro = rtl::FileDateTicksPerSecond / 1000000;

// Days from 1970-01-01 to a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t Y, int M, int D) {
  Y -= M <= 2;
  const int64_t Era = (Y >= 0 ? Y : Y - 399) / 400;
  const int64_t Yoe = Y - Era * 400;
  const int64_t Doy = (153 * (M + (M > 2 ? -3 : 9)) + 2) / 5 + D - 1;
  const int64_t Doe = Yoe * 365 + Yoe / 4 - Yoe / 100 + Doy;
  return Era * 146097 + Doe - 719468;
}

// Packed time of a UTC calendar moment.
int64_t PackedUtc(int Y, int Mo, int D, int H, int Mi, int S, int Us) {
  const int64_t Secs = DaysFromCivil(Y, Mo, D) * 86400 + (H * 60 + Mi) * 60 + S;
  return Secs * rtl::FileDateTicksPerSecond + Us * kTicksPerMicro;
}

#if QUINDLE_TEST_POSIX
TEST(DateHelpers, PackedTimeIsLocalDateTime) {
  TimeZone Zone("Europe/Berlin");
  // Summer time (UTC+2) and winter time (UTC+1).
  const rtl::TDateTime Summer = rtl::FileDateToDateTime(PackedUtc(2024, 7, 1, 10, 0, 0, 250000));
  EXPECT_NEAR(Summer, rtl::EncodeDate(2024, 7, 1) + rtl::EncodeTime(12, 0, 0, 250), 1e-9);
  const rtl::TDateTime Winter = rtl::FileDateToDateTime(PackedUtc(1950, 1, 2, 23, 30, 0, 0));
  EXPECT_NEAR(Winter, rtl::EncodeDate(1950, 1, 3) + rtl::EncodeTime(0, 30, 0, 0), 1e-9);
}
#endif

TEST(DateHelpers, PackedTimeRoundTripsToTheMicrosecond) {
  for (const char* Zone : {"UTC", "Europe/Berlin", "America/New_York"}) {
    TimeZone Tz(Zone);
    struct Case {
      int64_t Packed;
      int64_t Tolerance;  // microseconds; dates after 2079 have a coarser day count
    };
    const Case Cases[] = {
        {PackedUtc(2024, 3, 5, 14, 7, 9, 123457), 0},
        {PackedUtc(2024, 8, 31, 23, 59, 59, 999999), 0},
        {PackedUtc(2038, 1, 19, 3, 14, 8, 1), 0},
        {PackedUtc(2079, 6, 4, 12, 0, 0, 999999), 0},
        {PackedUtc(1720, 7, 27, 12, 0, 0, 999999), 0},
        {PackedUtc(1600, 1, 1, 12, 0, 0, 999999), 1},
        {PackedUtc(2079, 6, 5, 12, 0, 0, 999999), 1},
        {PackedUtc(1970, 1, 1, 0, 0, 0, 1), 0},
        {PackedUtc(1969, 12, 31, 23, 59, 59, 999999), 0},
        {PackedUtc(1950, 6, 15, 8, 30, 0, 654321), 0},
        {PackedUtc(2150, 11, 30, 18, 45, 12, 345678), 1},
    };
    for (const Case& C : Cases) {
      SCOPED_TRACE(std::string(Zone) + " " + std::to_string(C.Packed));
      // A FILETIME starts in 1601.
      if (!QUINDLE_TEST_POSIX && C.Packed < PackedUtc(1601, 1, 2, 0, 0, 0, 0)) continue;
      const int64_t Back = rtl::DateTimeToFileDate(rtl::FileDateToDateTime(C.Packed));
      EXPECT_LE(std::llabs(Back - C.Packed), C.Tolerance * kTicksPerMicro);
    }
  }
}

TEST(DateHelpers, UnusableDateTimes) {
  const double Bad[] = {std::nan(""),
                        std::numeric_limits<double>::infinity(),
                        -std::numeric_limits<double>::infinity(),
                        1e300,
                        -1e300,
                        2958466.0};
  for (double V : Bad) {
    EXPECT_EQ(rtl::DateTimeToFileDate(V), -1) << V;
    EXPECT_EQ(rtl::DateTimeToStr(V), "") << V;
  }
  TimeZone Tz("UTC");
  EXPECT_EQ(rtl::DateTimeToStr(rtl::EncodeDate(2024, 3, 5) + rtl::EncodeTime(14, 7, 9, 0)),
            "03/05/24 14:07:09");
}

TEST(DateHelpers, NowIsTheSystemClock) {
  const int64_t Before = rtl::DateTimeToFileDate(rtl::Now());
  const int64_t Clock = static_cast<int64_t>(time(nullptr)) * rtl::FileDateTicksPerSecond;
  EXPECT_LE(std::llabs(Before - Clock), 2 * rtl::FileDateTicksPerSecond);
}

// To the tick: the microsecond on POSIX, the 100 ns of a FILETIME on Windows.
TEST(DateHelpers, FileSetDateKeepsTheTick) {
  TempDir Dir;
  const std::string Name = Dir / "f.bin";
  WriteFile(Name, "x");
  for (int64_t Age :
       {PackedUtc(2024, 3, 5, 14, 7, 9, 123457), PackedUtc(2024, 3, 5, 14, 7, 9, 123457) + 1,
        PackedUtc(1950, 1, 1, 0, 0, 0, 7), PackedUtc(2150, 1, 1, 0, 0, 0, 999999)}) {
    rtl::TFileHandle H;
    ASSERT_FALSE(rtl::OpenFile(Name, rtl::TAccess::Write, H));
    EXPECT_EQ(rtl::FileSetDate(H.Get(), Age), 0);
    H.Close();
    EXPECT_EQ(rtl::FileAge(Name), Age);
  }
  EXPECT_NE(rtl::FileSetDate(rtl::InvalidHandle, 0), 0);
  EXPECT_EQ(rtl::FileAge(Dir / "missing"), -1);
  EXPECT_EQ(rtl::FileAge(Dir.path().string()), -1);
}

}  // namespace
