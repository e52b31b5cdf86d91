// SPDX-License-Identifier: MIT
#include "rtl/files/block_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "rtl/files/handles.h"
#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;
using rtl::TBlockFile;

constexpr int64_t kBlock = 49152;

// Reads a file in 49,152-byte blocks as a block copy does, writing each block
// to a target that held longer content before.
TEST(BlockFile, ReadCountsShrinkOnlyAtTheEndAndCopiesAreExact) {
  struct Case {
    size_t Size;
    int64_t RecSize;
    std::vector<int64_t> Counts;  // one per read, in records
  };
  const Case Cases[] = {
      {100000, 1, {49152, 49152, 1696, 0}},
      {98304, 1, {49152, 49152, 0}},
      {0, 1, {0}},
      // 1,696 bytes are 13 whole records and 32 bytes that make no record.
      {100000, 128, {384, 384, 13, 0}},
      {98304, 128, {384, 384, 0}},
  };
  TempDir Dir;
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Size) + " bytes, records of " + std::to_string(C.RecSize));
    const std::string Data = quindle::testing::RandomBytes(C.Size, 3);
    WriteFile(Dir / "src", Data);
    WriteFile(Dir / "dst", std::string(200000, 'x'));
    TBlockFile Src, Dst;
    Src.AssignFile(Dir / "src");
    Dst.AssignFile(Dir / "dst");
    Src.ResetFile(C.RecSize);
    Dst.RewritFile(C.RecSize);
    std::vector<char> Buf(kBlock);
    int64_t Total = 0;
    for (int64_t Expected : C.Counts) {
      const int64_t Got = Src.BlockRead(Buf.data(), kBlock / C.RecSize);
      EXPECT_EQ(Got, Expected);
      Dst.BlockWrite(Buf.data(), Got);
      Total += Got * C.RecSize;
    }
    EXPECT_TRUE(Dst.CloseFile());
    EXPECT_TRUE(ReadFile(Dir / "dst") == Data.substr(0, Total));
  }
}

TEST(BlockFile, FailuresRaiseInOutErrorWithTheErrno) {
  TempDir Dir;
  std::filesystem::create_directory(Dir.path() / "sub");
  WriteFile(Dir / "file", "0123456789");
  char Buf[256] = {};
  struct Case {
    const char* What;
    std::function<void(TBlockFile&)> Run;
    int Errno;
  };
  const Case Cases[] = {
    {"reset a missing file", [&](TBlockFile& F) { F.AssignFile(Dir / "missing"), F.ResetFile(1); },
     ENOENT},
    {"reset a directory", [&](TBlockFile& F) { F.AssignFile(Dir / "sub"), F.ResetFile(1); },
     EISDIR},
    {"rewrite a directory", [&](TBlockFile& F) { F.AssignFile(Dir / "sub"), F.RewritFile(1); },
     EISDIR},
    {"rewrite in a missing folder",
     [&](TBlockFile& F) { F.AssignFile(Dir / "no/file"), F.RewritFile(1); }, ENOENT},
    {"record size 0", [&](TBlockFile& F) { F.AssignFile(Dir / "file"), F.ResetFile(0); }, EINVAL},
    {"read before opening", [&](TBlockFile& F) { F.BlockRead(Buf, 1); }, EBADF},
    // Windows refuses the write as access denied.
    {"write to a file opened for reading",
     [&](TBlockFile& F) { F.AssignFile(Dir / "file"), F.ResetFile(1), F.BlockWrite(Buf, 1); },
     QUINDLE_TEST_POSIX ? EBADF : EACCES},
#if QUINDLE_TEST_POSIX
    {"write to a full device",
     [&](TBlockFile& F) { F.AssignFile("/dev/full"), F.RewritFile(128), F.BlockWrite(Buf, 2); },
     ENOSPC},
#endif
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TBlockFile F;
    try {
      C.Run(F);
      ADD_FAILURE() << "no error";
    } catch (const rtl::EInOutError& E) {
      EXPECT_EQ(E.ErrorCode, C.Errno) << E.Message();
    }
  }
  EXPECT_EQ(ReadFile(Dir / "file"), "0123456789");
}

// Clears the immutable flag again, so the temporary folder can be removed.
class ImmutableFile {
 public:
  explicit ImmutableFile(const std::string& Name) : FName(Name) { FSet = SetFlag(true); }
  ~ImmutableFile() {
    if (FSet) SetFlag(false);
  }
  bool IsSet() const { return FSet; }

 private:
  // On Windows the read-only attribute refuses writing to every program.
  bool SetFlag(bool On) {
#if !QUINDLE_TEST_POSIX
    // Where the read-only bit does not stop this user writing (Wine as
    // root), the file does not count as locked.
    if (rtl::FileSetAttr(FName, On ? rtl::faReadOnly : 0) != 0 || !On) return !On;
    rtl::TFileHandle Writer;
    if (!rtl::OpenFile(FName, rtl::TAccess::ReadWrite, Writer)) {
      rtl::FileSetAttr(FName, 0);
      return false;
    }
    return true;
#else
    const int Fd = open(FName.c_str(), O_RDONLY);
    if (Fd < 0) return false;
    int Flags = 0;
    bool Ok = ioctl(Fd, FS_IOC_GETFLAGS, &Flags) == 0;
    Flags = On ? Flags | FS_IMMUTABLE_FL : Flags & ~FS_IMMUTABLE_FL;
    Ok = Ok && ioctl(Fd, FS_IOC_SETFLAGS, &Flags) == 0;
    close(Fd);
    return Ok;
#endif
  }
  std::string FName;
  bool FSet = false;
};

// A source that can be read but not written (an immutable file stays so even
// for root) must still open, or a block copy of it would fail.
TEST(BlockFile, ResetOpensAReadableButUnwritableFile) {
  TempDir Dir;
  const std::string Name = Dir / "locked";
  WriteFile(Name, "locked content");
  ImmutableFile Lock(Name);
  if (!Lock.IsSet()) GTEST_SKIP() << "the file system cannot make a file immutable";
  rtl::TFileHandle Writer;
  ASSERT_TRUE(rtl::OpenFile(Name, rtl::TAccess::ReadWrite, Writer));
  TBlockFile F;
  F.AssignFile(Name);
  ASSERT_NO_THROW(F.ResetFile(1));
  char Buf[64];
  EXPECT_EQ(F.BlockRead(Buf, sizeof Buf), 14);
}

// The number of open descriptors; Windows lists no handles to count (0).
size_t OpenDescriptors() {
  size_t N = 0;
#if QUINDLE_TEST_POSIX
  for ([[maybe_unused]] const auto& E : std::filesystem::directory_iterator("/proc/self/fd")) ++N;
#endif
  return N;
}

TEST(BlockFile, ReopeningAndDestructionReleaseTheDescriptor) {
  TempDir Dir;
  WriteFile(Dir / "a", "a");
  const size_t Before = OpenDescriptors();
  {
    TBlockFile F;
    F.AssignFile(Dir / "a");
    F.ResetFile(1);
    F.RewritFile(1);
    EXPECT_FALSE(F.Created());  // truncated, not new
    F.ResetFile(128);
    EXPECT_EQ(OpenDescriptors(), Before + (QUINDLE_TEST_POSIX ? 1 : 0));
    F.AssignFile(Dir / "b");
    F.RewritFile(1);
    EXPECT_TRUE(F.Created());
  }
  EXPECT_EQ(OpenDescriptors(), Before);
}

}  // namespace
