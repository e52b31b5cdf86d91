// SPDX-License-Identifier: MIT
// Streams and block files meet FIFOs and symbolic links without hanging and
// without writing where a dangling link points.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "rtl/files/block_file.h"
#include "rtl/files/streams.h"
#include "support/test_support.h"

namespace {

using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;
namespace fs = std::filesystem;

// Opens for reading, or creates, through either kind of file object.
struct Opener {
  const char* What;
  std::function<void(const std::string&)> Read;
  std::function<void(const std::string&)> Create;
};

const Opener kOpeners[] = {
    {"stream", [](const std::string& N) { rtl::TFileStream S(N, rtl::fmOpenRead); },
     [](const std::string& N) { rtl::TFileStream S(N, rtl::fmCreate); }},
    {"block file",
     [](const std::string& N) {
       rtl::TBlockFile F;
       F.AssignFile(N);
       F.ResetFile(1);
       char Buf[16];
       EXPECT_EQ(F.BlockRead(Buf, sizeof Buf), 0);  // no writer: the end at once
     },
     [](const std::string& N) {
       rtl::TBlockFile F;
       F.AssignFile(N);
       F.RewritFile(1);
     }},
};

class SpecialFiles : public ::testing::Test {
 protected:
  // A hang would end the test binary with SIGALRM instead of stalling CI.
  void SetUp() override { alarm(20); }
  void TearDown() override { alarm(0); }
  TempDir Dir;
};

TEST_F(SpecialFiles, AFifoWithoutAPeerNeverHangsTheOpen) {
  const std::string Fifo = Dir / "fifo";
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  for (const auto& O : kOpeners) {
    SCOPED_TRACE(O.What);
    EXPECT_NO_THROW(O.Read(Fifo));
    // Writing needs a reader; without one the open fails (ENXIO) at once.
    EXPECT_THROW(O.Create(Fifo), rtl::Exception);
  }
}

TEST_F(SpecialFiles, ADanglingLinkIsNotWrittenThroughButALiveOneIs) {
  const std::string Elsewhere = Dir / "elsewhere";
  fs::create_symlink(Elsewhere, Dir / "dangling");
  WriteFile(Dir / "real", "old content");
  fs::create_symlink(Dir / "real", Dir / "live");
  for (const auto& O : kOpeners) {
    SCOPED_TRACE(O.What);
    EXPECT_THROW(O.Create(Dir / "dangling"), rtl::Exception);
    EXPECT_FALSE(fs::exists(Elsewhere));
    EXPECT_TRUE(fs::is_symlink(Dir / "dangling"));

    WriteFile(Dir / "real", "old content");
    O.Create(Dir / "live");
    EXPECT_EQ(ReadFile(Dir / "real"), "");  // truncated through the link
    EXPECT_TRUE(fs::is_symlink(Dir / "live"));

    O.Create(Dir / "new");
    EXPECT_TRUE(fs::is_regular_file(Dir / "new"));
  }
}

}  // namespace
