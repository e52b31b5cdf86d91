// SPDX-License-Identifier: MIT
// Forms: a form is data (controls, captions, positions, modal results and
// handlers); the current widgetset (rtl/widgetset.h) presents it and runs its
// modal loop. A form class built in a layout reads it, at construction, from
// the layout resource named after the class in upper case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rtl/ui/controls.h"
#include "rtl/ui/export.h"
#include "rtl/ui/resources.h"

namespace rtl {

class TWidgetSet;

enum TBorderStyle : uint8_t { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : uint8_t { biSystemMenu, biMinimize, biMaximize, biHelp };
// A set of TBorderIcon: bit n stands for icon n.
using TBorderIcons = uint8_t;
constexpr TBorderIcons BorderIcon(TBorderIcon I) {
  return static_cast<TBorderIcons>(1u << I);
}
enum TPosition : uint8_t {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};

class QUINDLE_RTL_UI_EXPORT TControlScrollBar : public TPersistent {
 public:
  std::string ClassName() const override { return "TControlScrollBar"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }

 private:
  bool FVisible = true;
};

class QUINDLE_RTL_UI_EXPORT TCustomForm : public TWinControl {
 public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;
  std::string ClassName() const override { return "TCustomForm"; }

  // Fires OnShow, runs the modal loop of the current widgetset (or of With)
  // and returns the modal result. The focus starts on ActiveControl, or on
  // the first control that can take it, in tab order. Raises
  // EInvalidOperation when the form is already showing modally.
  int ShowModal();
  int ShowModal(TWidgetSet& With);
  // Ends a modal loop with mrCancel, as the close box does; pressing nothing.
  void Close();
  TModalResult ModalResult() const { return FModalResult; }
  // A result other than mrNone ends the modal loop.
  void SetModalResult(TModalResult Value) { FModalResult = Value; }
  bool Modal() const { return FModal; }

  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value) { FBorderStyle = Value; }
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value) { FBorderIcons = Value; }
  // Whether the frame has a close box (a system menu on a framed form).
  bool HasCloseBox() const;
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  // A form's outer size is its client size; a widgetset adds its own frame.
  int ClientWidth() const { return Width(); }
  int ClientHeight() const { return Height(); }
  void SetClientWidth(int Value) { SetWidth(Value); }
  void SetClientHeight(int Value) { SetHeight(Value); }
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
  int TextHeight() const { return FTextHeight; }
  void SetTextHeight(int Value) { FTextHeight = Value; }
  TControlScrollBar* HorzScrollBar() const { return FHorzScrollBar.get(); }
  TControlScrollBar* VertScrollBar() const { return FVertScrollBar.get(); }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value) { FActiveControl = Value; }
  // The controls that can take the focus, in tab order through nested parents.
  std::vector<TWinControl*> FocusOrder() const;
  // Moves the focus to the next (or previous) control in tab order, wrapping.
  void SelectNext(bool GoForward = true);

  // Keys, as a widgetset passes them on. Enter presses the focused button,
  // or the Default button when the focus is not on a button; Escape presses
  // the Cancel button. Both do nothing when there is no such button.
  void KeyEnter();
  void KeyEscape();
  // The first visible, enabled Cancel (Default) button on the form, or nullptr.
  TButton* CancelButton() const;
  TButton* DefaultButton() const;
  // Every control on the form, parents before their children, in the order
  // they were put on their parents.
  std::vector<TControl*> AllControls() const;

  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(TNotifyEvent Handler, std::string MethodName = std::string());
  const std::string& OnShowName() const { return FOnShowName; }

  void GetChildren(const std::function<void(TComponent*)>& Proc,
                   const TComponent* Root) const override;

 protected:
  // Reads the layout resource named after the class in upper case (RCDATA)
  // from Module into this form, binding controls and handlers by name.
  // Raises EResNotFound when the module has no such layout, and the
  // reader's EParserError for a layout that does not fit the class.
  void ReadLayout(HINSTANCE Module);
  virtual void DoShow();

 private:
  TModalResult FModalResult = mrNone;
  bool FModal = false;
  TBorderStyle FBorderStyle = bsSizeable;
  TBorderIcons FBorderIcons =
      BorderIcon(biSystemMenu) | BorderIcon(biMinimize) | BorderIcon(biMaximize);
  TPosition FPosition = poDesigned;
  int FPixelsPerInch = 96;
  int FTextHeight = 13;
  std::unique_ptr<TControlScrollBar> FHorzScrollBar;
  std::unique_ptr<TControlScrollBar> FVertScrollBar;
  TWinControl* FActiveControl = nullptr;
  TNotifyEvent FOnShow;
  std::string FOnShowName;
};

class QUINDLE_RTL_UI_EXPORT TForm : public TCustomForm {
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  std::string ClassName() const override { return "TForm"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
};

// The application object: the owner of forms that belong to no form of the
// program (the About box of a design host). Made on first use; it frees what
// it still owns when the program ends.
class QUINDLE_RTL_UI_EXPORT TApplication : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TApplication"; }
};
QUINDLE_RTL_UI_EXPORT TApplication* Application();

}  // namespace rtl
