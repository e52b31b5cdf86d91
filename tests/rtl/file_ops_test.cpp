// SPDX-License-Identifier: MIT
// Directory, rename, delete and handle-level services, and how every one of
// them copes with names that cannot work.
#include <gtest/gtest.h>

#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <climits>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"

namespace {

using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

TEST(RenameFile, NeverReplaces) {
  TempDir Dir;
  WriteFile(Dir / "a", "first");
  WriteFile(Dir / "b", "second");
  EXPECT_FALSE(rtl::RenameFile(Dir / "a", Dir / "b"));
  EXPECT_EQ(ReadFile(Dir / "a"), "first");
  EXPECT_EQ(ReadFile(Dir / "b"), "second");
  EXPECT_TRUE(rtl::RenameFile(Dir / "a", Dir / "c"));
  EXPECT_FALSE(rtl::FileExists(Dir / "a"));
  EXPECT_EQ(ReadFile(Dir / "c"), "first");
  EXPECT_FALSE(rtl::RenameFile(Dir / "missing", Dir / "d"));
  EXPECT_FALSE(rtl::RenameFile(Dir / "c", Dir / "nodir/c"));
  EXPECT_TRUE(rtl::FileExists(Dir / "c"));
}

TEST(Directories, CreateDirMakesOneLevel) {
  TempDir Dir;
#if QUINDLE_TEST_POSIX
  const mode_t Old = umask(022);
  EXPECT_TRUE(rtl::CreateDir(Dir / "new"));
  umask(Old);
  struct stat St;
  ASSERT_EQ(stat((Dir / "new").c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0777, 0755u);
#else
  EXPECT_TRUE(rtl::CreateDir(Dir / "new"));
#endif
  EXPECT_FALSE(rtl::CreateDir(Dir / "new"));            // exists
  EXPECT_FALSE(rtl::CreateDir(Dir / "missing/child"));  // no parent
  EXPECT_FALSE(rtl::DirectoryExists(Dir / "missing"));
  EXPECT_TRUE(rtl::DirectoryExists(Dir / "new"));
  EXPECT_FALSE(rtl::FileExists(Dir / "new"));
  WriteFile(Dir / "file", "");
  EXPECT_FALSE(rtl::CreateDir(Dir / "file"));
  EXPECT_TRUE(rtl::FileExists(Dir / "file"));
  EXPECT_FALSE(rtl::DirectoryExists(Dir / "file"));
  EXPECT_FALSE(rtl::DeleteFile(Dir / "new"));
  EXPECT_TRUE(rtl::DirectoryExists(Dir / "new"));
  EXPECT_TRUE(rtl::DeleteFile(Dir / "file"));
  EXPECT_FALSE(rtl::DeleteFile(Dir / "file"));
}

#if QUINDLE_TEST_POSIX
TEST(Directories, CurrentDirectoryBeyondPathMax) {
  TempDir Dir;
  const std::string Saved = rtl::GetCurrentDir();
  ASSERT_FALSE(Saved.empty());
  ASSERT_TRUE(rtl::SetCurrentDir(Dir.path().string()));
  const std::string Level(200, 'd');
  std::string Expected = Dir.path().string();
  bool Entered = true;
  while (Entered && Expected.size() <= PATH_MAX + 200) {
    Entered = rtl::CreateDir(Level) && rtl::SetCurrentDir(Level);
    Expected += "/" + Level;
  }
  const std::string Deep = rtl::GetCurrentDir();
  ASSERT_TRUE(rtl::SetCurrentDir(Saved));
  ASSERT_TRUE(Entered);
  EXPECT_EQ(Deep, Expected);
  EXPECT_FALSE(rtl::SetCurrentDir(Deep));  // too long for one system call
}
#endif

TEST(FileHandles, OpenReadClose) {
  TempDir Dir;
  WriteFile(Dir / "f", "abcdef");
  const rtl::THandle H = rtl::FileOpen(Dir / "f", rtl::fmOpenRead);
  ASSERT_NE(H, rtl::InvalidHandle);
#if QUINDLE_TEST_POSIX
  EXPECT_NE(fcntl(H, F_GETFD) & FD_CLOEXEC, 0);
#endif
  char Buf[16];
  EXPECT_EQ(rtl::FileRead(H, Buf, 4), 4);
  EXPECT_EQ(std::string(Buf, 4), "abcd");
  EXPECT_EQ(rtl::FileRead(H, Buf, sizeof Buf), 2);
  EXPECT_EQ(rtl::FileRead(H, Buf, sizeof Buf), 0);
  EXPECT_EQ(rtl::FileRead(H, Buf, -1), -1);
  // Reads at an offset, whatever the file position.
  struct AtCase {
    int64_t Offset;
    int32_t Count;
    int32_t Result;
    const char* Bytes;
  };
  for (const AtCase& C : {AtCase{0, 3, 3, "abc"}, AtCase{4, 16, 2, "ef"}, AtCase{6, 4, 0, ""},
                          AtCase{100, 4, 0, ""}, AtCase{-1, 4, -1, ""}, AtCase{0, -1, -1, ""}}) {
    SCOPED_TRACE(C.Offset);
    EXPECT_EQ(rtl::FileReadAt(H, Buf, C.Count, C.Offset), C.Result);
    if (C.Result > 0) {
      EXPECT_EQ(std::string(Buf, static_cast<size_t>(C.Result)), C.Bytes);
    }
  }
  EXPECT_EQ(rtl::FileRead(H, Buf, sizeof Buf), 0);  // the position stayed at the end
  rtl::FileClose(H);
  EXPECT_EQ(rtl::FileReadAt(H, Buf, 1, 0), -1);
  EXPECT_EQ(rtl::FileRead(H, Buf, 1), -1);
  rtl::FileClose(rtl::InvalidHandle);

  const rtl::THandle W = rtl::FileOpen(Dir / "f", rtl::fmOpenWrite);
  ASSERT_NE(W, rtl::InvalidHandle);
  EXPECT_FALSE(rtl::WriteAll(W, "XY", 2));
  EXPECT_EQ(rtl::FileRead(W, Buf, 1), -1);  // opened for writing only
  rtl::FileClose(W);
  EXPECT_EQ(ReadFile(Dir / "f"), "XYcdef");

  EXPECT_EQ(rtl::FileOpen(Dir.path().string(), rtl::fmOpenRead), rtl::InvalidHandle);
  EXPECT_EQ(rtl::FileOpen(Dir / "f", 3), rtl::InvalidHandle);
  EXPECT_EQ(rtl::FileOpen(Dir / "missing", rtl::fmOpenRead), rtl::InvalidHandle);
}

#if QUINDLE_TEST_POSIX
TEST(FileHandles, FifoWithoutWriterDoesNotHang) {
  TempDir Dir;
  ASSERT_EQ(mkfifo((Dir / "pipe").c_str(), 0644), 0);
  const rtl::THandle H = rtl::FileOpen(Dir / "pipe", rtl::fmOpenRead);
  ASSERT_GE(H, 0);
  char C;
  EXPECT_EQ(rtl::FileRead(H, &C, 1), 0);
  rtl::FileClose(H);
}

// Names no call can use, none of which exists.
TEST(BadNames, EveryCallFailsCleanly) {
  TempDir Dir;
  const std::string Names[] = {
      "",
      std::string(5000, 'n'),
      Dir / std::string(NAME_MAX + 1, 'n'),
      Dir / "bad\xFF\xFE utf8",
      Dir / "new\nline",
      Dir / "star*",
      Dir / "what?",
      Dir / "with space",
      std::string("nul\0inside", 10),
  };
  // An existing file that a name cut short at its NUL would reach.
  const std::string Decoy = "nul";
  const std::string Saved = rtl::GetCurrentDir();
  ASSERT_TRUE(rtl::SetCurrentDir(Dir.path().string()));
  WriteFile(Decoy, "decoy");
  for (const std::string& N : Names) {
    SCOPED_TRACE(N.substr(0, 60));
    EXPECT_EQ(rtl::FileGetAttr(N), -1);
    EXPECT_NE(rtl::FileSetAttr(N, rtl::faHidden), 0);
    EXPECT_FALSE(rtl::FileExists(N));
    EXPECT_FALSE(rtl::DirectoryExists(N));
    EXPECT_FALSE(rtl::DeleteFile(N));
    EXPECT_FALSE(rtl::RenameFile(N, Dir / "target"));
    EXPECT_FALSE(rtl::SetCurrentDir(N));
    EXPECT_EQ(rtl::FileAge(N), -1);
    EXPECT_EQ(rtl::FileOpen(N, rtl::fmOpenRead), -1);
    rtl::TSearchRec F;
    EXPECT_NE(rtl::FindFirst(N, rtl::faAnyFile, F), 0);
  }
  // CreateDir is the one call that makes the names that can exist.
  EXPECT_FALSE(rtl::CreateDir(""));
  EXPECT_FALSE(rtl::CreateDir(std::string(5000, 'n')));
  EXPECT_FALSE(rtl::CreateDir(std::string("nul\0x", 5)));
  EXPECT_FALSE(rtl::RenameFile(Decoy, ""));
  EXPECT_FALSE(rtl::RenameFile(Decoy, std::string("nul\0x", 5)));
  EXPECT_FALSE(rtl::RenameFile(Decoy, std::string(5000, 'n')));
  EXPECT_TRUE(rtl::CreateDir(Dir / "new\nline"));
  EXPECT_EQ(ReadFile(Decoy), "decoy");
  ASSERT_TRUE(rtl::SetCurrentDir(Saved));
}

TEST(FileGetReadOnly, ReadsThePermissionBitsOfTheLiteralName) {
  TempDir Dir;
  WriteFile(Dir / "rw", "");
  WriteFile(Dir / "ro", "");
  WriteFile(Dir / "a*b", "");
  ASSERT_EQ(chmod((Dir / "ro").c_str(), 0444), 0);
  ASSERT_EQ(chmod((Dir / "a*b").c_str(), 0400), 0);
  const struct {
    std::string Name;
    int32_t Expected;
  } Cases[] = {{Dir / "rw", 0},
               {Dir / "ro", rtl::faReadOnly},
               {Dir / "a*b", rtl::faReadOnly},
               {Dir / "missing", -1},
               {"", -1},
               {std::string("a\0b", 3), -1}};
  for (const auto& C : Cases) EXPECT_EQ(rtl::FileGetReadOnly(C.Name), C.Expected) << C.Name;
}
#endif

}  // namespace
