// SPDX-License-Identifier: MIT
#include "widgetsets/console/console_widgetset.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <unistd.h>

#include <ext/stdio_filebuf.h>
#endif

#include "rtl/ui/dialogs.h"

namespace {

using namespace rtl;

struct TQuestionForm {
  TForm Form{nullptr};
  TLabel* Lower = new TLabel(&Form);
  TLabel* Upper = new TLabel(&Form);
  TLabel* Beside = new TLabel(&Form);
  TImage* Picture = new TImage(&Form);
  TButton* Go = new TButton(&Form);
  TButton* Stop = new TButton(&Form);
  int StopClicks = 0;
  TQuestionForm() {
    Form.SetCaption("Question");
    for (TControl* C : std::initializer_list<TControl*>{Lower, Upper, Beside, Picture, Go, Stop})
      C->SetParent(&Form);
    Lower->SetBounds(40, 40, 50, 16);
    Lower->SetCaption("indented");
    Upper->SetBounds(8, 8, 50, 16);
    Upper->SetCaption("first line");
    Beside->SetBounds(90, 8, 50, 16);
    Beside->SetCaption("and more");
    Picture->SetBounds(0, 0, 32, 32);
    Go->SetName("GoButton");
    Go->SetBounds(100, 80, 75, 25);
    Go->SetCaption("&Go");
    Go->SetModalResult(mrOk);
    Stop->SetBounds(10, 80, 75, 25);
    Stop->SetCaption("Stop");
    Stop->SetModalResult(mrCancel);
    Stop->SetOnClick([this](TObject*) { ++StopClicks; });
  }
};

TEST(Console, DrawsAFormAsText) {
  TQuestionForm Q;
  std::istringstream In("g\n");
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out);
  EXPECT_EQ(Q.Form.ShowModal(Console), mrOk);
  EXPECT_EQ(Out.str(),
            "\nQuestion\n========\n"
            "first line and more\n"
            "    indented\n"
            "\n"
            "[S]top  <[G]o>\n"
            "Answer (Enter = Go): ");
}

TEST(Console, DrawsAMessageBoxAsText) {
  std::istringstream In("\n");
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out);
  TWidgetSetScope Scope(Console);
  EXPECT_EQ(MessageDlg("Proceed?", mtConfirmation, mbYesNoCancel, 0), mrYes);
  EXPECT_EQ(Out.str(),
            "\nConfirm\n=======\nProceed?\n\n"
            "<[Y]es>  [N]o  [C]ancel\n"
            "Answer (Enter = Yes, Esc = Cancel): ");
}

TEST(Console, KeysAvoidEachOther) {
  TForm Form(nullptr);
  for (const char* Caption : {"&Yes", "Yes to &All", "&All", "N&o to All", "&&Ok", "++"}) {
    auto* B = new TButton(&Form);
    B->SetParent(&Form);
    B->SetCaption(Caption);
    B->SetLeft(Form.ControlCount() * 80);
  }
  std::vector<std::string> Shown;
  for (const auto& C : TConsoleWidgetSet::Choices(Form)) Shown.push_back(C.Shown);
  EXPECT_EQ(Shown, (std::vector<std::string>{"[Y]es", "Yes to [A]ll", "A[l]l", "N[o] to All",
                                             "&O[k]", "++"}));
}

struct TAnswerCase {
  const char* Case;
  const char* Input;
  bool StopIsCancel;
  TModalResult Result;
  int StopClicks;
  const char* Complaint;  // expected in the output, or nullptr
};

class ConsoleAnswers : public ::testing::TestWithParam<TAnswerCase> {};

TEST_P(ConsoleAnswers, ReadsOneLineAtATime) {
  const TAnswerCase& C = GetParam();
  TQuestionForm Q;
  Q.Stop->SetCancel(C.StopIsCancel);
  std::istringstream In(C.Input);
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out);
  EXPECT_EQ(Q.Form.ShowModal(Console), C.Result);
  EXPECT_EQ(Q.StopClicks, C.StopClicks);
  if (C.Complaint != nullptr) {
    EXPECT_NE(Out.str().find(C.Complaint), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ConsoleAnswers,
    ::testing::Values(TAnswerCase{"Key", "g\n", false, mrOk, 0, nullptr},
                      TAnswerCase{"KeyInUpperCase", "S\n", false, mrCancel, 1, nullptr},
                      TAnswerCase{"Caption", " stop \r\n", false, mrCancel, 1, nullptr},
                      TAnswerCase{"Name", "gobutton\n", false, mrOk, 0, nullptr},
                      TAnswerCase{"EnterPressesFocused", "\n", false, mrOk, 0, nullptr},
                      TAnswerCase{"EscapePressesCancel", "esc\n", true, mrCancel, 1, nullptr},
                      TAnswerCase{"EscapeCharacter", "\x1b\n", true, mrCancel, 1, nullptr},
                      TAnswerCase{"EscapeWithoutCancelWaits", "ESC\ng\n", false, mrOk, 0, nullptr},
                      TAnswerCase{"EndOfInputIsTheCloseBox", "", true, mrCancel, 0, nullptr},
                      TAnswerCase{"EndWithoutNewline", "x", true, mrCancel, 0, "Unknown answer"},
                      TAnswerCase{"UnknownThenKey", "maybe\ns\n", false, mrCancel, 1,
                                  "Unknown answer \"maybe\""}),
    [](const auto& Info) { return std::string(Info.param.Case); });

TEST(Console, OverlongAnswerEndsTheInput) {
  const size_t Max = TConsoleWidgetSet::MaxAnswerLine;
  const struct {
    const char* Case;
    std::string Input;
    TModalResult First;
    size_t ReadAtMost;  // bytes taken from the input by both forms together
  } Cases[] = {
      {"longest answer still read", std::string(Max, ' ') + "\n", mrOk, Max + 1},
      {"one byte longer", std::string(Max + 1, 'g') + "\ns\n", mrCancel, Max + 1},
      {"zeros without end", std::string(size_t{8} << 20, '\0'), mrCancel, Max + 1},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Case);
    std::istringstream In(C.Input);
    std::ostringstream Out;
    TConsoleWidgetSet Console(In, Out);
    TQuestionForm First, Second;
    EXPECT_EQ(First.Form.ShowModal(Console), C.First);
    // After an overlong line nothing more is read: the next form closes too.
    EXPECT_EQ(Second.Form.ShowModal(Console), mrCancel);
    In.clear();
    EXPECT_LE(static_cast<size_t>(In.tellg()), C.ReadAtMost);
    EXPECT_EQ(First.StopClicks + Second.StopClicks, 0);
    if (C.First == mrCancel) {
      EXPECT_NE(Out.str().find("no more answers are read"), std::string::npos);
    }
  }
}

#if QUINDLE_TEST_POSIX
TEST(Console, ReadsAnswersFromAPipe) {
  int Fds[2];
  ASSERT_EQ(pipe(Fds), 0);
  const std::string Answers = "n\n\n";
  ASSERT_EQ(write(Fds[1], Answers.data(), Answers.size()), static_cast<ssize_t>(Answers.size()));
  close(Fds[1]);
  __gnu_cxx::stdio_filebuf<char> Buffer(Fds[0], std::ios::in);
  std::istream In(&Buffer);
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out);
  TWidgetSetScope Scope(Console);
  EXPECT_EQ(MessageDlg("First?", mtConfirmation, {mbYes, mbNo}, 0), mrNo);
  EXPECT_EQ(MessageDlg("Second?", mtConfirmation, {mbYes, mbNo}, 0), mrYes);
  EXPECT_EQ(MessageDlg("Third?", mtConfirmation, {mbYes, mbNo}, 0), mrCancel);  // end of input
}

#endif

TEST(Console, NonInteractiveModePrintsAndNeverReads) {
  std::istringstream In("y\n");
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out, {false, "quindle: "});
  TWidgetSetScope Scope(Console);
  EXPECT_EQ(MessageDlg("No source file assigned.", mtInformation, {mbOK}, 0), mrOk);
  EXPECT_EQ(Out.str(), "quindle: No source file assigned.\n");
  Out.str("");
  EXPECT_EQ(MessageDlg("Create it?", mtInformation, {mbYes, mbNo}, 0), mrCancel);
  EXPECT_NE(Out.str().find("Create it?"), std::string::npos);
  TQuestionForm Q;
  EXPECT_EQ(Q.Form.ShowModal(), mrCancel);
  EXPECT_EQ(Q.StopClicks, 0);
  std::string Left;
  std::getline(In, Left);
  EXPECT_EQ(Left, "y");
}

}  // namespace
