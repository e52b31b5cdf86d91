// SPDX-License-Identifier: MIT
// Whole runs: the order of entries, the target's classification, the early
// endings, the overwrite answers, the filter and handler exceptions, each
// checked through the events a caller receives and the files left on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "copy_run_fixture.h"

namespace quindle {
namespace {

using testing::Cat;
using testing::Lines;
using testing::ReadFile;
using testing::WriteFile;

class CopyRun : public testing::CopyRunTest {};

TEST_F(CopyRun, StreamCopyOfTwoEntriesRaisesEveryEventInOrder) {
  WriteFile(Src("x.txt"), "xx");
  WriteFile(Src("y.txt"), "yyy");
  Setup({Src("x.txt"), Src("y.txt")}, Dir / "out/");
  Rec.Clear();
  Q.Execute();
  // Two entries: each file advances Progress by 50, before and after its copy.
  EXPECT_EQ(
      Rec.Events(),
      (Lines{"OnStart", "OnBeforeCopyFile @/src/y.txt @/out/y.txt", "OnProgressChange 50",
             "OnProgressChange 50", "OnSetAttr @/out/y.txt",
             "OnAfterCopyFile @/src/y.txt @/out/y.txt", "OnBeforeCopyFile @/src/x.txt @/out/x.txt",
             "OnProgressChange 100", "OnProgressChange 100", "OnSetAttr @/out/x.txt",
             "OnAfterCopyFile @/src/x.txt @/out/x.txt", "OnProgressChange 100", "OnFinished"}));
  EXPECT_EQ(ReadFile(Out("x.txt")), "xx");
  EXPECT_EQ(ReadFile(Out("y.txt")), "yyy");
  EXPECT_EQ(Q.SizeFile(), 2);
}

TEST_F(CopyRun, EveryMethodHandlesTheEntriesFromTheLastToTheFirst) {
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    SCOPED_TRACE(static_cast<int>(Type));
    WriteFile(Src("x.txt"), "x");
    WriteFile(Src("y.txt"), "y");
    rtl::DeleteFile(Out("x.txt"));
    rtl::DeleteFile(Out("y.txt"));
    Q.SetCopyType(Type);
    Setup({Src("x.txt"), Src("y.txt")}, Dir / "out/");
    EXPECT_EQ(Run(), Cat({{"OnStart"},
                          Copied(Src("y.txt"), Out("y.txt")),
                          Copied(Src("x.txt"), Out("x.txt")),
                          {"OnFinished"}}));
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(ReadFile(Out("x.txt")), "x");
    EXPECT_EQ(ReadFile(Out("y.txt")), "y");
    EXPECT_EQ(rtl::FileExists(Src("x.txt")), Type != ctMove);
  }
}

TEST_F(CopyRun, DirectoryEntriesAndTargetsAreSpelledAsTheCallerRelies) {
  WriteFile(Src("a.txt"), "a");
  struct Case {
    std::string Entry, Target, ExpectedTarget, Source;
  } Cases[] = {
      // A directory target without separator gets one and keeps it after the run.
      {Src("a.txt"), Dir / "out", Dir / "out/", Src("a.txt")},
      {Src("a.txt"), Dir / "out/", Dir / "out/", Src("a.txt")},
      // A directory entry is searched whole; written with a separator, its
      // files' names carry the doubled separator.
      {Dir / "src", Dir / "out/", Dir / "out/", Src("a.txt")},
      {Dir / "src/", Dir / "out/", Dir / "out/", Dir / "src//a.txt"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Entry + " -> " + C.Target);
    rtl::DeleteFile(Out("a.txt"));
    Setup({C.Entry}, C.Target);
    EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(C.Source, Out("a.txt")), {"OnFinished"}}));
    // The separator the run adds is the platform's own.
    std::string Expected = C.ExpectedTarget;
    if (!QUINDLE_TEST_POSIX && Expected.back() == '/' && C.Target.back() != '/')
      Expected.back() = rtl::PathDelim;
    EXPECT_EQ(Q.TargetFilename(), Expected);
    EXPECT_EQ(ReadFile(Out("a.txt")), "a");
  }
}

TEST_F(CopyRun, MissingTargetDirectoryIsCreatedExactlyWhenCreateTgtDirSaysSo) {
  WriteFile(Src("a.txt"), "a");
  struct Case {
    const char* What;
    bool Handler;                // an OnDirNotExist handler is assigned
    std::optional<bool> Answer;  // what the handler sets; nullopt: leaves it
    bool Initial;                // CreateTgtDir before the run
    bool Created;
  } Cases[] = {
      {"handler answers Yes", true, true, false, true},
      {"handler answers No", true, false, true, false},
      {"handler leaves a true property", true, std::nullopt, true, true},
      {"handler leaves a false property", true, std::nullopt, false, false},
      {"no handler, messages off, property true", false, std::nullopt, true, true},
      {"no handler, messages off, property false", false, std::nullopt, false, false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    testing::TempDir Fresh;
    const std::string Target = Fresh / "new/";
    Q.SetCreateTgtDir(C.Initial);
    Rec.Reset();
    if (!C.Handler) Q.SetOnDirNotExist(nullptr);
    if (C.Answer) Rec.On("OnDirNotExist", [&, A = *C.Answer] { Q.SetCreateTgtDir(A); });
    Setup({Src("a.txt")}, Target);
    const Lines Events = Run();
    Lines Expected{"OnStart"};
    if (C.Handler) Expected.push_back("OnDirNotExist");
    if (C.Created) {
      const Lines Copy = Copied(Src("a.txt"), Fresh / "new/a.txt");
      Expected.insert(Expected.end(), Copy.begin(), Copy.end());
    }
    Expected.push_back("OnFinished");
    EXPECT_EQ(Events, Expected);
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(rtl::DirectoryExists(Fresh / "new"), C.Created);
    if (C.Created) {
      EXPECT_EQ(ReadFile(Fresh / "new/a.txt"), "a");
      EXPECT_EQ(Access.TgtDir(), Fresh / "new");
    }
    EXPECT_EQ(Q.CreateTgtDir(), C.Answer.value_or(C.Initial));
  }
}

TEST_F(CopyRun, TargetDirectoryTwoLevelsDeepIsNotCreated) {
  WriteFile(Src("a.txt"), "a");
  Rec.On("OnDirNotExist", [&] { Q.SetCreateTgtDir(true); });
  Setup({Src("a.txt")}, Dir / "new/deeper/");
  Rec.Clear();
  Q.Execute();
  EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnDirNotExist", "OnCannotCreateTgtDir",
                                 "OnProgressChange 100", "OnFinished"}));
  EXPECT_EQ(Access.TgtDir(), Dir / "new/deeper");
  EXPECT_FALSE(rtl::DirectoryExists(Dir / "new"));
}

TEST_F(CopyRun, RootTargetIsFoundAsADirectory) {
  // With every flag off no file is touched, so the root is only probed.
  OnlyFlags({});
  Setup({Src("*.*")}, "/");
  Rec.Clear();
  Q.Execute();
  EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnProgressChange 100", "OnFinished"}));
  EXPECT_EQ(Q.TargetFilename(), "/");
}

TEST_F(CopyRun, SingleFileTargetReceivesEveryMatchInTurn) {
  WriteFile(Src("a.txt"), "A");
  WriteFile(Src("b.txt"), "BB");
  WriteFile(Src("c.txt"), "CCC");
  Setup({Src("*.txt")}, Dir / "one.txt");
  const std::string T = Dir / "one.txt";
  EXPECT_EQ(Run(), Cat({{"OnStart"},
                        Copied(Src("a.txt"), T),
                        {"OnTgtFileExists"},
                        Copied(Src("b.txt"), T),
                        {"OnTgtFileExists"},
                        Copied(Src("c.txt"), T),
                        {"OnFinished"}}));
  EXPECT_EQ(ReadFile(T), "CCC");
  // The last lookup saw what the second file had left there.
  EXPECT_EQ(Access.TgtSize(), 2);
}

TEST_F(CopyRun, EarlyEndingsReportOnceAndSkipTheFinalProgress) {
  WriteFile(Src("x.txt"), "x");
  WriteFile(Src("y.txt"), "y");
  struct Case {
    const char* What;
    Lines Entries;
    std::string Target;
    Lines Expected;
  } Cases[] = {
      {"empty entry in the middle",
       {Src("x.txt"), "", Src("y.txt")},
       Dir / "out/",
       Cat({{"OnStart"}, Copied(Src("y.txt"), Out("y.txt")), {"OnSrcFileError", "OnFinished"}})},
      {"no entries", {}, Dir / "out/", {"OnStart", "OnSrcFileError", "OnFinished"}},
      {"empty target", {Src("x.txt")}, "", {"OnStart", "OnTgtFileError", "OnFinished"}},
      {"empty entry and empty target", {""}, "", {"OnStart", "OnSrcFileError", "OnFinished"}},
      {"pattern matching nothing",
       {Src("x.txt"), Src("nomatch*")},
       Dir / "out/",
       {"OnStart", "OnSrcFileNotExist", "OnFinished"}},
      {"missing file",
       {Src("x.txt"), Src("missing.txt")},
       Dir / "out/",
       {"OnStart", "OnSrcFileNotExist", "OnFinished"}},
      {"missing directory with separator",
       {Src("x.txt"), Dir / "nosuch/"},
       Dir / "out/",
       {"OnStart", "OnSrcFileNotExist", "OnFinished"}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    rtl::DeleteFile(Out("x.txt"));
    rtl::DeleteFile(Out("y.txt"));
    Setup(C.Entries, C.Target);
    EXPECT_EQ(Run(), C.Expected);
    EXPECT_EQ(std::count(Rec.Events().begin(), Rec.Events().end(), "OnProgressChange 100"), 0);
    EXPECT_NE(Q.Progress(), 100);
    EXPECT_FALSE(rtl::FileExists(Out("x.txt"))) << "an entry before the ending was handled";
  }
}

TEST_F(CopyRun, EntrySpelledAsTheTargetIsRefusedAndTheOthersAreStillHandled) {
  WriteFile(Src("x.txt"), "x");
  const std::string T = Dir / "one.txt";
  for (auto [Type, Event] :
       {std::pair{ctStream, "OnCopyToSelfError"}, std::pair{ctBlock, "OnCopyToSelfError"},
        std::pair{ctLZCopy, "OnCopyToSelfError"}, std::pair{ctMove, "OnMoveToSelfError"}}) {
    SCOPED_TRACE(Event);
    WriteFile(Src("x.txt"), "x");
    rtl::DeleteFile(T);
    Q.SetCopyType(Type);
    Setup({Src("x.txt"), T}, T);
    EXPECT_EQ(Run(), Cat({{"OnStart", Event}, Copied(Src("x.txt"), T), {"OnFinished"}}));
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(ReadFile(T), "x");
  }
}

TEST_F(CopyRun, AllFilterFlagsOffSelectNothingSilently) {
  WriteFile(Src("x.txt"), "x");
  OnlyFlags({});
  Setup({Src("x.txt"), Src("nomatch*")}, Dir / "out/");
  Rec.Clear();
  Q.Execute();
  EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnProgressChange 100", "OnFinished"}));
  EXPECT_FALSE(rtl::FileExists(Out("x.txt")));
}

TEST_F(CopyRun, WithoutNormalOnlyTheExactAttributeWordIsCopied) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  if (!StoresDosBits()) GTEST_SKIP() << "no extended attributes on this file system";
  const std::pair<const char*, int32_t> Files[] = {
      {".hid", 0},  // hidden by its name: 2
      {"hidarch.txt", rtl::faHidden | rtl::faArchive},
      {"arch.txt", rtl::faArchive},
      {"roarch.txt", rtl::faReadOnly | rtl::faArchive},
      {"plain.txt", 0},
  };
  for (const auto& [Name, Attr] : Files) {
    WriteFile(Src(Name), Name);
    if (Attr) {
      ASSERT_EQ(rtl::FileSetAttr(Src(Name), Attr), 0);
    }
  }
  struct Case {
    const char* What;
    std::initializer_list<Setter> Flags;
    std::string Copied;
  } Cases[] = {
      {"hidden", {&TSrcFileTypes::SetHidden}, ".hid"},
      {"archive", {&TSrcFileTypes::SetArchive}, "arch.txt"},
      {"archive+readonly", {&TSrcFileTypes::SetArchive, &TSrcFileTypes::SetReadOnly}, "roarch.txt"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    std::filesystem::remove_all(Dir / "out");
    ASSERT_TRUE(rtl::CreateDir(Dir / "out"));
    OnlyFlags(C.Flags);
    Setup({Src("*")}, Dir / "out/");
    EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(Src(C.Copied), Out(C.Copied)), {"OnFinished"}}));
  }
}

TEST_F(CopyRun, MatchedDirectoryIsCreatedEmptyAndStampedOnEveryRun) {
  WriteFile(Src("plain.txt"), "p");
  ASSERT_TRUE(rtl::CreateDir(Src("sub")));
  WriteFile(Src("sub/inner.txt"), "i");
  OnlyFlags({&TSrcFileTypes::SetDirectories});
  Setup({Src("*.*")}, Dir / "out/");
  int32_t Stamp = rtl::faDirectory | rtl::faReadOnly;
  Rec.OnSetAttr([&](int32_t& Attr, rtl::TDateTime&) {
    EXPECT_EQ(Attr, rtl::faDirectory);
    Attr = Stamp;
  });
  Rec.Clear();
  Q.Execute();
  EXPECT_EQ(Rec.Events(),
            (Lines{"OnStart", "OnSetAttr @/out/sub", "OnProgressChange 100", "OnFinished"}));
  EXPECT_TRUE(std::filesystem::is_empty(Out("sub")));
  EXPECT_FALSE(rtl::FileExists(Out("plain.txt")));
  // Wine keeps no read-only bit on a directory.
  if (QUINDLE_TEST_POSIX || testing::ArchiveBitCanBeCleared(Dir.path().string())) {
    EXPECT_EQ(rtl::FileGetAttr(Out("sub")), rtl::faDirectory | rtl::faReadOnly);
  }

  // It exists now: reported, and stamped all the same.
  Stamp = rtl::faDirectory;
  Rec.Clear();
  Q.Execute();
  EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnCannotCreateTgtDir", "OnSetAttr @/out/sub",
                                 "OnProgressChange 100", "OnFinished"}));
  EXPECT_EQ(rtl::FileGetAttr(Out("sub")), rtl::faDirectory);
}

TEST_F(CopyRun, DeclinedOverwritesSkipTheFileAndTheRunGoesOn) {
  struct Case {
    const char* What;
    bool Handler;
    std::optional<bool> Answer;  // what the handler sets
    bool Initial;                // OverwriteIfExist before the run
    bool Overwritten;
  } Cases[] = {
      {"handler answers No", true, false, true, false},
      {"handler answers Yes", true, true, false, true},
      {"handler leaves false", true, std::nullopt, false, false},
      {"no handler, messages off, false", false, std::nullopt, false, false},
      {"no handler, messages off, true", false, std::nullopt, true, true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    for (const char* N : {"x.txt", "y.txt", "z.txt"}) WriteFile(Src(N), "new");
    WriteFile(Out("x.txt"), "old");
    WriteFile(Out("y.txt"), "old");
    rtl::DeleteFile(Out("z.txt"));
    Rec.Reset();
    if (!C.Handler) Q.SetOnTgtFileExists(nullptr);
    if (C.Answer) Rec.On("OnTgtFileExists", [&, A = *C.Answer] { Q.SetOverwriteIfExist(A); });
    Q.SetOverwriteIfExist(C.Initial);
    Setup({Src("*.txt")}, Dir / "out/");
    Lines Expected{"OnStart"};
    for (const char* N : {"x.txt", "y.txt"}) {
      if (C.Handler) Expected.push_back("OnTgtFileExists");
      if (C.Overwritten) {
        const Lines Copy = Copied(Src(N), Out(N));
        Expected.insert(Expected.end(), Copy.begin(), Copy.end());
      } else {
        Expected.push_back("OnOverwriteCancelled");
      }
    }
    Expected = Cat({Expected, Copied(Src("z.txt"), Out("z.txt")), {"OnFinished"}});
    EXPECT_EQ(Run(), Expected);
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(ReadFile(Out("x.txt")), C.Overwritten ? "new" : "old");
    EXPECT_EQ(ReadFile(Out("z.txt")), "new");
    EXPECT_EQ(Q.OverwriteIfExist(), C.Overwritten);
  }
}

// Abort() ends the run at its next test, the way a Cancel answer does: the
// final progress and OnFinished still come, and nothing after the test runs.
TEST_F(CopyRun, AbortStopsAtTheNextTestAndEndsLikeACancel) {
  struct Case {
    const char* Where;  // the handler that calls Abort
    Lines Copied;       // the files that reach the target
  } Cases[] = {
      {"OnStart", {}},
      {"OnBeforeCopyFile", {"x.txt"}},
      {"OnAfterCopyFile", {"x.txt"}},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Where);
    for (const char* N : {"x.txt", "y.txt", "z.txt"}) {
      WriteFile(Src(N), N);
      rtl::DeleteFile(Out(N));
    }
    Rec.Reset();
    bool Once = false;
    Rec.On(C.Where, [&] {
      if (!std::exchange(Once, true)) Q.Abort();
    });
    Setup({Src("*.txt")}, Dir / "out/");
    const Lines Events = Run();
    EXPECT_EQ(Events.back(), "OnFinished");
    EXPECT_TRUE(EndedWithFullProgress());
    for (const char* N : {"x.txt", "y.txt", "z.txt"}) {
      const bool Expected = std::find(C.Copied.begin(), C.Copied.end(), N) != C.Copied.end();
      EXPECT_EQ(rtl::FileExists(Out(N)), Expected) << N;
    }
  }
  // A request made while no run is going on is dropped; the next run copies.
  Rec.Reset();
  Q.Abort();
  Run();
  for (const char* N : {"x.txt", "y.txt", "z.txt"}) EXPECT_TRUE(rtl::FileExists(Out(N))) << N;
}

TEST_F(CopyRun, HandlerExceptionLeavesExecuteAndKeepsTheListingUntilARunCompletes) {
  WriteFile(Src("x.txt"), "x");
  WriteFile(Src("y.txt"), "y");
  Rec.On("OnBeforeCopyFile", [] { throw std::runtime_error("refused"); });
  Setup({Src("x.txt")}, Dir / "out/");
  Rec.Clear();
  EXPECT_THROW(Q.Execute(), std::runtime_error);
  EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnBeforeCopyFile @/src/x.txt @/out/x.txt"}));
  EXPECT_NE(Q.Progress(), 100);
  EXPECT_TRUE(Access.Listed());

  // The guard is still up: a new list is stored but not listed.
  Sources({Src("y.txt")});
  ASSERT_EQ(Q.FileList().Count(), 1);
  EXPECT_EQ(Q.FileList()[0], Src("x.txt"));

  Rec.On("OnBeforeCopyFile", nullptr);
  EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(Src("y.txt"), Out("y.txt")), {"OnFinished"}}));
  EXPECT_FALSE(Access.Listed());
  EXPECT_EQ(Q.FileList()[0], Src("x.txt"));
  Sources({Src("y.txt")});
  EXPECT_EQ(Q.FileList()[0], Src("y.txt"));
}

TEST_F(CopyRun, CurrentDirectoryIsTheSameAfterEveryKindOfRun) {
  WriteFile(Src("a.txt"), "a");
  ASSERT_TRUE(rtl::CreateDir(Dir / "cwd"));
  testing::InDirectory Here(Dir / "cwd");
  struct Case {
    const char* What;
    std::string Target;
    std::function<void()> OnDirNotExist;
    bool Throws;
    std::string After = "cwd";  // where the process is after the run
  } Cases[] = {
      {"existing directory", Dir / "out/", nullptr, false},
      {"relative directory", "../out", nullptr, false},
      {"missing directory, created", Dir / "made/", [&] { Q.SetCreateTgtDir(true); }, false},
      {"missing directory, refused", Dir / "refused/", [&] { Q.SetCreateTgtDir(false); }, false},
      {"handler throws", Dir / "thrown/", [] { throw std::runtime_error("no"); }, true},
      // The run never enters a directory, so it has none to come back from:
      // where a handler goes is the application's business.
      {"handler enters another directory", Dir / "moved/",
       [&] {
         rtl::SetCurrentDir(Dir / "out");
         Q.SetCreateTgtDir(false);
       },
       false, "out"},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Rec.On("OnDirNotExist", C.OnDirNotExist);
    Setup({Src("a.txt")}, C.Target);
    if (C.Throws)
      EXPECT_THROW(Q.Execute(), std::runtime_error);
    else
      EXPECT_NO_THROW(Q.Execute());
    EXPECT_EQ(rtl::GetCurrentDir(), Dir / C.After);
    rtl::SetCurrentDir(Dir / "cwd");
  }
  EXPECT_EQ(ReadFile(Dir / "made/a.txt"), "a");
}

#if QUINDLE_TEST_POSIX
// Windows does not remove a directory that a process has as its current one.
TEST_F(CopyRun, RunFromARemovedCurrentDirectoryLeavesTheProcessThere) {
  WriteFile(Src("a.txt"), "a");
  ASSERT_TRUE(rtl::CreateDir(Dir / "gone"));
  testing::InDirectory Here(Dir / "gone");
  struct stat Before {};
  ASSERT_EQ(stat(".", &Before), 0);
  ASSERT_EQ(rmdir((Dir / "gone").c_str()), 0);
  Setup({Src("a.txt")}, Dir / "out/");
  EXPECT_EQ(Run(), Cat({{"OnStart"}, Copied(Src("a.txt"), Out("a.txt")), {"OnFinished"}}));
  struct stat After {};
  ASSERT_EQ(stat(".", &After), 0);
  EXPECT_EQ(After.st_ino, Before.st_ino) << "the run left the process in another directory";
  EXPECT_EQ(After.st_dev, Before.st_dev);
}

#endif

}  // namespace
}  // namespace quindle
