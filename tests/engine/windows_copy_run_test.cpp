// SPDX-License-Identifier: MIT
// Whole runs on Windows: the copy keeps its source's time to the 100 ns, the
// move renames only on one drive, and a read-only target is never half
// overwritten.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "rtl/files/file_identity.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/handles.h"
#include "support/test_support.h"

namespace quindle {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// 2009-02-13 23:31:30.1234567 UTC: every digit of the 100 ns counts.
constexpr int64_t kAge = 12345678901234567;

void SetAge(const std::string& Name, int64_t Age) {
  rtl::TFileHandle H;
  ASSERT_FALSE(rtl::OpenFile(Name, rtl::TAccess::Write, H));
  ASSERT_EQ(rtl::FileSetDate(H.Get(), Age), 0);
}

struct TRun {
  std::vector<std::string> Events;
  void Attach(TQuindle& Q) {
    Q.SetOnMoveFileError([this](rtl::TObject*) { Events.push_back("MoveFileError"); });
    Q.SetOnOpenTgtError([this](rtl::TObject*) { Events.push_back("OpenTgtError"); });
    Q.SetOnAfterCopyFile(
        [this](rtl::TObject*, std::string, std::string) { Events.push_back("AfterCopyFile"); });
  }
};

TEST(WindowsCopyRun, EveryMethodKeepsTheHundredNanoseconds) {
  ASSERT_EQ(rtl::FileDateTicksPerSecond, 10000000);
  TempDir Dir;
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    SCOPED_TRACE(static_cast<int>(Type));
    const std::string Src = Dir / ("src" + std::to_string(Type) + ".txt");
    const std::string Tgt = Dir / ("tgt" + std::to_string(Type) + ".txt");
    WriteFile(Src, "not compressed, so copied as it is");
    SetAge(Src, kAge);
    TQuindle Q(nullptr);
    Q.SourceFilenames()->Add(Src);
    Q.SetTargetFilename(Tgt);
    Q.SetCopyType(Type);
    Q.Execute();
    EXPECT_EQ(rtl::FileAge(Tgt), kAge);
  }
}

// The move renames only when both names lie on one drive, by their letters
// in either case; otherwise it copies and deletes, which makes a new file.
TEST(WindowsCopyRun, MoveRenamesOnOneDriveOnly) {
  TempDir Dir;
  const std::string Here = Dir.path().root_name().string();  // "C:"
  ASSERT_EQ(Here.size(), 2u);
  std::string Lower = Dir.path().string();
  Lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(Lower[0])));
  struct Case {
    const char* What;
    std::string Target;
    bool Renamed;
  };
  std::vector<Case> Cases = {
      {"same drive", Dir / "moved.txt", true},
      {"same drive, other case", Lower + "\\moved.txt", true},
  };
  // Another drive: the one the tests run from, when it is not the temporary one.
  const std::filesystem::path Other = std::filesystem::current_path();
  if (Other.root_name().string() != Here)
    Cases.push_back(
        {"other drive", (Other / Dir.path().filename()).string() + "-moved.txt", false});
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    const std::string Src = Dir / "src.txt";
    WriteFile(Src, "payload");
    rtl::TFileInfo Before;
    ASSERT_FALSE(rtl::GetFileInfo(Src, Before));
    TQuindle Q(nullptr);
    TRun Run;
    Run.Attach(Q);
    Q.SourceFilenames()->Add(Src);
    Q.SetTargetFilename(C.Target);
    Q.SetCopyType(ctMove);
    Q.Execute();
    EXPECT_EQ(Run.Events, std::vector<std::string>{"AfterCopyFile"});
    EXPECT_FALSE(rtl::FileExists(Src));
    EXPECT_EQ(ReadFile(C.Target), "payload");
    rtl::TFileInfo After;
    ASSERT_FALSE(rtl::GetFileInfo(C.Target, After));
    EXPECT_EQ(After.Identity == Before.Identity, C.Renamed);
    EXPECT_TRUE(rtl::DeleteFile(C.Target));
  }
}

// Overwriting a read-only target either succeeds whole (where the user may
// write read-only files, as root under Wine) or is reported with the target
// left as it was; it is never cut short silently.
TEST(WindowsCopyRun, ReadOnlyTargetIsOverwrittenWholeOrReported) {
  TempDir Dir;
  WriteFile(Dir / "src.txt", "new content");
  WriteFile(Dir / "tgt.txt", "old content that is longer");
  ASSERT_EQ(rtl::FileSetAttr(Dir / "tgt.txt", rtl::faReadOnly), 0);
  for (TCopyType Type : {ctStream, ctBlock}) {
    SCOPED_TRACE(static_cast<int>(Type));
    TQuindle Q(nullptr);
    TRun Run;
    Run.Attach(Q);
    Q.SourceFilenames()->Add(Dir / "src.txt");
    Q.SetTargetFilename(Dir / "tgt.txt");
    Q.SetCopyType(Type);
    Q.SetOverwriteIfExist(true);
    Q.Execute();
    const std::string After = ReadFile(Dir / "tgt.txt");
    if (Run.Events.front() == "OpenTgtError") {
      EXPECT_EQ(After, "old content that is longer");
    } else {
      EXPECT_EQ(Run.Events, std::vector<std::string>{"AfterCopyFile"});
      EXPECT_EQ(After, "new content");
    }
    EXPECT_EQ(rtl::FileSetAttr(Dir / "tgt.txt", rtl::faReadOnly), 0);
  }
  EXPECT_EQ(rtl::FileSetAttr(Dir / "tgt.txt", 0), 0);
}

}  // namespace
}  // namespace quindle
