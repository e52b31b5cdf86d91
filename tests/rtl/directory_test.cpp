// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "rtl/files/handles.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

// The directory "d" is opened, then renamed to "old" and a fresh "d" made in
// its place: a name that went through the handle lands in "old", one that
// went by its path in the fresh "d".
TEST(Directory, NamesDirectlyInsideGoThroughTheHandleOthersByPath) {
  struct Case {
    const char* Opened;         // under the temporary folder
    const char* Name;           // likewise
    const char* ThroughHandle;  // where the name lands through the handle, or nullptr
  } Cases[] = {
      {"d", "d/x", "old/x"},  {"d/", "d/x", "old/x"}, {"d", "d/sub/x", nullptr},
      {"d", "d//x", nullptr}, {"d", "dx", nullptr},   {"d", "other/x", nullptr},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::string(C.Opened) + " " + C.Name);
    TempDir T;
    fs::create_directories(T.path() / "d" / "sub");
    fs::create_directories(T.path() / "other");
    rtl::TDirectory D;
    ASSERT_FALSE(D.Open(T / C.Opened));
    EXPECT_EQ(D.Path(), T / "d/");
    fs::rename(T.path() / "d", T.path() / "old");
    fs::create_directories(T.path() / "d" / "sub");
    const std::string Name = T / C.Name;
    const std::string Expected = C.ThroughHandle ? T / C.ThroughHandle : Name;

    rtl::TFileHandle H;
    bool Created = false;
    ASSERT_FALSE(D.CreateFile(Name, rtl::TCreateMode::Exclusive, H, &Created));
    EXPECT_TRUE(Created);
    ASSERT_FALSE(rtl::WriteAll(H.Get(), "made", 4));
    ASSERT_FALSE(H.Close());
    EXPECT_EQ(ReadFile(Expected), "made");

    rtl::TFileInfo Info;
    ASSERT_FALSE(D.Lookup(Name, Info));
    EXPECT_EQ(Info.Kind, rtl::TFileKind::Regular);
    EXPECT_EQ(Info.Size, 4);
    ASSERT_FALSE(D.OpenFile(Name, rtl::TAccess::Read, H, &Info));
    char Got[8] = {};
    std::error_code E;
    EXPECT_EQ(rtl::ReadFull(H.Get(), Got, sizeof Got, E), 4);
    EXPECT_EQ(std::string(Got), "made");
  }
}

// Closed, or never opened, a directory resolves every name by its path; a
// directory that cannot be opened leaves it closed.
TEST(Directory, ClosedResolvesByPath) {
  TempDir T;
  WriteFile(T / "f", "abc");
  rtl::TDirectory D;
  EXPECT_TRUE(D.Open(T / "missing"));
  EXPECT_TRUE(D.Open(T / "f"));
  EXPECT_FALSE(D.IsOpen());
  rtl::TFileInfo Info;
  ASSERT_FALSE(D.Lookup(T / "f", Info));
  EXPECT_EQ(Info.Size, 3);
  EXPECT_EQ(D.Lookup(T / "nothing", Info), std::errc::no_such_file_or_directory);
}

// Empty() reads the directory afresh on every call, hidden names and
// sub-directories count, and a closed directory is never taken for empty.
TEST(Directory, EmptyReadsTheDirectoryAsItIsNow) {
  TempDir T;
  fs::create_directories(T.path() / "d");
  rtl::TDirectory D;
  EXPECT_FALSE(D.Empty()) << "closed";
  ASSERT_FALSE(D.Open(T / "d"));
  EXPECT_TRUE(D.Empty());
  EXPECT_TRUE(D.Empty()) << "a second reading starts from the beginning again";
  for (const char* Name : {".hidden", "x"}) {
    SCOPED_TRACE(Name);
    WriteFile((T.path() / "d" / Name).string(), "");
    EXPECT_FALSE(D.Empty());
    fs::remove(T.path() / "d" / Name);
    EXPECT_TRUE(D.Empty());
  }
  fs::create_directories(T.path() / "d" / "sub");
  EXPECT_FALSE(D.Empty());
}

}  // namespace
