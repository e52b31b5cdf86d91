// SPDX-License-Identifier: MIT
#include "rtl/ui/controls.h"

#include <algorithm>
#include <mutex>

#include "rtl/core/typinfo.h"
#include "rtl/ui/forms.h"

namespace rtl {

namespace {

const std::vector<std::pair<std::string, int64_t>>& CharsetConstants() {
  static const std::vector<std::pair<std::string, int64_t>> List = {
      {"ANSI_CHARSET", ANSI_CHARSET},
      {"DEFAULT_CHARSET", DEFAULT_CHARSET},
      {"SYMBOL_CHARSET", SYMBOL_CHARSET},
      {"OEM_CHARSET", OEM_CHARSET},
  };
  return List;
}

}  // namespace

const std::vector<std::pair<std::string, int64_t>>& ColorConstants() {
  static const std::vector<std::pair<std::string, int64_t>> List = [] {
    std::vector<std::pair<std::string, int64_t>> L;
    for (TColor C : {clBlack,         clMaroon,
                     clGreen,         clOlive,
                     clNavy,          clPurple,
                     clTeal,          clGray,
                     clSilver,        clRed,
                     clLime,          clYellow,
                     clBlue,          clFuchsia,
                     clAqua,          clWhite,
                     clNone,          clDefault,
                     clScrollBar,     clBackground,
                     clActiveCaption, clInactiveCaption,
                     clMenu,          clWindow,
                     clWindowFrame,   clMenuText,
                     clWindowText,    clCaptionText,
                     clActiveBorder,  clInactiveBorder,
                     clAppWorkSpace,  clHighlight,
                     clHighlightText, clBtnFace,
                     clBtnShadow,     clGrayText,
                     clBtnText,       clInactiveCaptionText,
                     clBtnHighlight,  cl3DDkShadow,
                     cl3DLight,       clInfoText,
                     clInfoBk}) {
      std::string Name;
      ColorToIdent(C, Name);
      L.emplace_back(Name, C);
    }
    return L;
  }();
  return List;
}

// ---- font ---------------------------------------------------------------

const TClassInfo* TFont::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TFont>("TFont", nullptr)
          .Integer("Charset", &TFont::Charset, &TFont::SetCharset)
          .Constants(CharsetConstants())
          .Integer("Color", &TFont::Color, &TFont::SetColor)
          .Constants(ColorConstants())
          .Integer("Height", &TFont::Height, &TFont::SetHeight)
          .String("Name", &TFont::Name, &TFont::SetName)
          .Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::Style,
               &TFont::SetStyle)
          .Build();
  return &Info;
}

void TFont::Assign(const TPersistent* Source) {
  auto* F = dynamic_cast<const TFont*>(Source);
  if (F == nullptr) return TPersistent::Assign(Source);
  if (*this == *F) return;
  FName = F->FName;
  FHeight = F->FHeight;
  FColor = F->FColor;
  FStyle = F->FStyle;
  FCharset = F->FCharset;
  if (OnChange) OnChange();
}

bool TFont::operator==(const TFont& Other) const {
  return FName == Other.FName && FHeight == Other.FHeight && FColor == Other.FColor &&
         FStyle == Other.FStyle && FCharset == Other.FCharset;
}

// ---- control ------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
  TCustomForm* Form = ParentForm();
  if (Form != nullptr && Form->ActiveControl() == this) Form->SetActiveControl(nullptr);
  SetParent(nullptr);
}

const TClassInfo* TControl::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TControl>("TControl", nullptr)
                                     .Integer("Left", &TControl::Left, &TControl::SetLeft)
                                     .Integer("Top", &TControl::Top, &TControl::SetTop)
                                     .Integer("Width", &TControl::Width, &TControl::SetWidth)
                                     .Integer("Height", &TControl::Height, &TControl::SetHeight)
                                     .Build();
  return &Info;
}

void TControl::SetParent(TWinControl* Value) {
  if (Value == FParent) return;
  if (Value == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (FParent != nullptr) FParent->RemoveControl(this);
  FParent = Value;
  if (FParent != nullptr) {
    FParent->InsertControl(this);
    if (FParentFont) ParentFontChanged();
  }
}

TComponent* TControl::GetParentComponent() const {
  return FParent;
}

void TControl::SetParentComponent(TComponent* Value) {
  auto* W = dynamic_cast<TWinControl*>(Value);
  if (Value != nullptr && W == nullptr)
    throw EInvalidOperation(Value->Name() + " cannot hold controls");
  SetParent(W);
}

void TControl::SetAlign(TAlign Value) {
  if (FAlign == Value) return;
  FAlign = Value;
  if (FParent != nullptr && !(ComponentState() & csReading)) FParent->Realign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  SetLeft(ALeft);
  SetTop(ATop);
  SetWidth(AWidth);
  SetHeight(AHeight);
}

TPoint TControl::FormOrigin() const {
  TPoint P{FLeft, FTop};
  for (const TControl* C = FParent; C != nullptr && dynamic_cast<const TCustomForm*>(C) == nullptr;
       C = C->FParent) {
    P.X += C->FLeft;
    P.Y += C->FTop;
  }
  if (dynamic_cast<const TCustomForm*>(this) != nullptr) return {0, 0};
  return P;
}

void TControl::SetParentFont(bool Value) {
  FParentFont = Value;
  if (Value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  FSyncingFont = true;
  FFont->Assign(FParent->Font());
  FSyncingFont = false;
}

void TControl::FontChanged() {
  if (!FSyncingFont) FParentFont = false;
  if (auto* W = dynamic_cast<TWinControl*>(this))
    for (TControl* C : W->Controls()) C->ParentFontChanged();
}

void TControl::SetOnClick(TNotifyEvent Handler, std::string MethodName) {
  FOnClick = std::move(Handler);
  FOnClickName = std::move(MethodName);
}

void TControl::Click() {
  if (FOnClick) FOnClick(this);
}

TCustomForm* TControl::ParentForm() const {
  const TControl* C = this;
  while (C->FParent != nullptr) C = C->FParent;
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(C));
}

// ---- windowed control ---------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // Children owned elsewhere outlive this parent; they are only let go.
  while (!FControls.empty()) FControls.back()->SetParent(nullptr);
}

const TClassInfo* TWinControl::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TWinControl>("TWinControl", TControl::StaticClassInfo()).Build();
  return &Info;
}

void TWinControl::InsertControl(TControl* Control) {
  FControls.push_back(Control);
  if (auto* W = dynamic_cast<TWinControl*>(Control)) FTabList.push_back(W);
}

void TWinControl::RemoveControl(TControl* Control) {
  std::erase(FControls, Control);
  // By address: a control that is being destroyed is no TWinControl any more.
  std::erase_if(FTabList, [Control](TWinControl* W) { return W == Control; });
}

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto& List = Parent()->FTabList;
  return static_cast<int>(std::find(List.begin(), List.end(), this) - List.begin());
}

void TWinControl::SetTabOrder(int Value) {
  // While a layout is read, sibling positions are not final; Loaded applies
  // the value once every sibling exists.
  if (ComponentState() & csReading) {
    FPendingTabOrder = Value;
    return;
  }
  if (Parent() == nullptr) return;
  auto& List = Parent()->FTabList;
  std::erase(List, this);
  const int Index = std::clamp(Value, 0, static_cast<int>(List.size()));
  List.insert(List.begin() + Index, this);
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (FPendingTabOrder >= 0) SetTabOrder(std::exchange(FPendingTabOrder, -1));
  // Sizes and alignments were read in any order; the parent realigns last.
  if (Parent() == nullptr) Realign();
}

void TWinControl::SetWidth(int Value) {
  if (Value == Width()) return;
  TControl::SetWidth(Value);
  if (!(ComponentState() & csReading)) Realign();
}

void TWinControl::SetHeight(int Value) {
  if (Value == Height()) return;
  TControl::SetHeight(Value);
  if (!(ComponentState() & csReading)) Realign();
}

void TWinControl::Realign() {
  TRect Free = ClientRect();
  for (TAlign Kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* C : FControls) {
      if (C->Align() != Kind || !C->Visible()) continue;
      const int W = std::max(Free.Width(), 0), H = std::max(Free.Height(), 0);
      switch (Kind) {
        case alTop:
          C->SetBounds(Free.Left, Free.Top, W, C->Height());
          Free.Top += C->Height();
          break;
        case alBottom:
          C->SetBounds(Free.Left, Free.Bottom - C->Height(), W, C->Height());
          Free.Bottom -= C->Height();
          break;
        case alLeft:
          C->SetBounds(Free.Left, Free.Top, C->Width(), H);
          Free.Left += C->Width();
          break;
        case alRight:
          C->SetBounds(Free.Right - C->Width(), Free.Top, C->Width(), H);
          Free.Right -= C->Width();
          break;
        default:
          C->SetBounds(Free.Left, Free.Top, W, H);
          break;
      }
    }
  }
  // Children whose size did not change still realign their own children.
  for (TControl* C : FControls)
    if (auto* W = dynamic_cast<TWinControl*>(C)) W->Realign();
}

bool TWinControl::CanFocus() const {
  if (!FTabStop) return false;
  for (const TControl* C = this; C != nullptr; C = C->Parent())
    if (!C->Visible() || !C->Enabled()) return false;
  return true;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc,
                              const TComponent* Root) const {
  for (TControl* C : FControls)
    if (C->Owner() == Root) Proc(C);
}

// ---- label, button, image ----------------------------------------------

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
}

const TClassInfo* TLabel::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TLabel>("TLabel", TControl::StaticClassInfo())
          .Factory()
          .Boolean("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize, true)
          .String("Caption", &TLabel::Caption, &TLabel::SetCaption)
          .Object("Font", [](const TLabel& L) { return L.Font(); })
          .Stored([](const TLabel& L) { return !L.ParentFont(); })
          .Boolean("ParentFont", &TLabel::ParentFont, &TLabel::SetParentFont, true)
          .Boolean("Transparent", &TLabel::Transparent, &TLabel::SetTransparent, false)
          .Boolean("Visible", &TLabel::Visible, &TLabel::SetVisible, true)
          .Event("OnClick", &TLabel::OnClickName,
                 [](TLabel& L, const std::string& N, TMethodHandler H) { L.SetOnClick(H, N); })
          .Build();
  return &Info;
}

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  FTabStop = true;
}

const TClassInfo* TButton::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TButton>("TButton", TWinControl::StaticClassInfo())
          .Factory()
          .Boolean("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
          .String("Caption", &TButton::Caption, &TButton::SetCaption)
          .Boolean("Default", &TButton::Default, &TButton::SetDefault, false)
          .Boolean("Enabled", &TButton::Enabled, &TButton::SetEnabled, true)
          .Object("Font", [](const TButton& B) { return B.Font(); })
          .Stored([](const TButton& B) { return !B.ParentFont(); })
          .Integer("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone)
          .Boolean("ParentFont", &TButton::ParentFont, &TButton::SetParentFont, true)
          .Integer("TabOrder", &TButton::TabOrder, &TButton::SetTabOrder)
          .Boolean("TabStop", &TButton::TabStop, &TButton::SetTabStop, true)
          .Boolean("Visible", &TButton::Visible, &TButton::SetVisible, true)
          .Event("OnClick", &TButton::OnClickName,
                 [](TButton& B, const std::string& N, TMethodHandler H) { B.SetOnClick(H, N); })
          .Build();
  return &Info;
}

void TButton::Click() {
  if (TCustomForm* Form = ParentForm()) Form->SetModalResult(FModalResult);
  TWinControl::Click();
}

TImage::TImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() = default;

const TClassInfo* TImage::StaticClassInfo() {
  static const TClassInfo Info =
      TClassBuilder<TImage>("TImage", TControl::StaticClassInfo())
          .Factory()
          .Object("Picture", [](const TImage& I) { return &I.Picture(); })
          .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
          .Boolean("Transparent", &TImage::Transparent, &TImage::SetTransparent, false)
          .Boolean("Visible", &TImage::Visible, &TImage::SetVisible, true)
          .Event("OnClick", &TImage::OnClickName,
                 [](TImage& I, const std::string& N, TMethodHandler H) { I.SetOnClick(H, N); })
          .Build();
  return &Info;
}

TCanvas& TImage::Canvas() {
  if (dynamic_cast<TBitmap*>(FPicture->Graphic()) == nullptr) {
    if (FPicture->Graphic() != nullptr)
      throw EInvalidOperation("Can only modify an image if it contains a bitmap");
    FPicture->Bitmap().SetSize(Width(), Height());
  }
  return FPicture->Bitmap().Canvas();
}

// ---- panel --------------------------------------------------------------

TPanel::TPanel(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 185, 41);
}

const TClassInfo* TPanel::StaticClassInfo() {
  static const std::vector<std::string> Bevels = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
  static const TClassInfo Info =
      TClassBuilder<TPanel>("TPanel", TWinControl::StaticClassInfo())
          .Factory()
          .Enumeration("Align",
                       {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"},
                       &TPanel::Align, &TPanel::SetAlign, alNone)
          .Enumeration("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"},
                       &TPanel::Alignment, &TPanel::SetAlignment, taCenter)
          .Enumeration("BevelInner", Bevels, &TPanel::BevelInner, &TPanel::SetBevelInner, bvNone)
          .Enumeration("BevelOuter", Bevels, &TPanel::BevelOuter, &TPanel::SetBevelOuter, bvRaised)
          .Integer("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth, 1)
          .Integer("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth, 0)
          .String("Caption", &TPanel::Caption, &TPanel::SetCaption)
          .Integer("Color", &TPanel::Color, &TPanel::SetColor, clBtnFace)
          .Constants(ColorConstants())
          .Boolean("Enabled", &TPanel::Enabled, &TPanel::SetEnabled, true)
          .Object("Font", [](const TPanel& P) { return P.Font(); })
          .Stored([](const TPanel& P) { return !P.ParentFont(); })
          .Boolean("ParentFont", &TPanel::ParentFont, &TPanel::SetParentFont, true)
          .Integer("TabOrder", &TPanel::TabOrder, &TPanel::SetTabOrder)
          .Boolean("TabStop", &TPanel::TabStop, &TPanel::SetTabStop, false)
          .Boolean("Visible", &TPanel::Visible, &TPanel::SetVisible, true)
          .Event("OnClick", &TPanel::OnClickName,
                 [](TPanel& P, const std::string& N, TMethodHandler H) { P.SetOnClick(H, N); })
          .Build();
  return &Info;
}

void TPanel::SetBevelInner(TPanelBevel Value) {
  FBevelInner = Value;
  if (!(ComponentState() & csReading)) Realign();
}

void TPanel::SetBevelOuter(TPanelBevel Value) {
  FBevelOuter = Value;
  if (!(ComponentState() & csReading)) Realign();
}

void TPanel::SetBevelWidth(int Value) {
  FBevelWidth = std::max(Value, 1);
  if (!(ComponentState() & csReading)) Realign();
}

void TPanel::SetBorderWidth(int Value) {
  FBorderWidth = std::max(Value, 0);
  if (!(ComponentState() & csReading)) Realign();
}

TRect TPanel::ClientRect() const {
  const int Inset = FBorderWidth + (FBevelOuter != bvNone ? FBevelWidth : 0) +
                    (FBevelInner != bvNone ? FBevelWidth : 0);
  return {Inset, Inset, std::max(Width() - Inset, Inset), std::max(Height() - Inset, Inset)};
}

void RegisterStandardControls() {
  static std::once_flag Once;
  std::call_once(Once, [] {
    RegisterClasses({TLabel::StaticClassInfo(), TButton::StaticClassInfo(),
                     TImage::StaticClassInfo(), TPanel::StaticClassInfo(),
                     TBitBtn::StaticClassInfo()});
  });
}

}  // namespace rtl
