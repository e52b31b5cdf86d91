// SPDX-License-Identifier: MIT
// The transfer methods when something goes wrong: which event reports it, that
// it is reported once, and what is left on disk. Also the move's fallbacks and
// the LZ expansion of real compressed files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "rtl/files/fault_injection.h"
#include "transfer_fixture.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quindle {
namespace {

using testing::RandomBytes;
using testing::ReadFile;
using testing::WriteFile;
using Events = std::vector<std::string>;

constexpr uint8_t kAttr = rtl::faReadOnly | rtl::faArchive;

enum class Fault { SourceMissing, TargetIsDirectory, TargetFolderMissing, TargetDevFull };

struct FaultCase {
  const char* Name;
  TCopyType Type;
  Fault What;
  Events Expected;
};
void PrintTo(const FaultCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class TransferFault : public TransferFixture, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(TransferFault, IsReportedOnceAndLeavesTheRestAlone) {
  const FaultCase& C = GetParam();
  const std::string Data = RandomBytes(100000);
  const std::string Src = C.What == Fault::SourceMissing ? Dir / "missing" : MakeSource("s", Data);
  std::string Tgt = Dir / "t";
  if (C.What == Fault::TargetIsDirectory) {
    ASSERT_TRUE(rtl::CreateDir(Tgt));
  }
  if (C.What == Fault::TargetFolderMissing) Tgt = Dir / "no-such-folder/t";
  if (C.What == Fault::TargetDevFull) Tgt = "/dev/full";
  struct stat Before {};
  ::stat(Tgt.c_str(), &Before);
  // /dev/full must not be made read-only by the closing step.
  Select(Src, Tgt, C.What == Fault::TargetDevFull ? 0 : kAttr);

  Run(C.Type);

  EXPECT_EQ(Log, C.Expected);
  struct stat After {};
  switch (C.What) {
    case Fault::SourceMissing:
      EXPECT_FALSE(Exists(Tgt));
      break;
    case Fault::TargetIsDirectory:
      EXPECT_EQ(rtl::FileGetAttr(Tgt), rtl::faDirectory);  // no attributes put on it
      break;
    case Fault::TargetFolderMissing:
      EXPECT_FALSE(Exists(Dir / "no-such-folder"));
      break;
    case Fault::TargetDevFull:
      ASSERT_EQ(::stat(Tgt.c_str(), &After), 0);
      EXPECT_EQ(After.st_mode, Before.st_mode);
      break;
  }
  if (C.What != Fault::SourceMissing) {
    EXPECT_EQ(ReadFile(Src), Data);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Methods, TransferFault,
    ::testing::Values(
        FaultCase{"StreamSourceMissing", ctStream, Fault::SourceMissing, {"OpenSrcError"}},
        FaultCase{"BlockSourceMissing", ctBlock, Fault::SourceMissing, {"OpenSrcError"}},
        FaultCase{"LZSourceMissing", ctLZCopy, Fault::SourceMissing, {"OpenSrcError"}},
        FaultCase{"StreamTargetIsDirectory", ctStream, Fault::TargetIsDirectory, {"OpenTgtError"}},
        FaultCase{"BlockTargetIsDirectory", ctBlock, Fault::TargetIsDirectory, {"OpenTgtError"}},
        FaultCase{"LZTargetIsDirectory", ctLZCopy, Fault::TargetIsDirectory, {"OpenTgtError"}},
        FaultCase{"StreamFolderMissing", ctStream, Fault::TargetFolderMissing, {"OpenTgtError"}},
        FaultCase{"BlockFolderMissing", ctBlock, Fault::TargetFolderMissing, {"OpenTgtError"}},
        FaultCase {
          "LZFolderMissing", ctLZCopy, Fault::TargetFolderMissing, {
            "OpenTgtError"
          }
        }
#if QUINDLE_TEST_POSIX
        // /dev/full fails every write.
        ,
        FaultCase{"StreamWriteFails", ctStream, Fault::TargetDevFull, {"P0", "OpenTgtError"}},
        FaultCase{"BlockWriteFails", ctBlock, Fault::TargetDevFull, {"P0", "P49", "OpenTgtError"}},
        // The block copy inside a move fails: the source must stay.
        FaultCase{"MoveWriteFails",
                  ctMove,
                  Fault::TargetDevFull,
                  {"P0", "P0", "P0", "P49", "OpenTgtError", "P100"}}
#endif
        ),
    [](const auto& Info) { return std::string(Info.param.Name); });

class TransferHandlerThrows : public TransferFixture,
                              public ::testing::WithParamInterface<TCopyType> {};

// The exception is reported as a target failure; the partial target is closed
// and left with the current file's attributes, not with the value an earlier
// file's OnSetAttr left in the attribute cell.
TEST_P(TransferHandlerThrows, InOnProgressChangeReportsOpenTgtError) {
  const TCopyType Type = GetParam();
  const std::string Data = RandomBytes(100000);
  const std::string Src = MakeSource("s", SourceBytes(Type, Data));
  Select(Src, Dir / "earlier", kAttr);
  SetAttrHook = [](int32_t& Attr, rtl::TDateTime&) { Attr = 0; };
  Run(Type);
  ASSERT_EQ(rtl::FileGetAttr(Dir / "earlier"), Readable(0));

  Log.clear();
  ProgressHook = [] { throw std::runtime_error("application gave up"); };
  Select(Src, Dir / "t", kAttr);
  Run(Type);
  EXPECT_EQ(Log, (Events{"P0", "OpenTgtError"}));
  ASSERT_TRUE(Exists(Dir / "t"));
  EXPECT_EQ(rtl::FileGetAttr(Dir / "t"), Readable(kAttr));
}

TEST_P(TransferHandlerThrows, InOnSetAttrReportsOpenTgtErrorAfterTheData) {
  const TCopyType Type = GetParam();
  const std::string Data = RandomBytes(1000);
  Select(MakeSource("s", SourceBytes(Type, Data)), Dir / "t", kAttr);
  SetAttrHook = [](int32_t&, rtl::TDateTime&) { throw rtl::Exception("refused"); };
  Run(Type);
  ASSERT_GE(Log.size(), 3u);
  EXPECT_EQ((Events{Log.end() - 2, Log.end()}), (Events{"SetAttr", "OpenTgtError"}));
  EXPECT_EQ(ReadFile(Dir / "t"), Data);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "t"), Readable(kAttr));
}

TEST_P(TransferHandlerThrows, InOnOpenTgtErrorIsReportedByOpenSrcError) {
  const TCopyType Type = GetParam();
  ASSERT_TRUE(rtl::CreateDir(Dir / "t"));
  Select(MakeSource("s", "data"), Dir / "t", kAttr);
  OpenTgtHook = [] { throw std::runtime_error("handler failed"); };
  Run(Type);
  EXPECT_EQ(Log, (Events{"OpenTgtError", "OpenSrcError"}));
}

INSTANTIATE_TEST_SUITE_P(Methods, TransferHandlerThrows,
                         ::testing::Values(ctStream, ctBlock, ctLZCopy),
                         [](const auto& Info) { return std::string(MethodName(Info.param)); });

struct CloseCase {
  const char* Name;
  TCopyType Type;
  Events Expected;
};
void PrintTo(const CloseCase& C, std::ostream* Os) {
  *Os << C.Name;
}

class TransferCloseFails : public TransferFixture,
                           public ::testing::WithParamInterface<CloseCase> {};

// A target whose close fails (as on a network or quota-limited file system)
// has not been written for sure: it is a failure of the target, reported
// once, after the closing step; a move keeps its source.
TEST_P(TransferCloseFails, IsReportedAsATargetFailure) {
  const CloseCase& C = GetParam();
  const std::string Data = RandomBytes(1000);
  const std::string Src = MakeSource("s", SourceBytes(C.Type, Data));
  if (C.Type == ctMove) WriteFile(Dir / "t", "old");  // the rename is refused: the copy path
  Select(Src, Dir / "t", rtl::faArchive);
  // The first close after OnSetAttr is the target's.
  bool Armed = false;
  int Failed = 0;
  SetAttrHook = [&](int32_t&, rtl::TDateTime&) { Armed = true; };
  rtl::detail::SetFaultHook(
      [&](rtl::detail::TFaultOp Op) -> std::optional<rtl::detail::TFaultAction> {
        if (Op != rtl::detail::TFaultOp::Close || !Armed) return std::nullopt;
        Armed = false;
        ++Failed;
        return rtl::detail::TFaultAction{std::make_error_code(std::errc::io_error)};
      });
  TConditionRecord Reported;
  OpenTgtHook = [&] { Reported = Q.Condition(); };
  Run(C.Type);
  rtl::detail::SetFaultHook(nullptr);
  EXPECT_EQ(Failed, 1);
  EXPECT_EQ(Log, C.Expected);
  EXPECT_EQ(Reported.Error, std::errc::io_error);
  EXPECT_EQ(Reported.ErrorFileName, Dir / "t");
  EXPECT_EQ(ReadFile(Dir / "t"), Data);
  EXPECT_EQ(ReadFile(Src), SourceBytes(C.Type, Data));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, TransferCloseFails,
    ::testing::Values(
        CloseCase{"Stream", ctStream, {"P0", "P100", "SetAttr", "OpenTgtError"}},
        CloseCase{"Block", ctBlock, {"P0", "P100", "SetAttr", "OpenTgtError"}},
        CloseCase{"LZ", ctLZCopy, {"P0", "P100", "SetAttr", "OpenTgtError"}},
        CloseCase{"Move", ctMove, {"P0", "P0", "P0", "P100", "SetAttr", "OpenTgtError", "P100"}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

// Sets or clears the immutable flag; false where the file system lacks it.
// On Windows the read-only attribute refuses writing to every program.
bool SetImmutable(const std::string& Name, bool On) {
#if !QUINDLE_TEST_POSIX
  // Where the read-only bit does not stop this user writing (Wine as root),
  // there is no such file.
  if (rtl::FileSetAttr(Name, On ? rtl::faReadOnly : 0) != 0 || !On) return !On;
  rtl::TFileHandle Writer;
  if (!rtl::OpenFile(Name, rtl::TAccess::ReadWrite, Writer)) {
    rtl::FileSetAttr(Name, 0);
    return false;
  }
  return true;
#else
  const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
  if (Fd < 0) return false;
  int Flags = 0;
  bool Ok = ::ioctl(Fd, FS_IOC_GETFLAGS, &Flags) == 0;
  Flags = On ? (Flags | FS_IMMUTABLE_FL) : (Flags & ~FS_IMMUTABLE_FL);
  Ok = Ok && ::ioctl(Fd, FS_IOC_SETFLAGS, &Flags) == 0;
  ::close(Fd);
  return Ok;
#endif
}

TEST_F(TransferFixture, CopiesNeverOpenTheSourceForWriting) {
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy}) {
    const std::string Data = RandomBytes(70000);
    const std::string Src =
        MakeSource(std::string("s") + MethodName(Type), SourceBytes(Type, Data));
    if (!SetImmutable(Src, true)) GTEST_SKIP() << "no immutable files here";
    Log.clear();
    Select(Src, Dir / MethodName(Type), 0);
    Run(Type);
    SetImmutable(Src, false);
    EXPECT_EQ(ReadFile(Dir / MethodName(Type)), Data) << MethodName(Type);
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "OpenSrcError"), 0) << MethodName(Type);
  }
}

TEST_F(TransferFixture, LZCopyFailureStillStampsAndKeepsTheTarget) {
  std::string Packed = rtl::SZDDCompress(RandomBytes(5000));
  Packed[8] = 'B';  // a compression mode the library does not know
  Select(MakeSource("s", Packed), Dir / "t", kAttr);
  Access.LZExpandCopy();
  EXPECT_EQ(Log, (Events{"P0", "LZCopyError", "P100", "SetAttr"}));
  ASSERT_TRUE(Exists(Dir / "t"));
  EXPECT_EQ(rtl::FileAge(Dir / "t"), kSrcAge);
  EXPECT_EQ(rtl::FileGetAttr(Dir / "t"), Readable(kAttr));
}

TEST_F(TransferFixture, MoveOfAReadOnlySourceTouchesNothing) {
  SetEntries(4);
  Access.SetProgress(60);
  const std::string Src = MakeSource("s", "source");
  ASSERT_EQ(rtl::FileSetAttr(Src, rtl::faReadOnly), 0);
  WriteFile(Dir / "t", "target");  // the rename is refused, so the copy path runs
  Select(Src, Dir / "t", kAttr);
  Access.MoveCopy();
  EXPECT_EQ(Log, (Events{"P0", "MoveFileError"}));
  EXPECT_EQ(Q.Progress(), 0);
  EXPECT_EQ(ReadFile(Src), "source");
  EXPECT_EQ(ReadFile(Dir / "t"), "target");
}

#if QUINDLE_TEST_POSIX
TEST_F(TransferFixture, MoveAcrossFileSystemsCopiesThenDeletes) {
  struct stat Here {
  }, Shm{};
  if (::stat(Dir.path().c_str(), &Here) != 0 || ::stat("/dev/shm", &Shm) != 0 ||
      Here.st_dev == Shm.st_dev)
    GTEST_SKIP() << "/dev/shm is not another file system here";
  std::string Other = "/dev/shm/quindle-transfer-XXXXXX";
  ASSERT_NE(::mkdtemp(Other.data()), nullptr);
  const std::string Data = RandomBytes(100000);
  const std::string Src = MakeSource("s", Data);
  const std::string Tgt = Other + "/t";
  Select(Src, Tgt, kAttr);
  Access.MoveCopy();
  EXPECT_EQ(Log, (Events{"P0", "P0", "P0", "P49", "P98", "P100", "SetAttr", "P100"}));
  EXPECT_FALSE(Exists(Src));
  EXPECT_EQ(ReadFile(Tgt), Data);
  EXPECT_EQ(rtl::FileAge(Tgt), kSrcAge);
  EXPECT_EQ(rtl::FileGetAttr(Tgt) & rtl::faReadOnly, rtl::faReadOnly);
  std::filesystem::remove_all(Other);
}
#endif

TEST_F(TransferFixture, MoveRenameLetsAnOnSetAttrExceptionOut) {
  Select(MakeSource("s", "data"), Dir / "t", 0);
  SetAttrHook = [](int32_t&, rtl::TDateTime&) { throw std::runtime_error("stop"); };
  EXPECT_THROW(Access.MoveCopy(), std::runtime_error);
  EXPECT_EQ(ReadFile(Dir / "t"), "data");
}

TEST_F(TransferFixture, ExpandsTheCorpusFiles) {
  const std::filesystem::path Corpus = testing::CorpusDir() / "szdd";
  if (testing::CorpusDir().empty() || !std::filesystem::is_directory(Corpus))
    GTEST_SKIP() << "no SZDD corpus";
  const std::pair<const char*, const char*> Pairs[] = {
      {"wine-lzexpand-testfile.xx_", "wine-lzexpand-testfile.expected"},
      {"MUANGELO.CN_", "MUANGELO.CNT"},
      {"GLOBE3.AN_", "GLOBE3.ANI"},
      {"UNINSTAL.LN_", "UNINSTAL.LNG"},
      {"TBSETUP.DA_", "TBSETUP.DAT"},
      {"mscompress-test.txt_", "mscompress-test.txt"},
      // Not SZDD: copied unchanged.
      {"libmspack-kwaj-f00.kwj", "libmspack-kwaj-f00.kwj"},
  };
  for (const auto& [Packed, Expected] : Pairs) {
    Log.clear();
    const std::string Tgt = Dir / Expected;
    Select((Corpus / Packed).string(), Tgt, 0);
    Access.LZExpandCopy();
    EXPECT_EQ(Log, (Events{"P0", "P100", "SetAttr"})) << Packed;
    EXPECT_EQ(ReadFile(Tgt), ReadFile((Corpus / Expected).string())) << Packed;
  }
}

}  // namespace
}  // namespace quindle
