// SPDX-License-Identifier: MIT
#include "widgetsets/scripted/scripted_widgetset.h"

#include <gtest/gtest.h>

#include "rtl/ui/dialogs.h"

namespace {

using namespace rtl;
using A = TScriptedAnswer;

struct TBoxCase {
  const char* Case;
  TMsgDlgButtons Buttons;
  std::vector<A> Answers;
  int Result;
};

class ScriptedMessageDlg : public ::testing::TestWithParam<TBoxCase> {};

TEST_P(ScriptedMessageDlg, ReturnsTheResultOfTheAnswer) {
  const TBoxCase& C = GetParam();
  TScriptedWidgetSet Script;
  for (const A& Answer : C.Answers) Script.Queue(Answer);
  TWidgetSetScope Scope(Script);
  EXPECT_EQ(MessageDlg("Question?", mtConfirmation, C.Buttons, 0), C.Result);
  EXPECT_EQ(Script.Pending(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptedMessageDlg,
    ::testing::Values(
        TBoxCase{"YesByCaption", {mbYes, mbNo}, {A::Press("yes")}, mrYes},
        TBoxCase{"NoByName", {mbYes, mbNo}, {A::Press("No")}, mrNo},
        TBoxCase{"EnterPressesYes", {mbYes, mbNo}, {A::Enter()}, mrYes},
        TBoxCase{"EnterPressesOk", mbOKCancel, {A::Enter()}, mrOk},
        TBoxCase{"EscapePressesNoWithoutCancel", {mbYes, mbNo}, {A::Escape()}, mrNo},
        TBoxCase{"EscapePressesCancel", mbYesNoCancel, {A::Escape()}, mrCancel},
        TBoxCase{"EscapePressesOkAlone", {mbOK}, {A::Escape()}, mrOk},
        TBoxCase{"CloseBoxGivesCancel", {mbYes, mbNo}, {A::CloseBox()}, mrCancel},
        TBoxCase{"NoButtonsShowOk", {}, {A::Enter()}, mrOk},
        TBoxCase{"HelpKeepsTheBoxOpen", {mbOK, mbHelp}, {A::Press("Help"), A::Press("OK")}, mrOk},
        TBoxCase{"YesToAllByCaption", {mbYes, mbYesToAll}, {A::Press("Yes to All")}, mrYesToAll}),
    [](const auto& Info) { return std::string(Info.param.Case); });

TEST(Scripted, RecordsMessageBoxes) {
  TScriptedWidgetSet Script;
  Script.Queue(A::Enter());
  TWidgetSetScope Scope(Script);
  MessageDlg("Directory /x/ does not exist. Create it?", mtInformation, {mbYes, mbNo}, 7);
  ASSERT_EQ(Script.Shown().size(), 1u);
  const TShownBox& S = Script.Shown()[0];
  EXPECT_TRUE(S.IsMessageBox);
  EXPECT_EQ(S.Title, "Information");
  EXPECT_EQ(S.Text, "Directory /x/ does not exist. Create it?");
  EXPECT_EQ(S.Labels, std::vector<std::string>{S.Text});
  EXPECT_EQ(S.Buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(S.DlgType, mtInformation);
  EXPECT_EQ(S.DlgButtons, (TMsgDlgButtons{mbYes, mbNo}));
  EXPECT_EQ(S.HelpCtx, 7);
  EXPECT_EQ(S.Focused, "Yes");
  EXPECT_EQ(S.Result, mrYes);
}

// A form made in code: two labels out of reading order and two buttons.
struct TQuestionForm {
  TForm Form{nullptr};
  TLabel* Lower = new TLabel(&Form);
  TLabel* Upper = new TLabel(&Form);
  TButton* Go = new TButton(&Form);
  TButton* Stop = new TButton(&Form);
  TQuestionForm() {
    Form.SetCaption("Question");
    for (TControl* C : std::initializer_list<TControl*>{Lower, Upper, Go, Stop})
      C->SetParent(&Form);
    Lower->SetName("Lower");
    Lower->SetBounds(8, 40, 50, 16);
    Lower->SetCaption("second line");
    Upper->SetName("Upper");
    Upper->SetBounds(8, 8, 50, 16);
    Upper->SetCaption("first line");
    Go->SetName("Go");
    Go->SetBounds(100, 80, 75, 25);
    Go->SetCaption("&Go");
    Go->SetModalResult(mrOk);
    Stop->SetName("Stop");
    Stop->SetBounds(10, 80, 75, 25);
    Stop->SetCaption("Stop");
    Stop->SetModalResult(mrCancel);
  }
};

TEST(Scripted, RecordsFormsAsTheyWereWhenShown) {
  TQuestionForm Q;
  Q.Form.SetOnShow([&](TObject*) { Q.Upper->SetCaption("set by OnShow"); });
  Q.Go->SetOnClick([&](TObject*) { Q.Upper->SetCaption("set by Go"); });
  TScriptedWidgetSet Script;
  Script.Queue(A::Press("go"));
  EXPECT_EQ(Q.Form.ShowModal(Script), mrOk);
  ASSERT_EQ(Script.Shown().size(), 1u);
  const TShownBox& S = Script.Shown()[0];
  EXPECT_FALSE(S.IsMessageBox);
  EXPECT_EQ(S.ClassName, "TForm");
  EXPECT_EQ(S.Title, "Question");
  EXPECT_EQ(S.Labels, (std::vector<std::string>{"set by OnShow", "second line"}));
  EXPECT_EQ(S.Buttons, (std::vector<std::string>{"Stop", "Go"}));
  EXPECT_EQ(S.Captions.at("Upper"), "set by OnShow");
  EXPECT_EQ(S.Focused, "Go");  // first in tab order, though right of Stop
  EXPECT_EQ(S.Result, mrOk);
}

TEST(Scripted, AnEmptyQueueRaisesUnlessThereIsADefault) {
  TQuestionForm Q;
  TScriptedWidgetSet Script;
  EXPECT_THROW(Q.Form.ShowModal(Script), EScriptExhausted);
  EXPECT_FALSE(Q.Form.Modal());
  Script.SetDefaultAnswer(A::Press("Stop"));
  EXPECT_EQ(Q.Form.ShowModal(Script), mrCancel);
  EXPECT_EQ(Q.Form.ShowModal(Script), mrCancel);
  Script.SetDefaultAnswer(A::Escape());  // there is no Cancel button
  EXPECT_THROW(Q.Form.ShowModal(Script), EScriptError);
}

TEST(Scripted, AnswersTheFormCannotTakeRaise) {
  TQuestionForm Q;
  TScriptedWidgetSet Script;
  Script.Queue(A::Press("Maybe"));
  EXPECT_THROW(Q.Form.ShowModal(Script), EScriptError);
  Q.Go->SetEnabled(false);
  Script.Queue(A::Press("Go"));
  EXPECT_THROW(Q.Form.ShowModal(Script), EScriptError);
  Q.Form.SetBorderIcons(0);
  Script.Queue(A::CloseBox());
  EXPECT_THROW(Q.Form.ShowModal(Script), EScriptError);
}

TEST(WidgetSetChoice, TheDefaultPrintsAndClosesAndAScopeRestoresIt) {
  TScriptedWidgetSet Script;
  {
    TWidgetSetScope Scope(Script);
    EXPECT_EQ(&WidgetSet(), &Script);
  }
  EXPECT_NE(dynamic_cast<THeadlessWidgetSet*>(&WidgetSet()), nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageDlg("No source file assigned.", mtInformation, {mbOK}, 0), mrCancel);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "No source file assigned.\n");
  TQuestionForm Q;
  EXPECT_EQ(Q.Form.ShowModal(), mrCancel);
}

}  // namespace
