// SPDX-License-Identifier: MIT
#include "widgetsets/scripted/scripted_widgetset.h"

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

TButton* FindButton(const TCustomForm& Form, const std::string& Key) {
  for (TControl* C : ReadingOrder(Form)) {
    auto* B = dynamic_cast<TButton*>(C);
    if (B != nullptr && (SameText(B->Name(), Key) || SameText(StripAccelerator(B->Caption()), Key)))
      return B;
  }
  return nullptr;
}

}  // namespace

TScriptedWidgetSet& TScriptedWidgetSet::Queue(TScriptedAnswer Answer) {
  FAnswers.push_back(std::move(Answer));
  return *this;
}

TScriptedWidgetSet& TScriptedWidgetSet::Queue(std::initializer_list<TScriptedAnswer> Answers) {
  for (const TScriptedAnswer& A : Answers) FAnswers.push_back(A);
  return *this;
}

TShownBox TScriptedWidgetSet::Record(const TCustomForm& Form) const {
  TShownBox S;
  S.ClassName = Form.ClassName();
  S.Name = Form.Name();
  S.Title = Form.Caption();
  for (TControl* C : ReadingOrder(Form)) {
    if (dynamic_cast<TLabel*>(C)) S.Labels.push_back(C->Caption());
    if (dynamic_cast<TButton*>(C)) S.Buttons.push_back(StripAccelerator(C->Caption()));
  }
  for (TControl* C : Form.AllControls())
    if (!C->Name().empty()) S.Captions[C->Name()] = C->Caption();
  if (Form.ActiveControl() != nullptr) S.Focused = Form.ActiveControl()->Name();
  if (FBox != nullptr) {
    S.IsMessageBox = true;
    S.Text = FBox->Text;
    S.DlgType = FBox->DlgType;
    S.DlgButtons = FBox->Buttons;
    S.HelpCtx = FBox->HelpCtx;
  }
  return S;
}

void TScriptedWidgetSet::Apply(TCustomForm& Form, const TScriptedAnswer& Answer) {
  switch (Answer.Kind) {
    case TScriptedAnswer::TKind::Press: {
      TButton* B = FindButton(Form, Answer.Button);
      if (B == nullptr || !B->Enabled())
        throw EScriptError("No button \"" + Answer.Button + "\" to press on \"" + Form.Caption() +
                           "\"");
      B->Click();
      return;
    }
    case TScriptedAnswer::TKind::Enter:
      return Form.KeyEnter();
    case TScriptedAnswer::TKind::Escape:
      return Form.KeyEscape();
    case TScriptedAnswer::TKind::CloseBox:
      if (!Form.HasCloseBox()) throw EScriptError("\"" + Form.Caption() + "\" has no close box");
      return Form.Close();
  }
}

void TScriptedWidgetSet::RunModal(TCustomForm& Form) {
  FShown.push_back(Record(Form));
  const size_t Index = FShown.size() - 1;
  FBox = nullptr;
  while (Form.ModalResult() == mrNone) {
    if (!FAnswers.empty()) {
      TScriptedAnswer Answer = std::move(FAnswers.front());
      FAnswers.pop_front();
      Apply(Form, Answer);
      continue;
    }
    if (!FDefault) throw EScriptExhausted("No scripted answer left for \"" + Form.Caption() + "\"");
    Apply(Form, *FDefault);
    if (Form.ModalResult() == mrNone)
      throw EScriptError("The default answer leaves \"" + Form.Caption() + "\" open");
  }
  FShown[Index].Result = Form.ModalResult();
}

int TScriptedWidgetSet::MessageBox(const TMessageBoxParams& Box) {
  FBox = &Box;
  try {
    const int Result = TWidgetSet::MessageBox(Box);
    FBox = nullptr;
    return Result;
  } catch (...) {
    FBox = nullptr;
    throw;
  }
}

}  // namespace rtl
