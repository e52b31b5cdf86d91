// SPDX-License-Identifier: MIT
// Directory search: wild cards, order, eligibility by attribute mask.
#include "rtl/files/posix/file_search.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "rtl/files/fileutils.h"
#include "support/test_support.h"

namespace {

using quindle::testing::TempDir;
using quindle::testing::WriteFile;

// Every name a search yields, in order.
std::vector<std::string> Search(const std::string& Path, int32_t Mask) {
  std::vector<std::string> Names;
  rtl::TSearchRec F;
  for (int32_t Rc = rtl::FindFirst(Path, Mask, F); Rc == 0; Rc = rtl::FindNext(F)) {
    Names.push_back(F.Name);
  }
  rtl::FindClose(F);
  return Names;
}

TEST(WildCards, Match) {
  struct Case {
    const char* Pattern;
    const char* Name;
    bool Match;
  };
  const Case Cases[] = {
      {"*.*", "readme.txt", true},
      {"*.*", "Makefile", true},
      {"*.*", ".hidden", true},
      {"*", "a.b.c", true},
      {"*.txt", "a.txt", true},
      {"*.txt", "a.TXT", false},
      {"*.txt", "a.txt.bak", false},
      {"name.*", "name", true},
      {"name.*", "name.c", true},
      {"name.*", "names", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c",
       "a\xC3\xA9"
       "c",
       true},
      {"??", "\xC3\xA9", false},
      {"a*b*c", "axxbyyc", true},
      {"a*b*c", "axxbyy", false},
      {"*a", "banana", true},
      {"[ab]", "a", false},
      {"[ab]", "[ab]", true},
      {"a\\*", "a\\b", true},
      {"", "a", false},
      {"*.", "a", false},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(rtl::posix::MatchesPattern(C.Pattern, C.Name), C.Match)
        << C.Pattern << " vs " << C.Name;
  }
}

TEST(FindFirst, YieldsMatchesInByteOrder) {
  TempDir Dir;
  for (const char* Name : {"b.txt", "B.txt", "a.txt", "\xC3\xA9.txt", "10.txt", "9.txt", "c.dat"}) {
    WriteFile(Dir / Name, Name);
  }
  const std::vector<std::string> Expected = {"10.txt", "9.txt", "B.txt",
                                             "a.txt",  "b.txt", "\xC3\xA9.txt"};
  EXPECT_EQ(Search(Dir / "*.txt", 0), Expected);
  EXPECT_EQ(Search(Dir / "?.dat", 0), std::vector<std::string>{"c.dat"});
}

TEST(FindFirst, EligibilityByMask) {
  TempDir Dir;
  WriteFile(Dir / "plain", "");
  WriteFile(Dir / "readonly", "");
  chmod((Dir / "readonly").c_str(), 0444);
  WriteFile(Dir / ".dot", "");
  mkdir((Dir / "sub").c_str(), 0755);
  WriteFile(Dir / "system", "");
  WriteFile(Dir / "archive", "");
  const bool Xattrs = rtl::FileSetAttr(Dir / "system", rtl::faSysFile) == 0 &&
                      rtl::FileSetAttr(Dir / "archive", rtl::faArchive) == 0 &&
                      rtl::FileGetAttr(Dir / "system") == rtl::faSysFile;
  struct Case {
    int32_t Mask;
    std::vector<std::string> Names;
  };
  std::vector<Case> Cases = {
      {0, {"archive", "plain", "readonly"}},
      {rtl::faReadOnly | rtl::faArchive, {"archive", "plain", "readonly"}},
      {rtl::faHidden, {".dot", "archive", "plain", "readonly"}},
      {rtl::faDirectory, {".", "..", "archive", "plain", "readonly", "sub"}},
      {rtl::faSysFile, {"archive", "plain", "readonly", "system"}},
      {rtl::faAnyFile, {".", "..", ".dot", "archive", "plain", "readonly", "sub", "system"}},
  };
  if (!Xattrs) Cases.erase(Cases.begin() + 4);  // "system" is ordinary without xattrs
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    EXPECT_EQ(Search(Dir / "*.*", C.Mask), C.Names);
  }
}

TEST(FindFirst, RecordAndLinks) {
  TempDir Dir;
  WriteFile(Dir / "data", "12345");
  chmod((Dir / "data").c_str(), 0444);
  ASSERT_EQ(symlink("data", (Dir / "link").c_str()), 0);
  ASSERT_EQ(symlink("missing", (Dir / "dangling").c_str()), 0);
  rtl::TSearchRec F;
  ASSERT_EQ(rtl::FindFirst(Dir / "*", 0, F), 0);
  EXPECT_EQ(F.Name, "data");
  EXPECT_EQ(F.Size, 5);
  EXPECT_EQ(F.Attr, rtl::faReadOnly);
  EXPECT_EQ(F.Time, rtl::FileAge(Dir / "data"));
  ASSERT_EQ(rtl::FindNext(F), 0);  // the dangling link is not an entry
  EXPECT_EQ(F.Name, "link");
  EXPECT_EQ(F.Size, 5);
  EXPECT_NE(rtl::FindNext(F), 0);
  rtl::FindClose(F);
  rtl::FindClose(F);
  EXPECT_EQ(F.FindHandle, nullptr);
}

TEST(FindFirst, ExactNamesAndMisses) {
  TempDir Dir;
  WriteFile(Dir / "one", "");
  mkdir((Dir / "sub").c_str(), 0755);
  EXPECT_EQ(Search(Dir / "one", 0), std::vector<std::string>{"one"});
  EXPECT_TRUE(Search(Dir / "sub", 0).empty());
  EXPECT_EQ(Search(Dir / "sub", rtl::faDirectory), std::vector<std::string>{"sub"});
  rtl::TSearchRec F;
  const std::string Misses[] = {
      Dir / "none*", Dir / "nodir/*.*", Dir / "one/*", Dir / "sub/", "", std::string("a\0b", 3)};
  for (const std::string& Path : Misses) {
    EXPECT_NE(rtl::FindFirst(Path, rtl::faAnyFile, F), 0) << Path;
    EXPECT_EQ(F.FindHandle, nullptr) << "a failed search stays open: " << Path;
  }
  EXPECT_NE(rtl::FindNext(F), 0);
  EXPECT_EQ(Search(Dir / std::string(5000, 'x') + "*", 0), std::vector<std::string>{});
}

TEST(FindFirst, RelativeToTheCurrentDirectory) {
  TempDir Dir;
  WriteFile(Dir / "here.txt", "");
  const std::string Saved = rtl::GetCurrentDir();
  ASSERT_TRUE(rtl::SetCurrentDir(Dir.path().string()));
  const std::vector<std::string> Found = Search("*.txt", 0);
  ASSERT_TRUE(rtl::SetCurrentDir(Saved));
  EXPECT_EQ(Found, std::vector<std::string>{"here.txt"});
}

TEST(FindFirst, SizesAre64Bit) {
  TempDir Dir;
  const std::string Name = Dir / "big.bin";
  const int Fd = open(Name.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(Fd, 0);
  const int64_t Size = int64_t{5} << 30;
  const bool Made = ftruncate(Fd, Size) == 0;
  close(Fd);
  if (!Made) GTEST_SKIP() << "no sparse 5 GiB file here";
  rtl::TSearchRec F;
  ASSERT_EQ(rtl::FindFirst(Name, 0, F), 0);
  EXPECT_EQ(F.Size, Size);
}

}  // namespace
