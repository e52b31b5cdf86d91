// SPDX-License-Identifier: MIT
// The transfer methods on success: the order and values of their progress
// notifications, the bytes they produce, and the date and attributes they
// stamp on the target, with and without an OnSetAttr handler.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "transfer_fixture.h"

#if QUINDLE_TEST_POSIX
#include <unistd.h>
#endif

namespace quindle {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::WriteFile;

struct ProgressCase {
  const char* Name;
  TCopyType Type;
  int Entries;
  int Files;          // transferred one after the other, as the run would
  size_t Size;        // bytes per file
  bool TargetExists;  // for a move: forces the copy path
  std::vector<int> Expected;
};
void PrintTo(const ProgressCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class TransferProgress : public TransferFixture,
                         public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(TransferProgress, NotifiesInOrderAndCopiesTheBytes) {
  const ProgressCase& C = GetParam();
  SetEntries(C.Entries);
  std::vector<int> Seen;
  ProgressHook = [&] { Seen.push_back(Q.Progress()); };
  for (int I = 0; I < C.Files; ++I) {
    const std::string Data = RandomBytes(C.Size, I + 1);
    const std::string Src = MakeSource("s" + std::to_string(I), SourceBytes(C.Type, Data));
    const std::string Tgt = Dir / ("t" + std::to_string(I));
    if (C.TargetExists) WriteFile(Tgt, "old target, longer than nothing");
    Select(Src, Tgt, rtl::faArchive);
    Run(C.Type);
    EXPECT_EQ(ReadFile(Tgt), Data) << "file " << I;
    EXPECT_EQ(Exists(Src), C.Type != ctMove) << "file " << I;
  }
  EXPECT_EQ(Seen, C.Expected);
  for (const std::string& E : Log)
    EXPECT_TRUE(E[0] == 'P' || E == "SetAttr") << "unexpected event " << E;
}

INSTANTIATE_TEST_SUITE_P(
    Methods, TransferProgress,
    ::testing::Values(
        // 49,152-byte blocks: 49,152 + 49,152 + 1,696.
        ProgressCase{"BlockOneEntry", ctBlock, 1, 1, 100000, false, {0, 49, 98, 100}},
        // Two full blocks end with an empty pass.
        ProgressCase{"BlockTwoFullBlocks", ctBlock, 1, 1, 98304, false, {0, 50, 100, 100}},
        ProgressCase{"BlockEmptySource", ctBlock, 1, 1, 0, false, {0, 0}},
        // Several entries: the step, repeated by every block.
        ProgressCase{
            "BlockEightEntries", ctBlock, 8, 2, 100000, false, {12, 12, 12, 12, 24, 24, 24, 24}},
        ProgressCase{
            "StreamOneEntryRestartsPerFile", ctStream, 1, 2, 1000, false, {0, 100, 0, 100}},
        ProgressCase{"StreamSixEntries",
                     ctStream,
                     6,
                     6,
                     10,
                     false,
                     {17, 17, 34, 34, 51, 51, 68, 68, 85, 85, 100, 100}},
        ProgressCase{"StreamThreeEntriesFiveFiles",
                     ctStream,
                     3,
                     5,
                     10,
                     false,
                     {33, 33, 66, 66, 99, 99, 100, 100, 100, 100}},
        ProgressCase{"StreamEmptySource", ctStream, 1, 1, 0, false, {0, 100}},
        ProgressCase{"LZOneEntry", ctLZCopy, 1, 1, 5000, false, {0, 100}},
        ProgressCase{"LZFortyEntries", ctLZCopy, 40, 2, 10, false, {2, 2, 4, 4}},
        ProgressCase{"LZTwoHundredEntries", ctLZCopy, 200, 2, 10, false, {0, 0, 0, 0}},
        ProgressCase{"MoveRename", ctMove, 1, 1, 1000, false, {0}},
        ProgressCase{"MoveRenameRestartsFromZero", ctMove, 4, 2, 1000, false, {0, 0}},
        // Rename refused (the target exists): 0, CopyAndDelete's step, then
        // BlockCopy's, then the last after the delete.
        ProgressCase{
            "MoveOntoExistingOneEntry", ctMove, 1, 1, 100000, true, {0, 0, 0, 49, 98, 100, 100}},
        ProgressCase{"MoveOntoExistingFourEntries",
                     ctMove,
                     4,
                     1,
                     100000,
                     true,
                     {0, 25, 50, 50, 50, 50, 50}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST_F(TransferFixture, BlockProgressStaysExactPastThirtyTwoBits) {
  // 24 MiB: running total * 100 passes 2^31 after 21,474,836 bytes.
  const std::string Src = Dir / "big";
  WriteFile(Src, "");
  std::filesystem::resize_file(Src, 512 * 49152);
  Select(Src, Dir / "big.out", 0);
  std::vector<int> Seen;
  ProgressHook = [&] { Seen.push_back(Q.Progress()); };
  Access.BlockCopy();
  ASSERT_EQ(Seen.size(), 1u + 512 + 1);  // the step, 512 full blocks, the empty pass
  for (size_t Block = 1; Block <= 512; ++Block)
    ASSERT_EQ(Seen[Block], static_cast<int>(Block * 100 / 512)) << "block " << Block;
  EXPECT_EQ(Seen.back(), 100);
}

TEST_F(TransferFixture, BlockProgressUsesTheWholeSixtyFourBitSize) {
  // A size whose low 32 bits are the real length: a truncated size would
  // show 49, 98, 100.
  const std::string Src = MakeSource("s", RandomBytes(100000));
  Access.SetCurrentFile(Src, Dir / "t", 0, rtl::FileDateToDateTime(kSrcAge),
                        (int64_t{1} << 32) + 100000);
  Access.BlockCopy();
  EXPECT_EQ(Log, (std::vector<std::string>{"P0", "P0", "P0", "P0", "SetAttr"}));
}

struct StampCase {
  const char* Name;
  TCopyType Type;
  size_t Size;
  bool TargetExists;  // for a move: forces the copy path
  bool Adjust;        // OnSetAttr clears the attributes and sets another date
};
void PrintTo(const StampCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class TransferStamp : public TransferFixture, public ::testing::WithParamInterface<StampCase> {};

TEST_P(TransferStamp, TargetGetsTheDateAndAttributesLeftByOnSetAttr) {
  const StampCase& C = GetParam();
  const std::string Data = RandomBytes(C.Size, 7);
  const std::string Src = MakeSource("src.dat", SourceBytes(C.Type, Data));
  const std::string Tgt = Dir / "tgt.dat";
  if (C.TargetExists) WriteFile(Tgt, "old");
  constexpr uint8_t kAttr = rtl::faReadOnly | rtl::faArchive;
  Select(Src, Tgt, kAttr);
  std::string SeenName;
  int32_t SeenAttr = -1;
  rtl::TDateTime SeenDate = 0;
  Q.SetOnSetAttr([&](rtl::TObject*, std::string Name, int32_t& Attr, rtl::TDateTime& Date) {
    SeenName = Name;
    SeenAttr = Attr;
    SeenDate = Date;
    if (C.Adjust) {
      Attr = 0;
      Date = rtl::FileDateToDateTime(kOtherAge);
    }
  });
  Run(C.Type);
  EXPECT_EQ(SeenName, Tgt);
  EXPECT_EQ(SeenAttr, kAttr);
  EXPECT_EQ(SeenDate, rtl::FileDateToDateTime(kSrcAge));
  EXPECT_EQ(ReadFile(Tgt), Data);
  EXPECT_EQ(rtl::FileAge(Tgt), C.Adjust ? kOtherAge : kSrcAge);
  EXPECT_EQ(rtl::FileGetAttr(Tgt), C.Adjust ? Readable(0) : Readable(kAttr));
  EXPECT_TRUE(Log.empty() || Log.front()[0] == 'P');
}

INSTANTIATE_TEST_SUITE_P(
    Methods, TransferStamp,
    ::testing::Values(StampCase{"Stream", ctStream, 100000, false, false},
                      StampCase{"StreamAdjusted", ctStream, 100000, false, true},
                      StampCase{"Block", ctBlock, 100000, false, false},
                      StampCase{"BlockAdjusted", ctBlock, 100000, false, true},
                      StampCase{"BlockEmptySource", ctBlock, 0, false, false},
                      StampCase{"LZ", ctLZCopy, 20000, false, false},
                      StampCase{"LZAdjusted", ctLZCopy, 20000, false, true},
                      StampCase{"MoveRename", ctMove, 1000, false, false},
                      StampCase{"MoveRenameAdjusted", ctMove, 1000, false, true},
                      StampCase{"MoveCopyPath", ctMove, 100000, true, false},
                      StampCase{"MoveCopyPathAdjusted", ctMove, 100000, true, true}),
    [](const auto& Info) { return std::string(Info.param.Name); });

class TransferMoveNames : public TransferFixture {};

// Names without a drive lie on one drive: relative names whose first
// characters differ are still renamed (the inode stays), not copied.
TEST_F(TransferMoveNames, RelativeNamesAreRenamedWhateverTheirFirstCharacters) {
  const std::string Src = MakeSource("a-src.bin", std::string(5000, 'm'));
  ASSERT_TRUE(std::filesystem::create_directory(Dir / "b-dir"));
  rtl::TFileInfo Before;
  ASSERT_FALSE(rtl::GetFileInfo(Src, Before));
  const std::string Cwd = rtl::GetCurrentDir();
  ASSERT_TRUE(rtl::SetCurrentDir(Dir.path().string()));
  Select("a-src.bin", "b-dir/moved.bin", 0);
  Run(ctMove);
  rtl::SetCurrentDir(Cwd);
  rtl::TFileInfo After;
  ASSERT_FALSE(rtl::GetFileInfo(Dir / "b-dir/moved.bin", After));
  EXPECT_EQ(After.Identity, Before.Identity);
  EXPECT_FALSE(Exists(Src));
  EXPECT_EQ(Log, (std::vector<std::string>{"P0", "SetAttr"}));
}

#if QUINDLE_TEST_POSIX
// In the hour that daylight saving repeats, a local time names two instants;
// a copy must keep its source's instant, not pick the other one. (The zone
// is set through TZ, which Windows does not read.)
TEST(TransferDates, TheRepeatedHourKeepsItsInstant) {
  if (::access("/usr/share/zoneinfo/Europe/Berlin", R_OK) != 0) GTEST_SKIP() << "no time zone data";
  const char* Saved = ::getenv("TZ");
  const std::string OldTz = Saved ? Saved : "";
  ::setenv("TZ", "Europe/Berlin", 1);
  ::tzset();
  testing::TempDir Dir;
  // 2023-10-29 00:30:00.123456 UTC: 02:30 summer time, the first 02:30 of the night.
  constexpr int64_t kAge = 1698539400123456;
  for (TCopyType Type : {ctStream, ctBlock, ctMove}) {
    const std::string Src = Dir / ("src" + std::to_string(Type));
    const std::string Tgt = Dir / ("tgt" + std::to_string(Type));
    testing::WriteFile(Src, "x");
    SetAge(Src, kAge);
    TQuindle Q(nullptr);
    Q.SourceFilenames()->Add(Src);
    Q.SetTargetFilename(Tgt);
    Q.SetCopyType(Type);
    Q.Execute();
    EXPECT_EQ(rtl::FileAge(Tgt), kAge) << static_cast<int>(Type);
  }
  if (Saved)
    ::setenv("TZ", OldTz.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}
#endif

}  // namespace
}  // namespace quindle
