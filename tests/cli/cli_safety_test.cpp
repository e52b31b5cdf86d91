// SPDX-License-Identifier: MIT
// The quindle command where a run could lose data or hide what went wrong:
// several files onto one, a file written twice in one run, a missing target
// directory, interrupts, and the system's reason for a failure.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

namespace fs = std::filesystem;

bool IsReadOnly(const std::string& Name) {
  return (fs::status(Name).permissions() & fs::perms::owner_write) == fs::perms::none;
}

class CliSafetyTest : public QuindleFolderTest {
 protected:
  void SetUp() override {
    QuindleFolderTest::SetUp();
    fs::create_directories(Dir.path() / "s1");
    fs::create_directories(Dir.path() / "s2");
    WriteFile(Dir / "s1/x", "first\n");
    WriteFile(Dir / "s2/x", "second\n");
    WriteFile(Dir / "file", "keep me\n");
  }
};

TEST_F(CliSafetyTest, RefusesWhatWouldLoseData) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    int Status;
    std::string Err;
    std::string Out;
    // Names under the folder and the content each must hold afterwards
    // ("" for a name that must not exist).
    std::vector<std::pair<std::string, std::string>> After;
  };
  const std::vector<TCase> Cases = {
      {"two files onto a new name",
       {"src/a.txt", "src/b.txt", "dst2"},
       1,
       "quindle: target 'dst2' is not a directory\n",
       "",
       {{"dst2", ""}}},
      {"a pattern onto an existing file",
       {"src/*.txt", "file"},
       1,
       "quindle: target 'file' is not a directory\n",
       "",
       {{"file", "keep me\n"}}},
      {"one file onto a file",
       {"src/a.txt", "file"},
       0,
       "",
       "src/a.txt -> file\n",
       {{"file", "alpha\n"}}},
      // Sources go from the last to the first: s2/x is written, s1/x refused.
      {"a file written earlier in the run",
       {"s1/x", "s2/x", "dup/"},
       1,
       "quindle: will not overwrite just-created 'dup/x' with 's1/x'\n",
       "s2/x -> dup/x\n",
       {{"dup/x", "second\n"}}},
      {"missing target directory",
       {"src/a.txt", "new/"},
       1,
       "quindle: target directory 'new/' does not exist (use -d to create it)\n",
       "",
       {{"new", ""}}},
      {"-d makes the whole path",
       {"-d", "src/a.txt", "new/a/b/"},
       0,
       "",
       "src/a.txt -> new/a/b/a.txt\n",
       {{"new/a/b/a.txt", "alpha\n"}}},
      // The carriage return of the component's text is a space on a pipe.
      {"a parent that is a file",
       {"-d", "src/a.txt", "file/sub/deeper/"},
       1,
       "quindle: Cannot create target directory  file/sub/deeper (file/sub: Not a directory)\n",
       "",
       {{"file", "keep me\n"}}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    fs::create_directories(Dir.path() / "dup");
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, C.Status);
    EXPECT_EQ(R.Err, C.Err);
    EXPECT_EQ(R.Out, C.Out);
    for (const auto& [Name, Content] : C.After) {
      if (Content.empty())
        EXPECT_FALSE(Exists(Name)) << Name;
      else
        EXPECT_EQ(ReadFile(Dir / Name), Content) << Name;
    }
    fs::remove_all(Dir.path() / "dup");
    WriteFile(Dir / "file", "keep me\n");
  }
  // An existing target that this run did not write is replaced as before.
  WriteFile(Dir / "dst/x", "old\n");
  EXPECT_EQ(Run({"s1/x", "dst/"}).Status, 0);
  EXPECT_EQ(ReadFile(Dir / "dst/x"), "first\n");
}

// Each interrupt ends the run with its status, on its first arrival, whether
// a file is being copied or a question waits for its answer; the source is
// read-only again and the bar is gone from the terminal.
TEST_F(CliSafetyTest, InterruptsEndTheRun) {
  const std::string Big = Dir / "big/big.bin";
  fs::create_directories(Dir.path() / "big");
  fs::create_directories(Dir.path() / "out");
  {
    std::string Chunk = RandomBytes(1 << 20, 7);
    std::ofstream Out(Big, std::ios::binary);
    for (int I = 0; I < 1024; ++I)
      Out.write(Chunk.data(), static_cast<std::streamsize>(Chunk.size()));
  }
  fs::permissions(Big, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  WriteFile(Dir / "out/big.bin", "old\n");
  struct TCase {
    const char* Name;
    int Signal;
    int Status;
    std::vector<std::string> Args;
    bool HeldInput;
  };
  // The block copy, which moves the data through the program 48 KiB at a
  // time, is still copying after 0.2 s; the kernel's copy of the stream
  // method can finish 1 GiB before then on a fast machine.
  const std::vector<std::string> Copy = {"-m", "block", "src/a.txt", "big/big.bin", "copy/"};
  const std::vector<TCase> Cases = {
      {"SIGINT during a copy", SIGINT, 130, Copy, false},
      {"SIGTERM during a copy", SIGTERM, 143, Copy, false},
      {"SIGHUP during a copy", SIGHUP, 129, Copy, false},
      {"SIGINT at the overwrite question",
       SIGINT,
       130,
       {"-i", "src/a.txt", "big/big.bin", "out/"},
       true},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    fs::remove_all(Dir.path() / "copy");
    fs::create_directories(Dir.path() / "copy");
    const TProcessResult R =
        RunQuindleOnTerminal(C.Args, Dir.path().string(), 80, C.Signal, 200, C.HeldInput);
    EXPECT_EQ(R.Status, C.Status);
    EXPECT_TRUE(IsReadOnly(Big));
    // Sources go from the last to the first: the small file was next.
    EXPECT_FALSE(Exists(C.Args.back() + "a.txt"));
    EXPECT_EQ(ReadFile(Dir / "out/big.bin"), "old\n");
    // Whatever was drawn was erased last.
    if (!C.HeldInput) {
      ASSERT_FALSE(R.Err.empty());
      EXPECT_EQ(R.Err.substr(R.Err.rfind('\r')), "\r\x1b[K");
    }
  }
}

// An interrupt stops every directory being copied side by side. Each holds
// a 1 GiB file (the same one, linked twice), which the block copy is still
// copying after 0.2 s, as in the test above.
TEST_F(CliSafetyTest, InterruptStopsEveryDirectoryOfAWalk) {
  fs::create_directories(Dir.path() / "walk/a");
  fs::create_directories(Dir.path() / "walk/b");
  {
    const std::string Chunk = RandomBytes(1 << 20, 9);
    std::ofstream Out(Dir / "walk/a/big.bin", std::ios::binary);
    for (int I = 0; I < 1024; ++I)
      Out.write(Chunk.data(), static_cast<std::streamsize>(Chunk.size()));
  }
  fs::create_hard_link(Dir.path() / "walk/a/big.bin", Dir.path() / "walk/b/big.bin");
  fs::create_directories(Dir.path() / "copy");
  const TProcessResult R =
      RunQuindleOnTerminal({"-q", "-j", "2", "-r", "-m", "block", "walk", "copy/"},
                           Dir.path().string(), 80, SIGINT, 200, false);
  EXPECT_EQ(R.Status, 130);
  EXPECT_EQ(R.Err, "");
  for (const char* Copy : {"copy/a/big.bin", "copy/b/big.bin"}) {
    if (Exists(Copy)) {
      EXPECT_LT(fs::file_size(Dir.path() / Copy), 1u << 30) << Copy;
    }
  }
}

// A write that fails says which file and why, after the component's text.
TEST_F(CliSafetyTest, ReasonsOfAFullFileSystem) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root";
  fs::create_directories(Dir.path() / "small");
  if (mount("tmpfs", (Dir / "small").c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here";
  struct TUnmount {
    std::string Path;
    ~TUnmount() { umount(Path.c_str()); }
  } Unmount{Dir / "small"};
  WriteFile(Dir / "src/big.bin", RandomBytes(1 << 20, 3));
  const TProcessResult R = Run({"src/big.bin", "src/a.txt", "small/"});
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Err,
            "quindle: Cannot open target file small/. (small/big.bin: No space left on device)\n");
  // The file after the failure is still copied.
  EXPECT_EQ(R.Out, "src/a.txt -> small/a.txt\n");
}

}  // namespace
}  // namespace quindle::testing
