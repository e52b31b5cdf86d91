// SPDX-License-Identifier: MIT
#include "widgetsets/console/console_widgetset.h"

#include <algorithm>
#include <cctype>
#include <iostream>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

std::string Trim(const std::string& S) {
  const char* Blanks = " \t\r\n";
  const size_t First = S.find_first_not_of(Blanks);
  if (First == std::string::npos) return std::string();
  return S.substr(First, S.find_last_not_of(Blanks) - First + 1);
}

// The caption with its key bracketed where it first occurs: "[Y]es".
std::string Bracket(const std::string& Caption, char Key) {
  if (Key == 0) return Caption;
  for (size_t I = 0; I < Caption.size(); ++I)
    if (std::tolower(static_cast<unsigned char>(Caption[I])) == Key)
      return Caption.substr(0, I) + "[" + Caption[I] + "]" + Caption.substr(I + 1);
  return "[" + std::string(1, Key) + "] " + Caption;
}

}  // namespace

TConsoleWidgetSet::TConsoleWidgetSet(TConsoleOptions Options)
    : TConsoleWidgetSet(std::cin, std::cerr, std::move(Options)) {}

TConsoleWidgetSet::TConsoleWidgetSet(std::istream& In, std::ostream& Out, TConsoleOptions Options)
    : FIn(In), FOut(Out), FOptions(std::move(Options)) {}

std::vector<TConsoleWidgetSet::TChoice> TConsoleWidgetSet::Choices(const TCustomForm& Form) {
  std::vector<TButton*> Buttons;
  for (TControl* C : ReadingOrder(Form)) {
    auto* B = dynamic_cast<TButton*>(C);
    if (B != nullptr && B->Enabled()) Buttons.push_back(B);
  }
  const std::vector<char> Keys = ButtonKeys(Buttons);
  std::vector<TChoice> List;
  for (size_t I = 0; I < Buttons.size(); ++I)
    List.push_back(
        {Buttons[I], Keys[I], Bracket(StripAccelerator(Buttons[I]->Caption()), Keys[I])});
  return List;
}

void TConsoleWidgetSet::Draw(const TCustomForm& Form, const std::vector<TChoice>& Choices) {
  FOut << '\n' << Form.Caption() << '\n' << std::string(Form.Caption().size(), '=') << '\n';
  // Labels on one row share a line; indentation follows their distance
  // from the leftmost label, at about eight pixels a character.
  std::vector<TControl*> Labels;
  for (TControl* C : ReadingOrder(Form))
    if (dynamic_cast<TLabel*>(C) != nullptr) Labels.push_back(C);
  int MinLeft = 0;
  if (!Labels.empty()) {
    MinLeft = Labels.front()->FormOrigin().X;
    for (TControl* L : Labels) MinLeft = std::min(MinLeft, L->FormOrigin().X);
  }
  for (size_t I = 0; I < Labels.size(); ++I) {
    const TPoint P = Labels[I]->FormOrigin();
    const bool SameRow = I > 0 && Labels[I - 1]->FormOrigin().Y == P.Y;
    if (I > 0 && !SameRow) FOut << '\n';
    FOut << (SameRow ? std::string(" ") : std::string((P.X - MinLeft) / 8, ' '))
         << Labels[I]->Caption();
  }
  if (!Labels.empty()) FOut << '\n';
  FOut << '\n';
  for (size_t I = 0; I < Choices.size(); ++I) {
    const bool Focused = Choices[I].Button == Form.ActiveControl();
    FOut << (I > 0 ? "  " : "") << (Focused ? "<" : "") << Choices[I].Shown << (Focused ? ">" : "");
  }
  FOut << '\n';
}

void TConsoleWidgetSet::Prompt(const TCustomForm& Form) {
  FOut << "Answer";
  auto* Focused = dynamic_cast<TButton*>(Form.ActiveControl());
  if (Focused == nullptr) Focused = Form.DefaultButton();
  std::string Keys;
  if (Focused != nullptr) Keys += "Enter = " + StripAccelerator(Focused->Caption());
  if (TButton* Cancel = Form.CancelButton())
    Keys +=
        (Keys.empty() ? "" : ", ") + std::string("Esc = ") + StripAccelerator(Cancel->Caption());
  if (!Keys.empty()) FOut << " (" << Keys << ")";
  FOut << ": " << std::flush;
}

bool TConsoleWidgetSet::Answer(TCustomForm& Form, const std::vector<TChoice>& Choices,
                               const std::string& Line) {
  const std::string Text = Trim(Line);
  if (Text.empty()) {
    Form.KeyEnter();
    return true;
  }
  if (Text == "\x1b" || SameText(Text, "esc") || SameText(Text, "escape")) {
    Form.KeyEscape();
    return true;
  }
  for (const TChoice& C : Choices) {
    const bool ByKey = Text.size() == 1 && C.Key != 0 &&
                       std::tolower(static_cast<unsigned char>(Text[0])) == C.Key;
    if (ByKey || SameText(Text, StripAccelerator(C.Button->Caption())) ||
        SameText(Text, C.Button->Name())) {
      C.Button->Click();
      return true;
    }
  }
  return false;
}

bool TConsoleWidgetSet::ReadAnswer(std::string& Line) {
  Line.clear();
  if (FInputEnded) return false;
  for (int C; (C = FIn.get()) != std::char_traits<char>::eof();) {
    if (C == '\n') return true;
    if (Line.size() == MaxAnswerLine) {
      FOut << "\nAnswer longer than " << MaxAnswerLine << " bytes: no more answers are read.";
      FInputEnded = true;
      return false;
    }
    Line.push_back(static_cast<char>(C));
  }
  FInputEnded = true;
  return !Line.empty();
}

void TConsoleWidgetSet::RunModal(TCustomForm& Form) {
  const std::vector<TChoice> List = Choices(Form);
  Draw(Form, List);
  if (!FOptions.Interactive) {
    FOut << std::flush;
    return Form.Close();
  }
  while (Form.ModalResult() == mrNone) {
    Prompt(Form);
    std::string Line;
    if (!ReadAnswer(Line)) {
      // Nobody is left to answer: close, whether or not the form has a close box.
      FOut << '\n' << std::flush;
      return Form.Close();
    }
    if (!Answer(Form, List, Line)) {
      FOut << "Unknown answer \"" << Trim(Line) << "\"; type a key shown in brackets.\n";
    }
  }
}

int TConsoleWidgetSet::MessageBox(const TMessageBoxParams& Box) {
  const bool OkOnly = Box.Buttons.Empty() || Box.Buttons == TMsgDlgButtons{mbOK};
  if (!FOptions.Interactive && OkOnly) {
    FOut << FOptions.MessagePrefix << Box.Text << '\n' << std::flush;
    return mrOk;
  }
  return TWidgetSet::MessageBox(Box);
}

}  // namespace rtl
