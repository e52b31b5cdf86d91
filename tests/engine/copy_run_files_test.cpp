// SPDX-License-Identifier: MIT
// Whole runs, as seen from the files: one file under two names, read-only
// sources, LZ target names, validation, failed transfers and what the run
// reads of an existing target.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "copy_run_fixture.h"
#include "rtl/files/lz/szdd_encoder.h"

namespace quindle {
namespace {

using testing::Cat;
using testing::Lines;
using testing::ReadFile;
using testing::WriteFile;

class CopyRunFiles : public testing::CopyRunTest {
 protected:
  static const char* SelfEvent(TCopyType Type) {
    return Type == ctMove ? "OnMoveToSelfError" : "OnCopyToSelfError";
  }
  static constexpr TCopyType kAllTypes[] = {ctStream, ctBlock, ctLZCopy, ctMove};
};

TEST_F(CopyRunFiles, SameFileUnderAnotherNameIsRefusedAndKeepsItsBytes) {
  const std::string Payload = testing::RandomBytes(70000, 7);
  struct Case {
    const char* What;
    std::string Entry, Target;
    bool FromDir;  // relative names are resolved from the temporary folder
  } Cases[] = {
      {"dot component", Src("x.txt"), Dir / "src/./x.txt", false},
      {"doubled separator", Src("x.txt"), Dir / "src//x.txt", false},
      {"relative target", Src("x.txt"), "src/x.txt", true},
      {"relative entry", "src/x.txt", Src("x.txt"), true},
      {"hard link as target", Src("x.txt"), Out("hard"), false},
      {"symbolic link as target", Src("x.txt"), Out("sym"), false},
      {"symbolic link as entry", Out("sym"), Src("x.txt"), false},
      {"own directory with separator", Src("x.txt"), Dir / "src/", false},
      {"own directory without separator", Src("x.txt"), Dir / "src", false},
      {"own directory by pattern", Src("*.txt"), Dir / "src/", false},
      {"own directory as entry", Dir / "src", Dir / "src/", false},
  };
  for (const auto& C : Cases) {
    // Symbolic links on Windows need a privilege that programs seldom have.
    if (!QUINDLE_TEST_POSIX && std::string(C.What).find("symbolic") != std::string::npos) continue;
    for (TCopyType Type : kAllTypes) {
      SCOPED_TRACE(std::string(C.What) + ", copy type " + std::to_string(Type));
      std::filesystem::remove_all(Dir / "src");
      std::filesystem::remove_all(Dir / "out");
      ASSERT_TRUE(rtl::CreateDir(Dir / "src"));
      ASSERT_TRUE(rtl::CreateDir(Dir / "out"));
      WriteFile(Src("x.txt"), Payload);
      std::filesystem::create_hard_link(Src("x.txt"), Out("hard"));
      if (QUINDLE_TEST_POSIX) std::filesystem::create_symlink(Src("x.txt"), Out("sym"));
      Q.SetCopyType(Type);
      std::optional<testing::InDirectory> Here;
      if (C.FromDir) Here.emplace(Dir.path().string());
      Setup({C.Entry}, C.Target);
      EXPECT_EQ(Run(), (Lines{"OnStart", SelfEvent(Type), "OnFinished"}));
      EXPECT_TRUE(EndedWithFullProgress());
      Here.reset();
      ASSERT_TRUE(rtl::FileExists(Src("x.txt")));
      EXPECT_TRUE(ReadFile(Src("x.txt")) == Payload) << "the source's bytes changed";
      EXPECT_TRUE(ReadFile(Out("hard")) == Payload);
    }
  }
}

TEST_F(CopyRunFiles, RefusingOneFileUnderAnotherNameLeavesTheOtherEntries) {
  ASSERT_TRUE(rtl::CreateDir(Dir / "other"));
  WriteFile(Dir / "other/w.txt", "w");
  for (TCopyType Type : kAllTypes) {
    SCOPED_TRACE(Type);
    WriteFile(Src("x.txt"), "x");
    rtl::DeleteFile(Src("w.txt"));
    WriteFile(Dir / "other/w.txt", "w");
    Q.SetCopyType(Type);
    Setup({Dir / "other/w.txt", Src("x.txt")}, Dir / "src/");
    EXPECT_EQ(Run(), Cat({{"OnStart", SelfEvent(Type)},
                          Copied(Dir / "other/w.txt", Src("w.txt")),
                          {"OnFinished"}}));
    EXPECT_EQ(ReadFile(Src("x.txt")), "x");
    EXPECT_EQ(ReadFile(Src("w.txt")), "w");
  }
}

TEST_F(CopyRunFiles, ReadOnlySourceIsWritableOnlyDuringItsTransfer) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  for (TCopyType Type : kAllTypes) {
    SCOPED_TRACE(Type);
    WriteFile(Src("ro.txt"), "ro");
    ASSERT_EQ(rtl::FileSetAttr(Src("ro.txt"), rtl::faReadOnly), 0);
    rtl::DeleteFile(Out("ro.txt"));
    Rec.Reset();
    std::vector<std::string> Seen;  // event and the source's attribute word then
    bool Inside = false;
    Rec.On("OnBeforeCopyFile", [&] {
      Seen.push_back("before " + std::to_string(rtl::FileGetAttr(Src("ro.txt"))));
      Inside = true;
    });
    Rec.On("OnProgressChange", [&] {
      if (Inside) Seen.push_back("during " + std::to_string(rtl::FileGetAttr(Src("ro.txt"))));
    });
    Rec.On("OnAfterCopyFile", [&] {
      Inside = false;
      if (Type != ctMove)
        Seen.push_back("after " + std::to_string(rtl::FileGetAttr(Src("ro.txt"))));
    });
    Q.SetCopyType(Type);
    Setup({Src("ro.txt")}, Dir / "out/");
    EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(Src("ro.txt"), Out("ro.txt")), {"OnFinished"}}));
    ASSERT_GE(Seen.size(), 2u);
    EXPECT_EQ(Seen.front(), "before 1");
    // Only a move clears the bit: the copies open their source read-only.
    EXPECT_EQ(Seen[1], Type == ctMove ? "during 0" : "during 1");
    if (Type != ctMove) {
      EXPECT_EQ(Seen.back(), "after 1");
      EXPECT_EQ(rtl::FileGetAttr(Src("ro.txt")), rtl::faReadOnly);
    } else {
      EXPECT_FALSE(rtl::FileExists(Src("ro.txt")));
    }
    EXPECT_EQ(ReadFile(Out("ro.txt")), "ro");
    EXPECT_EQ(rtl::FileGetAttr(Out("ro.txt")), rtl::faReadOnly);
  }
}

TEST_F(CopyRunFiles, ReadOnlyBitComesBackWhenAHandlerExceptionLeavesTheRun) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  struct Case {
    const char* What;
    TCopyType Type;
    bool Validate;
    const char* Thrower;
  } Cases[] = {
      // A move announces progress outside any protected stretch.
      {"move, OnProgressChange throws", ctMove, false, "OnProgressChange"},
      // An LZ expansion never matches its compressed source's checksum.
      {"validation, OnFailValidate throws", ctLZCopy, true, "OnFailValidate"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    const std::string Data = "read-only data";
    WriteFile(Src("ro.tx_"), rtl::SZDDCompress(Data, 't'));
    ASSERT_EQ(rtl::FileSetAttr(Src("ro.tx_"), rtl::faReadOnly), 0);
    Rec.Reset();
    Rec.On(C.Thrower, [] { throw std::runtime_error("handler failed"); });
    Q.SetCopyType(C.Type);
    Q.SetValidate(C.Validate);
    Setup({Src("ro.tx_")}, Dir / "out/");
    EXPECT_THROW(Q.Execute(), std::runtime_error);
    EXPECT_EQ(Rec.Count("OnFinished"), 0);
    ASSERT_TRUE(rtl::FileExists(Src("ro.tx_")));
    EXPECT_EQ(rtl::FileGetAttr(Src("ro.tx_")), rtl::faReadOnly);
  }
}

TEST_F(CopyRunFiles, LZExpansionNamesItsTarget) {
  const std::string Data = "The quick brown fox. " + testing::RandomBytes(3000, 3);
  // A source name well beyond 255 characters.
  const std::string Deep =
      "src/" + std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');
  std::filesystem::create_directories(Dir / Deep);
  struct Case {
    const char* What;
    std::string Source, Target, Expected;
  } Cases[] = {
      {"directory target takes the recorded name", Src("x.tx_"), Dir / "out/", Out("x.txt")},
      {"single-file target keeps its name", Src("x.tx_"), Dir / "given.bin", Dir / "given.bin"},
      {"long source name", Dir / (Deep + "/x.tx_"), Dir / "out/", Out("x.txt")},
  };
  Q.SetCopyType(ctLZCopy);
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    ASSERT_GT(C.Source.size(), 0u);
    WriteFile(C.Source, rtl::SZDDCompress(Data, 't'));
    rtl::DeleteFile(C.Expected);
    Setup({C.Source}, C.Target);
    EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(C.Source, C.Expected), {"OnFinished"}}));
    EXPECT_TRUE(ReadFile(C.Expected) == Data);
  }
}

TEST_F(CopyRunFiles, ValidationComparesTheSourceWithWhatTheTransferLeft) {
  struct Case {
    const char* What;
    TCopyType Type;
    bool Compressed;
    bool SourceVanishes;  // removed by OnBeforeCopyFile, so it cannot be opened
    Lines Between;        // events between OnBeforeCopyFile and OnAfterCopyFile
  } Cases[] = {
      {"stream copy", ctStream, false, false, {}},
      {"block copy", ctBlock, false, false, {}},
      {"move", ctMove, false, false, {}},
      {"LZ copy of plain data", ctLZCopy, false, false, {}},
      {"LZ expansion", ctLZCopy, true, false, {"OnFailValidate"}},
      {"stream copy, source gone", ctStream, false, true, {"OnOpenSrcError", "OnFailValidate"}},
      {"block copy, source gone", ctBlock, false, true, {"OnOpenSrcError", "OnFailValidate"}},
  };
  const std::string Data = testing::RandomBytes(120000, 5);
  Q.SetValidate(true);
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    WriteFile(Src("v.dat"), C.Compressed ? rtl::SZDDCompress(Data) : Data);
    rtl::DeleteFile(Out("v.dat"));
    Rec.Reset();
    if (C.SourceVanishes) Rec.On("OnBeforeCopyFile", [&] { rtl::DeleteFile(Src("v.dat")); });
    Q.SetCopyType(C.Type);
    Setup({Src("v.dat")}, Dir / "out/");
    const Lines Copy = Copied(Src("v.dat"), Out("v.dat"));
    EXPECT_EQ(Run(), Cat({{"OnStart", Copy[0]}, C.Between, {Copy[1], "OnFinished"}}));
    EXPECT_TRUE(EndedWithFullProgress());
    if (C.SourceVanishes)
      EXPECT_FALSE(rtl::FileExists(Out("v.dat")));
    else
      EXPECT_TRUE(ReadFile(Out("v.dat")) == Data);
  }
}

TEST_F(CopyRunFiles, FailedTransferIsReportedAndTheRunGoesOn) {
  WriteFile(Src("x.txt"), "x");
  WriteFile(Src("y.txt"), "y");
  // A directory where the target file should go cannot be written.
  ASSERT_TRUE(rtl::CreateDir(Out("y.txt")));
  for (TCopyType Type : kAllTypes) {
    SCOPED_TRACE(Type);
    WriteFile(Src("x.txt"), "x");
    rtl::DeleteFile(Out("x.txt"));
    Q.SetCopyType(Type);
    Setup({Src("x.txt"), Src("y.txt")}, Dir / "out/");
    const Lines Y = Copied(Src("y.txt"), Out("y.txt"));
    EXPECT_EQ(Run(), Cat({{"OnStart", Y[0], "OnOpenTgtError", Y[1]},
                          Copied(Src("x.txt"), Out("x.txt")),
                          {"OnFinished"}}));
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(ReadFile(Out("x.txt")), "x");
    EXPECT_EQ(ReadFile(Src("y.txt")), "y");
  }
}

TEST_F(CopyRunFiles, ExistingTargetIsReadWhateverItsAttributes) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  const bool DosBits = StoresDosBits();
  struct Target {
    std::string Name;
    int64_t Size;
    int32_t Attr;
    rtl::TDateTime Date;
  };
  std::vector<Target> Targets = {
      {"plain.txt", 700, 0, rtl::EncodeDate(2001, 2, 3) + rtl::EncodeTime(4, 5, 6, 0)},
      {".hidden", 3, rtl::faHidden, rtl::EncodeDate(2002, 3, 4) + rtl::EncodeTime(5, 6, 7, 0)},
      {"ro.txt", 11, rtl::faReadOnly, rtl::EncodeDate(2003, 4, 5) + rtl::EncodeTime(6, 7, 8, 0)},
  };
  if (DosBits) {
    Targets.push_back(
        {"sys.txt", 9, rtl::faSysFile, rtl::EncodeDate(2004, 5, 6) + rtl::EncodeTime(7, 8, 9, 0)});
    Targets.push_back({"hidarch.txt", 13, rtl::faHidden | rtl::faArchive,
                       rtl::EncodeDate(2005, 6, 7) + rtl::EncodeTime(8, 9, 10, 0)});
  }
  Lines Entries;
  for (const auto& T : Targets) {
    WriteFile(Src(T.Name), std::string(50, 's'));
    WriteFile(Out(T.Name), std::string(static_cast<size_t>(T.Size), 't'));
    SetDate(Out(T.Name), T.Date);
    if (T.Attr & ~rtl::faHidden) {
      ASSERT_EQ(rtl::FileSetAttr(Out(T.Name), T.Attr), 0);
    }
    Entries.insert(Entries.begin(), Src(T.Name));  // the last entry is handled first
  }
  std::vector<Target> Seen;
  Rec.On("OnTgtFileExists", [&] {
    Seen.push_back({"", Access.TgtSize(), Access.TgtAttr(), Access.TgtDate()});
    Q.SetOverwriteIfExist(false);
  });
  TSrcFileTypes Any;
  Any.SetAnyFile(true);
  Q.SetSrcFileTypes(&Any);
  Setup(Entries, Dir / "out/");
  Run();
  ASSERT_EQ(Seen.size(), Targets.size());
  for (size_t I = 0; I < Targets.size(); ++I) {
    SCOPED_TRACE(Targets[I].Name);
    EXPECT_EQ(Seen[I].Size, Targets[I].Size);
    EXPECT_EQ(Seen[I].Attr, Targets[I].Attr);
    EXPECT_NEAR(Seen[I].Date, Targets[I].Date, 1e-8);
  }
}

#if QUINDLE_TEST_POSIX
// Windows names cannot hold '*' or '?'.
TEST_F(CopyRunFiles, WildCardCharactersInAFileNameAreTakenLiterally) {
  // "x1" sorts before "x?" and matches it as a pattern.
  WriteFile(Src("x?"), "new!");
  WriteFile(Out("x?"), "old");
  WriteFile(Out("x1"), std::string(50, '1'));
  int64_t SeenSize = -1;
  Rec.On("OnTgtFileExists", [&] { SeenSize = Access.TgtSize(); });
  Setup({Src("x*")}, Dir / "out/");
  EXPECT_EQ(Run(),
            Cat({{"OnStart", "OnTgtFileExists"}, Copied(Src("x?"), Out("x?")), {"OnFinished"}}));
  EXPECT_EQ(SeenSize, 3);
  EXPECT_EQ(ReadFile(Out("x?")), "new!");
  EXPECT_EQ(ReadFile(Out("x1")), std::string(50, '1'));
  // A writable source stays writable.
  EXPECT_NE(std::filesystem::status(Src("x?")).permissions() & std::filesystem::perms::owner_write,
            std::filesystem::perms::none);
}

#endif

}  // namespace
}  // namespace quindle
