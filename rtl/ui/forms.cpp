// SPDX-License-Identifier: MIT
#include "rtl/ui/forms.h"

#include <algorithm>

#include "rtl/core/form_reader.h"
#include "rtl/core/typinfo.h"
#include "rtl/ui/modules.h"
#include "rtl/ui/widgetset.h"

namespace rtl {

namespace {

void CollectFocusable(const TWinControl& Parent, std::vector<TWinControl*>& List) {
  for (TWinControl* W : Parent.TabList()) {
    if (!W->Visible() || !W->Enabled()) continue;
    if (W->CanFocus()) List.push_back(W);
    CollectFocusable(*W, List);
  }
}

void CollectControls(const TWinControl& Parent, std::vector<TControl*>& List) {
  for (TControl* C : Parent.Controls()) {
    List.push_back(C);
    if (auto* W = dynamic_cast<TWinControl*>(C)) CollectControls(*W, List);
  }
}

TButton* FindButton(const TCustomForm& Form, bool (TButton::*Flag)() const) {
  for (TControl* C : Form.AllControls()) {
    auto* B = dynamic_cast<TButton*>(C);
    if (B != nullptr && (B->*Flag)() && B->Visible() && B->Enabled()) return B;
  }
  return nullptr;
}

}  // namespace

const TClassInfo* TControlScrollBar::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TControlScrollBar>("TControlScrollBar", nullptr)
          .Boolean("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true)
          .Build();
  return &Info;
}

void TControlScrollBar::Assign(const TPersistent* Source) {
  auto* S = dynamic_cast<const TControlScrollBar*>(Source);
  if (S == nullptr) return TPersistent::Assign(Source);
  FVisible = S->FVisible;
}

TCustomForm::TCustomForm(TComponent* AOwner)
    : TWinControl(AOwner),
      FHorzScrollBar(std::make_unique<TControlScrollBar>()),
      FVertScrollBar(std::make_unique<TControlScrollBar>()) {
  SetBounds(0, 0, 320, 240);
}

TCustomForm::~TCustomForm() = default;

int TCustomForm::ShowModal() {
  return ShowModal(WidgetSet());
}

int TCustomForm::ShowModal(TWidgetSet& With) {
  if (FModal) throw EInvalidOperation("Cannot make a visible window modal");
  struct TModalScope {
    bool& Flag;
    explicit TModalScope(bool& F) : Flag(F) { Flag = true; }
    ~TModalScope() { Flag = false; }
  } Scope(FModal);
  FModalResult = mrNone;
  if (FActiveControl == nullptr || !FActiveControl->CanFocus()) {
    const std::vector<TWinControl*> Order = FocusOrder();
    FActiveControl = Order.empty() ? nullptr : Order.front();
  }
  DoShow();
  With.RunModal(*this);
  // A widgetset that gives up without an answer has, in effect, closed the form.
  if (FModalResult == mrNone) FModalResult = mrCancel;
  return FModalResult;
}

void TCustomForm::Close() {
  if (FModal) FModalResult = mrCancel;
}

bool TCustomForm::HasCloseBox() const {
  return FBorderStyle != bsNone && (FBorderIcons & BorderIcon(biSystemMenu)) != 0;
}

std::vector<TWinControl*> TCustomForm::FocusOrder() const {
  std::vector<TWinControl*> List;
  CollectFocusable(*this, List);
  return List;
}

void TCustomForm::SelectNext(bool GoForward) {
  const std::vector<TWinControl*> Order = FocusOrder();
  if (Order.empty()) return;
  auto It = std::find(Order.begin(), Order.end(), FActiveControl);
  const int N = static_cast<int>(Order.size());
  int Index = It == Order.end() ? (GoForward ? -1 : 0) : static_cast<int>(It - Order.begin());
  Index = ((Index + (GoForward ? 1 : -1)) % N + N) % N;
  FActiveControl = Order[Index];
}

void TCustomForm::KeyEnter() {
  auto* Focused = dynamic_cast<TButton*>(FActiveControl);
  if (Focused != nullptr && Focused->CanFocus()) return Focused->Click();
  if (TButton* B = DefaultButton()) B->Click();
}

void TCustomForm::KeyEscape() {
  if (TButton* B = CancelButton()) B->Click();
}

TButton* TCustomForm::CancelButton() const {
  return FindButton(*this, &TButton::Cancel);
}
TButton* TCustomForm::DefaultButton() const {
  return FindButton(*this, &TButton::Default);
}

std::vector<TControl*> TCustomForm::AllControls() const {
  std::vector<TControl*> List;
  CollectControls(*this, List);
  return List;
}

void TCustomForm::SetOnShow(TNotifyEvent Handler, std::string MethodName) {
  FOnShow = std::move(Handler);
  FOnShowName = std::move(MethodName);
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::GetChildren(const std::function<void(TComponent*)>& Proc,
                              const TComponent* Root) const {
  TWinControl::GetChildren(Proc, Root);
  // Components without a parent control (non-visual ones) follow the controls.
  for (int I = 0; I < ComponentCount(); ++I)
    if (Components(I)->GetParentComponent() == nullptr) Proc(Components(I));
}

void TCustomForm::ReadLayout(HINSTANCE Module) {
  RegisterStandardControls();
  std::string Name = ClassName();
  std::transform(Name.begin(), Name.end(), Name.begin(),
                 [](unsigned char C) { return static_cast<char>(std::toupper(C)); });
  // A language resource module registered for Module serves the layout;
  // one that lacks it leaves the module's own.
  const TResourceEntry* Layout = FindModuleResource(Module, RT_RCDATA, Name);
  const std::string_view Text =
      Layout != nullptr
          ? std::string_view(reinterpret_cast<const char*>(Layout->Data), Layout->Size)
          : LoadResource(Module, RT_RCDATA, Name);
  ReadComponentText(*this, Text, Name);
}

const TClassInfo* TForm::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TForm>("TForm", TWinControl::StaticClassInfo())
          .Factory()
          .Integer("Width", &TForm::Width, &TForm::SetWidth)
          .Stored([](const TForm&) { return false; })
          .Integer("Height", &TForm::Height, &TForm::SetHeight)
          .Stored([](const TForm&) { return false; })
          .Object("HorzScrollBar", [](const TForm& F) { return F.HorzScrollBar(); })
          .Object("VertScrollBar", [](const TForm& F) { return F.VertScrollBar(); })
          .Component<TWinControl>("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
          .Set("BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"},
               &TForm::BorderIcons, &TForm::SetBorderIcons,
               BorderIcon(biSystemMenu) | BorderIcon(biMinimize) | BorderIcon(biMaximize))
          .Enumeration(
              "BorderStyle",
              {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
              &TForm::BorderStyle, &TForm::SetBorderStyle, bsSizeable)
          .String("Caption", &TForm::Caption, &TForm::SetCaption)
          .Integer("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
          .Integer("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
          .Integer("Color", &TForm::Color, &TForm::SetColor, clBtnFace)
          .Constants(ColorConstants())
          .Object("Font", [](const TForm& F) { return F.Font(); })
          .Enumeration(
              "Position",
              {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
               "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"},
              &TForm::Position, &TForm::SetPosition, poDesigned)
          .Event("OnShow", &TForm::OnShowName,
                 [](TForm& F, const std::string& N, TMethodHandler H) { F.SetOnShow(H, N); })
          .Integer("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
          .Integer("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight)
          .Build();
  return &Info;
}

TApplication* Application() {
  static TApplication Instance(nullptr);
  return &Instance;
}

}  // namespace rtl
