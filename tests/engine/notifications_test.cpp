// SPDX-License-Identifier: MIT
// The dispatchers: handler, default message, or silence; the two questions
// and what each answer leaves in the component.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "quindle_access.h"
#include "support/test_support.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace quindle {
namespace {

using rtl::TScriptedAnswer;

class Notifications : public ::testing::Test {
 protected:
  void SetUp() override {
    A.SetSrcSpec("/src/*.txt");
    A.SetCurrentFile("/src/REPORT.TXT", "/bak/REPORT.TXT", 0, rtl::EncodeDate(2024, 5, 17), 1234);
    A.SetTargetFields(999, rtl::EncodeDate(2023, 1, 2));
    Q.SetTargetFilename("/bak/");
  }

  TQuindle Q{nullptr};
  TQuindleTestAccess A{Q};
  rtl::TScriptedWidgetSet Script;
  rtl::TWidgetSetScope Scope{Script};
};

struct ErrorCase {
  const char* Event;
  void (TQuindle::*Assign)(TNotifyEvent);
  std::function<void(TQuindleTestAccess&)> Raise;
  std::string Text;
};

std::vector<ErrorCase> ErrorCases() {
  using A = TQuindleTestAccess;
  return {
      {"SrcFileError", &TQuindle::SetOnSrcFileError, &A::SrcFileError, "No source file assigned."},
      {"TgtFileError", &TQuindle::SetOnTgtFileError, &A::TgtFileError, "No target file assigned."},
      {"CopyToSelfError", &TQuindle::SetOnCopyToSelfError, &A::CopyToSelfError,
       "Cannot copy file /src/*.txt onto itself."},
      {"MoveToSelfError", &TQuindle::SetOnMoveToSelfError, &A::MoveToSelfError,
       "Cannot move file /src/*.txt onto itself."},
      {"SrcFileNotExist", &TQuindle::SetOnSrcFileNotExist, &A::SrcFileNotExist,
       "Source File /src/*.txt does not exist."},
      {"OpenSrcError", &TQuindle::SetOnOpenSrcError, &A::OpenSrcError,
       "Cannot open source file /src/REPORT.TXT."},
      {"OpenTgtError", &TQuindle::SetOnOpenTgtError, &A::OpenTgtError,
       "Cannot open target file /bak/."},
      {"LZCopyError", &TQuindle::SetOnLZCopyError, &A::LZCopyError, "Error during LZ copy."},
      {"MoveFileError", &TQuindle::SetOnMoveFileError, &A::MoveFileError,
       "File /src/REPORT.TXT is read only.  Cannot move."},
      {"FailValidation", &TQuindle::SetOnFailValidate, &A::FailValidation,
       "/bak/REPORT.TXT failed validation."},
      {"CannotCreateTgtDir", &TQuindle::SetOnCannotCreateTgtDir,
       [](A& X) { X.CannotCreateTgtDir("/new/deeper"); },
       "Cannot create target directory \r/new/deeper"},
  };
}

TEST_F(Notifications, ErrorsReachTheHandlerOrTheDefaultMessageOrNobody) {
  for (const auto& C : ErrorCases()) {
    SCOPED_TRACE(C.Event);
    // Messages off, no handler: silence.
    Q.SetShowMessages(false);
    C.Raise(A);
    EXPECT_TRUE(Script.Shown().empty());

    // Messages on, no handler: the exact text in an information box with OK.
    Q.SetShowMessages(true);
    Script.Queue(TScriptedAnswer::Enter());
    C.Raise(A);
    ASSERT_EQ(Script.Shown().size(), 1u);
    const auto& Box = Script.Shown()[0];
    EXPECT_TRUE(Box.IsMessageBox);
    EXPECT_EQ(Box.Text, C.Text);
    EXPECT_EQ(Box.DlgType, rtl::mtInformation);
    EXPECT_EQ(Box.DlgButtons, (rtl::TMsgDlgButtons{rtl::mbOK}));
    EXPECT_EQ(Box.HelpCtx, 0);
    EXPECT_EQ(A.Message(), C.Text);
    Script.ClearShown();

    // A handler takes the place of the box and leaves the last text alone.
    int Calls = 0;
    rtl::TObject* Sender = nullptr;
    (Q.*C.Assign)([&](rtl::TObject* S) {
      ++Calls;
      Sender = S;
    });
    C.Raise(A);
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(Sender, &Q);
    EXPECT_TRUE(Script.Shown().empty());
    EXPECT_EQ(A.Message(), C.Text);
    (Q.*C.Assign)(nullptr);
  }
}

TEST_F(Notifications, MissingDirectoryQuestionSetsCreateTgtDirFromTheAnswer) {
  struct Case {
    const char* What;
    TScriptedAnswer Answer;
    bool Before;
    bool After;
  } Cases[] = {
      {"Yes", TScriptedAnswer::Press("Yes"), false, true},
      {"No", TScriptedAnswer::Press("No"), true, false},
      {"Escape", TScriptedAnswer::Escape(), true, false},
      {"close box", TScriptedAnswer::CloseBox(), true, false},
  };
  Q.SetShowMessages(true);
  Q.SetTargetFilename("/bak/new/");
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    Q.SetCreateTgtDir(C.Before);
    Script.ClearShown();
    Script.Queue(C.Answer);
    A.DirNotExist();
    EXPECT_EQ(Q.CreateTgtDir(), C.After);
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Text, "Directory /bak/new/ does not exist. Create it?");
    EXPECT_EQ(Script.Shown()[0].DlgType, rtl::mtInformation);
    EXPECT_EQ(Script.Shown()[0].DlgButtons, (rtl::TMsgDlgButtons{rtl::mbYes, rtl::mbNo}));
  }
}

TEST_F(Notifications, MissingDirectoryWithAHandlerOrSilentlyKeepsCreateTgtDir) {
  Q.SetCreateTgtDir(true);
  A.DirNotExist();  // messages off
  EXPECT_TRUE(Q.CreateTgtDir());
  Q.SetShowMessages(true);
  int Calls = 0;
  Q.SetOnDirNotExist([&](rtl::TObject*) { ++Calls; });
  A.DirNotExist();
  EXPECT_EQ(Calls, 1);
  EXPECT_TRUE(Q.CreateTgtDir());
  EXPECT_TRUE(Script.Shown().empty());
}

TEST_F(Notifications, OverwriteDialogAnswers) {
  struct Case {
    const char* What;
    TScriptedAnswer Answer;
    bool Overwrite;  // OverwriteIfExist after, starting from the opposite
    bool Aborted;
    int Cancelled;  // OnOverwriteCancelled calls
  } Cases[] = {
      {"Yes", TScriptedAnswer::Press("Yes"), true, false, 0},
      {"Enter presses Yes", TScriptedAnswer::Enter(), true, false, 0},
      {"No", TScriptedAnswer::Press("No"), false, false, 1},
      {"close box counts as No", TScriptedAnswer::CloseBox(), false, false, 1},
      {"Cancel", TScriptedAnswer::Press("Cancel"), true, true, 0},
      {"Escape presses Cancel", TScriptedAnswer::Escape(), true, true, 0},
  };
  Q.SetShowMessages(true);
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.What);
    TQuindle Fresh(nullptr);
    TQuindleTestAccess X(Fresh);
    X.SetCurrentFile("/src/a", "/bak/a", 0, 0, 1);
    Fresh.SetShowMessages(true);
    // A Cancel leaves OverwriteIfExist alone, so start it at true there.
    Fresh.SetOverwriteIfExist(C.Aborted ? true : !C.Overwrite);
    int Cancelled = 0;
    Fresh.SetOnOverwriteCancelled([&](rtl::TObject*) { ++Cancelled; });
    Script.Queue(C.Answer);
    X.TgtFileExists();
    EXPECT_EQ(Fresh.OverwriteIfExist(), C.Overwrite);
    EXPECT_EQ(X.Aborted(), C.Aborted);
    EXPECT_EQ(Cancelled, C.Cancelled);
    EXPECT_EQ(Fresh.ComponentCount(), 0) << "the dialog outlived its question";
  }
}

TEST_F(Notifications, OverwriteDialogShowsDisplayNamesSizesAndDates) {
  Q.SetShowMessages(true);
  Script.Queue(TScriptedAnswer::Press("No"));
  A.TgtFileExists();
  ASSERT_EQ(Script.Shown().size(), 1u);
  const auto& Captions = Script.Shown()[0].Captions;
  EXPECT_EQ(Script.Shown()[0].Title, "Confirm File Replace");
  EXPECT_EQ(Captions.at("SrcFNLabel1"), "Report.txt");
  EXPECT_EQ(Captions.at("SrcFNLabel2"), "Report.txt");
  EXPECT_EQ(Captions.at("TgtFNLabel1"), "Report.txt");
  EXPECT_EQ(Captions.at("TgtFileSizeLabel"), "999 bytes");
  EXPECT_EQ(Captions.at("SrcFileSizeLabel"), "1234 bytes");
  EXPECT_EQ(Captions.at("TgtModifiedLabel"),
            "modified on " + rtl::DateTimeToStr(rtl::EncodeDate(2023, 1, 2)));
  EXPECT_EQ(Captions.at("SrcModifiedLabel"),
            "modified on " + rtl::DateTimeToStr(rtl::EncodeDate(2024, 5, 17)));
}

TEST_F(Notifications, DisplayNameLowersTheNameAndRaisesItsFirstCharacter) {
  struct Case {
    std::string Target;
    std::string Shown;
  } Cases[] = {{"/x/README", "Readme"}, {"/x/dir/", ""}, {"/x/ÉCOLE.TXT", "École.txt"}, {"a", "A"}};
  Q.SetShowMessages(true);
  for (const auto& C : Cases) {
    Script.ClearShown();
    A.SetCurrentFile("/src/z", C.Target, 0, 0, 0);
    Script.Queue(TScriptedAnswer::Press("No"));
    A.TgtFileExists();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Captions.at("TgtFNLabel1"), C.Shown) << C.Target;
  }
}

TEST_F(Notifications, TargetExistsWithoutDialogFollowsOverwriteIfExist) {
  int Cancelled = 0;
  Q.SetOnOverwriteCancelled([&](rtl::TObject*) { ++Cancelled; });
  A.TgtFileExists();  // messages off, overwrite on
  EXPECT_EQ(Cancelled, 0);
  Q.SetOverwriteIfExist(false);
  A.TgtFileExists();
  EXPECT_EQ(Cancelled, 1);

  // A handler decides through OverwriteIfExist.
  Q.SetShowMessages(true);
  Q.SetOnTgtFileExists(
      [](rtl::TObject* S) { static_cast<TQuindle*>(S)->SetOverwriteIfExist(false); });
  Q.SetOverwriteIfExist(true);
  A.TgtFileExists();
  EXPECT_EQ(Cancelled, 2);
  EXPECT_TRUE(Script.Shown().empty());
}

TEST_F(Notifications, DialogIsFreedWhenShowingItRaises) {
  Q.SetShowMessages(true);  // no answer queued: the script raises
  EXPECT_THROW(A.TgtFileExists(), rtl::EScriptExhausted);
  EXPECT_EQ(Q.ComponentCount(), 0);
}

}  // namespace
}  // namespace quindle
