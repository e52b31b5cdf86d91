// SPDX-License-Identifier: MIT
// Whole runs with messages on and nobody but a script to answer: the
// overwrite dialog, the missing-directory question and the default messages
// as a run raises them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy_run_fixture.h"
#include "dialogs/overwrite_dialog.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace quindle {
namespace {

using rtl::TScriptedAnswer;
using testing::Cat;
using testing::Lines;
using testing::ReadFile;
using testing::WriteFile;

class CopyRunDialogs : public testing::CopyRunTest {
 protected:
  void SetUp() override {
    CopyRunTest::SetUp();
    Q.SetShowMessages(true);
  }

  // The message boxes shown, by their text.
  Lines Boxes() const {
    Lines Out;
    for (const auto& B : Script.Shown()) {
      EXPECT_TRUE(B.IsMessageBox) << B.ClassName;
      Out.push_back(B.Text);
    }
    return Out;
  }

  rtl::TScriptedWidgetSet Script;
  rtl::TWidgetSetScope Scope{Script};
};

class OverwriteDialogRun : public CopyRunDialogs {
 protected:
  void SetUp() override {
    CopyRunDialogs::SetUp();
    Rec.Unassign({"OnTgtFileExists"});
    WriteFile(Src("x.txt"), "new x");
    WriteFile(Src("y.txt"), "new y");
    WriteFile(Src("z.txt"), "new z");
    Reset();
    Setup({Src("*.txt")}, Dir / "out/");
  }
  void Reset() {
    WriteFile(Out("x.txt"), "old");
    WriteFile(Out("y.txt"), "old");
    rtl::DeleteFile(Out("z.txt"));
    Script.ClearShown();
  }
  Lines DialogsFor() const {
    Lines Out;
    for (const auto& B : Script.Shown()) {
      EXPECT_EQ(B.ClassName, "TOverwriteDialog");
      Out.push_back(B.Captions.at("SrcFNLabel1") + " " + B.Captions.at("TgtFileSizeLabel") + " " +
                    B.Captions.at("SrcFileSizeLabel"));
    }
    return Out;
  }
};

TEST_F(OverwriteDialogRun, EveryExistingTargetIsAskedAboutAndTheLastAnswerStays) {
  struct Case {
    const char* What;
    std::vector<TScriptedAnswer> Answers;
    bool X, Y;  // overwritten
    bool LastAnswer;
  } Cases[] = {
      {"Yes, Yes",
       {TScriptedAnswer::Press("Yes"), TScriptedAnswer::Press("Yes")},
       true,
       true,
       true},
      {"No, Yes", {TScriptedAnswer::Press("No"), TScriptedAnswer::Press("Yes")}, false, true, true},
      {"Yes, No",
       {TScriptedAnswer::Press("Yes"), TScriptedAnswer::Press("No")},
       true,
       false,
       false},
      {"close box, Yes",
       {TScriptedAnswer::CloseBox(), TScriptedAnswer::Press("Yes")},
       false,
       true,
       true},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Reset();
    // The property's value does not spare the question.
    Q.SetOverwriteIfExist(!C.LastAnswer);
    for (const auto& A : C.Answers) Script.Queue(A);
    Lines Expected{"OnStart"};
    for (auto [Name, Yes] : {std::pair{"x.txt", C.X}, std::pair{"y.txt", C.Y}}) {
      const Lines Copy = Copied(Src(Name), Out(Name));
      Expected = Yes ? Cat({Expected, Copy}) : Cat({Expected, {"OnOverwriteCancelled"}});
    }
    Expected = Cat({Expected, Copied(Src("z.txt"), Out("z.txt")), {"OnFinished"}});
    EXPECT_EQ(Run(), Expected);
    EXPECT_TRUE(EndedWithFullProgress());
    EXPECT_EQ(DialogsFor(), (Lines{"X.txt 3 bytes 5 bytes", "Y.txt 3 bytes 5 bytes"}));
    EXPECT_EQ(ReadFile(Out("x.txt")), C.X ? "new x" : "old");
    EXPECT_EQ(ReadFile(Out("y.txt")), C.Y ? "new y" : "old");
    EXPECT_EQ(ReadFile(Out("z.txt")), "new z");
    EXPECT_EQ(Q.OverwriteIfExist(), C.LastAnswer);
    EXPECT_EQ(Script.Pending(), 0u);
  }
}

TEST_F(OverwriteDialogRun, CancelEndsTheRunAndTheNextRunCopiesAsUsual) {
  // Cancel leaves OverwriteIfExist as it was, whichever way it stood.
  for (auto [Cancel, Initial] : {std::pair{TScriptedAnswer::Press("Cancel"), false},
                                 std::pair{TScriptedAnswer::Escape(), true}}) {
    Reset();
    Q.SetOverwriteIfExist(Initial);
    Script.Queue(Cancel);
    Rec.Clear();
    Q.Execute();
    EXPECT_EQ(Rec.Events(), (Lines{"OnStart", "OnProgressChange 100", "OnFinished"}));
    EXPECT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Q.OverwriteIfExist(), Initial);
    EXPECT_EQ(ReadFile(Out("x.txt")), "old");
    EXPECT_EQ(ReadFile(Out("y.txt")), "old");
    EXPECT_FALSE(rtl::FileExists(Out("z.txt")));

    Script.Queue({TScriptedAnswer::Press("Yes"), TScriptedAnswer::Press("Yes")});
    EXPECT_EQ(Run(), Cat({{"OnStart"},
                          Copied(Src("x.txt"), Out("x.txt")),
                          Copied(Src("y.txt"), Out("y.txt")),
                          Copied(Src("z.txt"), Out("z.txt")),
                          {"OnFinished"}}));
    EXPECT_EQ(ReadFile(Out("z.txt")), "new z");
  }
}

TEST_F(OverwriteDialogRun, HiddenTargetIsShownWithItsOwnSize) {
  WriteFile(Out(".hid"), "0123456789");
  Script.Queue(TScriptedAnswer::Press("No"));
  Setup({Src("x.txt")}, Out(".hid"));
  Run();
  EXPECT_EQ(DialogsFor(), (Lines{".hid 10 bytes 5 bytes"}));
}

TEST_F(CopyRunDialogs, MissingDirectoryQuestionDecidesAndIsRemembered) {
  WriteFile(Src("a.txt"), "a");
  Rec.Unassign({"OnDirNotExist"});
  for (bool Yes : {false, true}) {
    SCOPED_TRACE(Yes);
    Script.ClearShown();
    Q.SetCreateTgtDir(!Yes);
    Script.Queue(TScriptedAnswer::Press(Yes ? "Yes" : "No"));
    Setup({Src("a.txt")}, Dir / "new/");
    EXPECT_EQ(Run(), Cat({{"OnStart"},
                          Yes ? Copied(Src("a.txt"), Dir / "new/a.txt") : Lines{},
                          {"OnFinished"}}));
    EXPECT_TRUE(EndedWithFullProgress());
    ASSERT_EQ(Script.Shown().size(), 1u);
    const auto& Box = Script.Shown()[0];
    EXPECT_EQ(Box.Text, "Directory " + Dir / "new/" + " does not exist. Create it?");
    EXPECT_EQ(Box.DlgType, rtl::mtInformation);
    EXPECT_EQ(Box.DlgButtons, (rtl::TMsgDlgButtons{rtl::mbYes, rtl::mbNo}));
    EXPECT_EQ(Q.CreateTgtDir(), Yes);
    EXPECT_EQ(rtl::DirectoryExists(Dir / "new"), Yes);
  }
}

TEST_F(CopyRunDialogs, ErrorsWithoutAHandlerShowTheirDefaultMessage) {
  WriteFile(Src("x.txt"), "x");
  WriteFile(Src("v.dat"), rtl::SZDDCompress("expanded"));
  // A directory where the target file should go.
  ASSERT_TRUE(rtl::CreateDir(Out("blocked")));
  ASSERT_TRUE(rtl::CreateDir(Out("blocked/x.txt")));
  struct Case {
    const char* What;
    Lines Entries;
    std::string Target;
    TCopyType Type;
    Lines Texts;
  } Cases[] = {
      {"no entries", {}, Dir / "out/", ctStream, {"No source file assigned."}},
      {"empty target", {Src("x.txt")}, "", ctStream, {"No target file assigned."}},
      {"nothing matches",
       {Src("no*")},
       Dir / "out/",
       ctStream,
       {"Source File " + Src("no*") + " does not exist."}},
      {"missing directory entry",
       {Dir / "nosuch/"},
       Dir / "out/",
       ctStream,
       {"Source File " + Dir / "nosuch//*.*" + " does not exist."}},
      {"copy onto itself",
       {Src("x.txt")},
       Src("x.txt"),
       ctStream,
       {"Cannot copy file " + Src("x.txt") + " onto itself."}},
      {"move onto itself",
       {Src("x.txt")},
       Src("x.txt"),
       ctMove,
       {"Cannot move file " + Src("x.txt") + " onto itself."}},
      {"target cannot be created",
       {Src("x.txt")},
       Out("blocked"),
       ctStream,
       {"Cannot open target file " + Out("blocked/") + ".",
        Out("blocked/x.txt") + " failed validation."}},
      {"validation",
       {Src("v.dat")},
       Dir / "out/",
       ctLZCopy,
       {Out("v.dat") + " failed validation."}},
  };
  Rec.Unassign({"OnSrcFileError", "OnTgtFileError", "OnSrcFileNotExist", "OnCopyToSelfError",
                "OnMoveToSelfError", "OnOpenTgtError", "OnFailValidate"});
  Q.SetValidate(true);
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Script.ClearShown();
    for (size_t I = 0; I < C.Texts.size(); ++I) Script.Queue(TScriptedAnswer::Enter());
    Q.SetCopyType(C.Type);
    Setup(C.Entries, C.Target);
    Run();
    auto Texts = Boxes();
    // One expectation for both platforms: every separator written as '/'.
    if (!QUINDLE_TEST_POSIX)
      for (auto& T : Texts) std::replace(T.begin(), T.end(), '\\', '/');
    auto Expected = C.Texts;
    if (!QUINDLE_TEST_POSIX)
      for (auto& T : Expected) std::replace(T.begin(), T.end(), '\\', '/');
    EXPECT_EQ(Texts, Expected);
    for (const auto& B : Script.Shown()) {
      EXPECT_EQ(B.DlgType, rtl::mtInformation);
      EXPECT_EQ(B.DlgButtons, (rtl::TMsgDlgButtons{rtl::mbOK}));
      EXPECT_EQ(B.HelpCtx, 0);
    }
  }
}

TEST_F(CopyRunDialogs, DirectoryTooDeepToCreateIsNamedInItsMessage) {
  WriteFile(Src("a.txt"), "a");
  Rec.Unassign({"OnDirNotExist", "OnCannotCreateTgtDir"});
  Script.Queue({TScriptedAnswer::Press("Yes"), TScriptedAnswer::Enter()});
  Setup({Src("a.txt")}, Dir / "new/deeper/");
  EXPECT_EQ(Run(), (Lines{"OnStart", "OnFinished"}));
  EXPECT_EQ(Boxes(), (Lines{"Directory " + Dir / "new/deeper/" + " does not exist. Create it?",
                            "Cannot create target directory \r" + Dir / "new/deeper"}));
}

TEST_F(CopyRunDialogs, MessagesOffNothingIsShownWhateverHappens) {
  Q.SetShowMessages(false);
  Rec.Unassign({"OnSrcFileError", "OnTgtFileError", "OnSrcFileNotExist", "OnCopyToSelfError",
                "OnMoveToSelfError", "OnOpenSrcError", "OnOpenTgtError", "OnFailValidate",
                "OnCannotCreateTgtDir", "OnDirNotExist", "OnTgtFileExists"});
  WriteFile(Src("x.txt"), "x");
  WriteFile(Out("x.txt"), "old");
  Q.SetValidate(true);
  Q.SetCopyType(ctLZCopy);
  WriteFile(Src("v.dat"), rtl::SZDDCompress("expanded"));
  const std::pair<Lines, std::string> Runs[] = {
      {{Src("v.dat"), Src("x.txt")}, Dir / "out/"},  // existing target, failed validation
      {{Src("x.txt")}, Src("x.txt")},                // onto itself
      {{Src("x.txt")}, Dir / "new/deeper/"},         // directory not created
      {{Src("no*")}, Dir / "out/"},
      {{""}, ""},
  };
  for (const auto& [Entries, Target] : Runs) {
    Setup(Entries, Target);
    EXPECT_NO_THROW(Q.Execute());
  }
  EXPECT_TRUE(Script.Shown().empty());
  EXPECT_EQ(ReadFile(Out("x.txt")), "x") << "OverwriteIfExist is true by default";
}

}  // namespace
}  // namespace quindle
