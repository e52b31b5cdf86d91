// SPDX-License-Identifier: MIT
#include "rtl/ui/dialogs.h"

#include <algorithm>

#include "rtl/ui/widgetset.h"

namespace rtl {

namespace {

struct TButtonKind {
  const char* Name;
  const char* Caption;
  TModalResult Result;
};

// Indexed by TMsgDlgBtn.
const TButtonKind ButtonKinds[] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

constexpr int Margin = 12, ButtonWidth = 75, ButtonHeight = 25, ButtonGap = 8, LineHeight = 16,
              CharWidth = 7;

// A text-only estimate; widgetsets that measure text lay the box out again.
TRect TextExtent(const std::string& Text, int Left, int Top) {
  int Lines = 1, Longest = 0, Current = 0;
  for (char C : Text) {
    if (C == '\n' || C == '\r') {
      Lines += C == '\n';
      Current = 0;
      continue;
    }
    Longest = std::max(Longest, ++Current);
  }
  return {Left, Top, Left + Longest * CharWidth, Top + Lines * LineHeight};
}

TMsgDlgBtn FirstOf(const TMsgDlgButtons& Set, std::initializer_list<TMsgDlgBtn> Choices) {
  for (TMsgDlgBtn B : Choices)
    if (Set.Contains(B)) return B;
  return static_cast<TMsgDlgBtn>(0xFF);
}

}  // namespace

std::string MessageBoxTitle(TMsgDlgType DlgType) {
  switch (DlgType) {
    case mtWarning:
      return "Warning";
    case mtError:
      return "Error";
    case mtInformation:
      return "Information";
    case mtConfirmation:
      return "Confirm";
    case mtCustom:
      break;
  }
  return ProgramName();
}

std::unique_ptr<TForm> CreateMessageDialog(const TMessageBoxParams& Box) {
  auto Form = std::make_unique<TForm>(nullptr);
  Form->SetName("MessageBox");
  Form->SetCaption(Box.Title);
  Form->SetBorderStyle(bsDialog);
  Form->SetBorderIcons(BorderIcon(biSystemMenu));
  Form->SetPosition(poScreenCenter);
  const TMsgDlgButtons Buttons = Box.Buttons.Empty() ? TMsgDlgButtons{mbOK} : Box.Buttons;

  int TextLeft = Margin;
  if (Box.DlgType != mtCustom) {
    auto* Image = new TImage(Form.get());
    Image->SetName("Image");
    Image->SetParent(Form.get());
    Image->SetBounds(Margin, Margin, 32, 32);
    TextLeft = Margin + 32 + Margin;
  }
  auto* Message = new TLabel(Form.get());
  Message->SetName("Message");
  Message->SetParent(Form.get());
  Message->SetCaption(Box.Text);
  const TRect Text = TextExtent(Box.Text, TextLeft, Margin);
  Message->SetBounds(Text.Left, Text.Top, Text.Width(), Text.Height());

  int Count = 0;
  for (int B = mbYes; B <= mbHelp; ++B) Count += Buttons.Contains(static_cast<TMsgDlgBtn>(B));
  const int RowWidth = Count * ButtonWidth + (Count - 1) * ButtonGap;
  const int ClientWidth = std::max({Text.Right + Margin, RowWidth + 2 * Margin, 180});
  const int ButtonTop = std::max(Text.Bottom, Margin + 32) + Margin;
  Form->SetClientWidth(ClientWidth);
  Form->SetClientHeight(ButtonTop + ButtonHeight + Margin);

  const TMsgDlgBtn DefaultKind = FirstOf(Buttons, {mbOK, mbYes, mbRetry});
  const TMsgDlgBtn CancelKind = FirstOf(Buttons, {mbCancel, mbNo, mbOK});
  int Left = (ClientWidth - RowWidth) / 2;
  for (int I = mbYes; I <= mbHelp; ++I) {
    const auto Kind = static_cast<TMsgDlgBtn>(I);
    if (!Buttons.Contains(Kind)) continue;
    auto* Button = new TButton(Form.get());
    Button->SetName(ButtonKinds[I].Name);
    Button->SetParent(Form.get());
    Button->SetCaption(ButtonKinds[I].Caption);
    Button->SetModalResult(ButtonKinds[I].Result);
    Button->SetBounds(Left, ButtonTop, ButtonWidth, ButtonHeight);
    Button->SetDefault(Kind == DefaultKind);
    Button->SetCancel(Kind == CancelKind);
    if (Kind == DefaultKind) Form->SetActiveControl(Button);
    Left += ButtonWidth + ButtonGap;
  }
  return Form;
}

int TWidgetSet::MessageBox(const TMessageBoxParams& Box) {
  std::unique_ptr<TForm> Form = CreateMessageDialog(Box);
  return Form->ShowModal(*this);
}

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return WidgetSet().MessageBox({MessageBoxTitle(DlgType), Msg, DlgType, Buttons, HelpCtx});
}

}  // namespace rtl
