// SPDX-License-Identifier: MIT
// Controls: the toolkit-neutral data of labels, buttons and images. A control
// holds what a widgetset needs to present it (position, caption, font,
// modal result, tab order) and the handlers it runs when it is used; it
// draws nothing on a screen itself.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/ui/export.h"
#include "rtl/ui/graphics.h"

namespace rtl {

struct TClassInfo;

// An operation that the object's state does not allow.
class QUINDLE_RTL_UI_EXPORT EInvalidOperation : public Exception {
  using Exception::Exception;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

// Modal results, with the platform's values.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                              mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9,
                              mrYesToAll = 10;

// Character sets of fonts, as layouts name them.
inline constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255;

enum TFontStyle : uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
// A set of TFontStyle: bit n stands for style n.
using TFontStyles = uint8_t;
constexpr TFontStyles FontStyle(TFontStyle S) {
  return static_cast<TFontStyles>(1u << S);
}

// Where a control sits in its parent: alNone keeps its own bounds; the others
// dock it to a side of the parent's client area, or fill what is left.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

// The named values colour properties accept in layouts (clBtnFace, ...).
QUINDLE_RTL_UI_EXPORT const std::vector<std::pair<std::string, int64_t>>& ColorConstants();

class QUINDLE_RTL_UI_EXPORT TFont : public TPersistent {
 public:
  TFont() = default;
  std::string ClassName() const override { return "TFont"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value) { Change(FName, Value); }
  // Character height in pixels; negative as layouts store it (-13 is 13 pixels).
  int Height() const { return FHeight; }
  void SetHeight(int Value) { Change(FHeight, Value); }
  // Point size at 96 pixels per inch.
  int Size() const { return (-FHeight * 72 + (FHeight < 0 ? 48 : -48)) / 96; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { Change(FColor, Value); }
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value) { Change(FStyle, Value); }
  int Charset() const { return FCharset; }
  void SetCharset(int Value) { Change(FCharset, Value); }
  bool operator==(const TFont& Other) const;

  // Runs after every change of a value.
  std::function<void()> OnChange;

 private:
  template <class V>
  void Change(V& Field, const V& Value) {
    if (Field == Value) return;
    Field = Value;
    if (OnChange) OnChange();
  }

  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  TColor FColor = clWindowText;
  TFontStyles FStyle = 0;
  int FCharset = DEFAULT_CHARSET;
};

class TWinControl;
class TCustomForm;

class QUINDLE_RTL_UI_EXPORT TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TWinControl* Parent() const { return FParent; }
  void SetParent(TWinControl* Value);
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  virtual int Width() const { return FWidth; }
  virtual int Height() const { return FHeight; }
  void SetLeft(int Value) { FLeft = Value; }
  void SetTop(int Value) { FTop = Value; }
  virtual void SetWidth(int Value) { FWidth = Value; }
  virtual void SetHeight(int Value) { FHeight = Value; }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // Docking in the parent (see TWinControl::Realign). Changing it realigns
  // the parent, unless a layout is being read.
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);
  // The top-left corner relative to the client area of the form, or of the
  // topmost parent when there is no form.
  TPoint FormOrigin() const;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }

  // Changing the font clears ParentFont; while ParentFont is set the control
  // follows its parent's font.
  TFont* Font() const { return FFont.get(); }
  void SetFont(const TFont* Value) { FFont->Assign(Value); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  const TNotifyEvent& OnClick() const { return FOnClick; }
  // MethodName is the handler's published name, written back to layouts.
  void SetOnClick(TNotifyEvent Handler, std::string MethodName = std::string());
  const std::string& OnClickName() const { return FOnClickName; }
  // Runs OnClick, as a mouse click or a key press on the control does.
  virtual void Click();

  // The form this control is on (itself, for a form), or nullptr.
  TCustomForm* ParentForm() const;

 protected:
  void ParentFontChanged();

 private:
  friend class TWinControl;
  void FontChanged();

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  std::string FCaption;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clBtnFace;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FSyncingFont = false;
  TNotifyEvent FOnClick;
  std::string FOnClickName;
};

// A control that can hold the focus and other controls.
class QUINDLE_RTL_UI_EXPORT TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  // The child controls, in the order they were put on this one.
  const std::vector<TControl*>& Controls() const { return FControls; }
  int ControlCount() const { return static_cast<int>(FControls.size()); }
  // The children that take part in tabbing, by TabOrder.
  const std::vector<TWinControl*>& TabList() const { return FTabList; }

  // The position among the parent's tabbing children; -1 without a parent.
  // Setting it moves this control there (clamped to the list).
  int TabOrder() const;
  void SetTabOrder(int Value);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  // Visible, enabled, tab stop, and every parent visible and enabled.
  bool CanFocus() const;

  // The area children are placed in, in this control's own coordinates: the
  // whole control, less what a frame takes (a panel's bevels and border).
  virtual TRect ClientRect() const { return {0, 0, Width(), Height()}; }
  // Docks the visible children whose Align is set, in the order top, bottom,
  // left, right, then client (children of one kind in the order they were
  // put on this control), each in the space the earlier ones left, and
  // realigns their own children. Resizing a control realigns it.
  void Realign();
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;

  void GetChildren(const std::function<void(TComponent*)>& Proc,
                   const TComponent* Root) const override;
  void Loaded() override;

 protected:
  bool FTabStop = false;

 private:
  friend class TControl;
  void InsertControl(TControl* Control);
  void RemoveControl(TControl* Control);

  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  int FPendingTabOrder = -1;
};

// A control that never takes the focus (labels, images).
class QUINDLE_RTL_UI_EXPORT TGraphicControl : public TControl {
 public:
  using TControl::TControl;
  std::string ClassName() const override { return "TGraphicControl"; }
};

class QUINDLE_RTL_UI_EXPORT TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  std::string ClassName() const override { return "TLabel"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  // Whether a widgetset that measures text sizes the label to its caption.
  bool AutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value) { FAutoSize = Value; }

 private:
  bool FTransparent = false;
  bool FAutoSize = true;
};

class QUINDLE_RTL_UI_EXPORT TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  std::string ClassName() const override { return "TButton"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  // Escape presses the Cancel button of a form.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Enter presses the Default button when the focus is not on a button.
  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }

  // Sets the form's ModalResult to this button's, then runs OnClick; the
  // handler may still change the form's result.
  void Click() override;

 private:
  TModalResult FModalResult = mrNone;
  bool FCancel = false;
  bool FDefault = false;
};

enum TPanelBevel : uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

// A rectangle that holds other controls, framed by up to two bevels (the
// outer one, then the inner one inside it, each BevelWidth pixels wide) and
// an optional border between them, with an optional caption in its middle.
// It never takes the focus itself; its children do.
class QUINDLE_RTL_UI_EXPORT TPanel : public TWinControl {
 public:
  explicit TPanel(TComponent* AOwner);
  std::string ClassName() const override { return "TPanel"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TPanelBevel BevelInner() const { return FBevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  int BevelWidth() const { return FBevelWidth; }
  // At least 1.
  void SetBevelWidth(int Value);
  // Space between the outer and the inner bevel, in the panel's colour.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value) { FAlignment = Value; }

  // Inside both bevels and the border.
  TRect ClientRect() const override;

 private:
  TPanelBevel FBevelInner = bvNone;
  TPanelBevel FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TAlignment FAlignment = taCenter;
};

enum TBitBtnKind : uint8_t {
  bkCustom,
  bkOK,
  bkCancel,
  bkHelp,
  bkYes,
  bkNo,
  bkClose,
  bkAbort,
  bkRetry,
  bkIgnore,
  bkAll
};

// A button with a picture beside its caption. A Kind other than bkCustom
// gives it the platform's caption, glyph and modal result for that kind, and
// makes it the form's default button (bkOK, bkYes) or its cancel button
// (bkCancel, bkNo); a bkClose button closes its form when pressed. A caption
// read from a layout before Kind is kept. In a glyph, the colour of the
// bottom-left pixel is transparent; a glyph of NumGlyphs images side by side
// (normal, disabled, down, up) shows the first when enabled and the second
// when disabled.
class QUINDLE_RTL_UI_EXPORT TBitBtn : public TButton {
 public:
  explicit TBitBtn(TComponent* AOwner);
  ~TBitBtn() override;
  std::string ClassName() const override { return "TBitBtn"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TBitBtnKind Kind() const { return FKind; }
  void SetKind(TBitBtnKind Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  // Copies Value's pixels; the glyph then counts as the button's own.
  void SetGlyph(const TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  // 1 to 4.
  void SetNumGlyphs(int Value);

  // The caption, modal result and glyph that Kind gives (bkCustom: none).
  static std::string KindCaption(TBitBtnKind Kind);
  static TModalResult KindModalResult(TBitBtnKind Kind);
  // A new bitmap with the glyph of Kind; empty for bkCustom.
  static std::unique_ptr<TBitmap> KindGlyph(TBitBtnKind Kind);

  void Click() override;
  void Loaded() override;

 private:
  enum : unsigned { GivenCaption = 1, GivenModalResult = 2, GivenDefault = 4, GivenCancel = 8 };
  template <class M>
  static auto Noting(M Set, unsigned Bit);

  TBitBtnKind FKind = bkCustom;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  // The glyph came from a layout or SetGlyph, not from Kind.
  bool FCustomGlyph = false;
  bool FSettingKind = false;
  // The properties of a kind that the layout being read gave (Given* bits).
  unsigned FGiven = 0;
};

// Shows a picture. Drawing on its canvas when it holds no bitmap gives it a
// bitmap of the control's own size.
class QUINDLE_RTL_UI_EXPORT TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  std::string ClassName() const override { return "TImage"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TPicture& Picture() const { return *FPicture; }
  void SetPicture(const TPicture* Value) { FPicture->Assign(Value); }
  TCanvas& Canvas();
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value) { FStretch = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FStretch = false;
  bool FTransparent = false;
};

// Registers the control classes above with the class registry, so layouts
// can create them. Safe to call more than once.
QUINDLE_RTL_UI_EXPORT void RegisterStandardControls();

}  // namespace rtl
