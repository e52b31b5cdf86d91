// SPDX-License-Identifier: MIT
// The presentation interface. A widgetset shows forms and message boxes and
// runs their modal loops; the application chooses one for the whole process.
// The platform layer, the dialogs and the engine only talk to this interface
// and never include a widgetset's own header.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "rtl/ui/export.h"
#include "rtl/ui/forms.h"

namespace rtl {

enum TMsgDlgType : uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : uint8_t {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};

// A set of TMsgDlgBtn: MessageDlg(Msg, mtInformation, {mbYes, mbNo}, 0).
class QUINDLE_RTL_UI_EXPORT TMsgDlgButtons {
 public:
  constexpr TMsgDlgButtons() = default;
  constexpr TMsgDlgButtons(std::initializer_list<TMsgDlgBtn> Buttons) {
    for (TMsgDlgBtn B : Buttons) FBits |= Bit(B);
  }
  constexpr bool Contains(TMsgDlgBtn B) const { return (FBits & Bit(B)) != 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr uint16_t Bits() const { return FBits; }
  constexpr bool operator==(const TMsgDlgButtons&) const = default;

 private:
  static constexpr uint16_t Bit(TMsgDlgBtn B) { return static_cast<uint16_t>(1u << B); }
  uint16_t FBits = 0;
};

inline constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// What a message box shows; Title is the type's ("Warning", "Error",
// "Information", "Confirm", or the program's name for mtCustom).
struct TMessageBoxParams {
  std::string Title;
  std::string Text;
  TMsgDlgType DlgType = mtInformation;
  TMsgDlgButtons Buttons;
  int HelpCtx = 0;
};

class QUINDLE_RTL_UI_EXPORT TWidgetSet {
 public:
  virtual ~TWidgetSet();

  // Presents Form (its OnShow has run) and runs its modal loop: returns once
  // the form's ModalResult is not mrNone. A user's answer reaches the form
  // through TButton::Click, TCustomForm::KeyEnter, KeyEscape and Close.
  virtual void RunModal(TCustomForm& Form) = 0;

  // Shows a message box and returns its modal result. The base builds the
  // box with CreateMessageDialog (rtl/ui/dialogs.h) and shows it modally
  // through this widgetset.
  virtual int MessageBox(const TMessageBoxParams& Box);
};

// The default widgetset, for programs that chose none: nobody is there to
// answer. Every message box is written to standard error ("<text>") and
// closed, and every form is closed, as by the close box (mrCancel).
class QUINDLE_RTL_UI_EXPORT THeadlessWidgetSet : public TWidgetSet {
 public:
  void RunModal(TCustomForm& Form) override;
  int MessageBox(const TMessageBoxParams& Box) override;
};

// The widgetset in use.
QUINDLE_RTL_UI_EXPORT TWidgetSet& WidgetSet();
// Chooses the widgetset for the whole process and returns the previous
// choice; nullptr restores the default. The caller keeps ownership and keeps
// it alive while it is chosen.
QUINDLE_RTL_UI_EXPORT TWidgetSet* SetWidgetSet(TWidgetSet* Value);

// Helpers for widgetsets.

// The visible controls of the form (whose parents are all visible) as a
// reader meets them: top to bottom, then left to right.
QUINDLE_RTL_UI_EXPORT std::vector<TControl*> ReadingOrder(const TCustomForm& Form);
// A caption as shown: "&Yes" is "Yes", "&&" is one "&".
QUINDLE_RTL_UI_EXPORT std::string StripAccelerator(const std::string& Caption);
// The lower-case accelerator character of a caption ('y' for "&Yes"), or 0.
QUINDLE_RTL_UI_EXPORT char AcceleratorOf(const std::string& Caption);
// The key each button answers to, in the order listed (0 for a button left
// without one): its caption's accelerator when that is a letter or digit no
// earlier button took, else the first letter or digit of its caption that
// none took. Widgetsets give the keys the same way, so that "No" answers to
// N in a terminal and to Alt+N in a window.
QUINDLE_RTL_UI_EXPORT std::vector<char> ButtonKeys(const std::vector<TButton*>& Buttons);
// The caption as shown, with Key marked as its accelerator at the first
// character that is Key (ignoring ASCII case) and every other '&' doubled:
// "&No" for ("No", 'n'), "Save && &quit" for ("Save && quit", 'q').
QUINDLE_RTL_UI_EXPORT std::string CaptionWithAccelerator(const std::string& Caption, char Key);

// Chooses a widgetset for a scope and restores the previous one after it.
class QUINDLE_RTL_UI_EXPORT TWidgetSetScope {
 public:
  explicit TWidgetSetScope(TWidgetSet& Value) : FPrevious(SetWidgetSet(&Value)) {}
  ~TWidgetSetScope() { SetWidgetSet(FPrevious); }
  TWidgetSetScope(const TWidgetSetScope&) = delete;
  TWidgetSetScope& operator=(const TWidgetSetScope&) = delete;

 private:
  TWidgetSet* FPrevious;
};

}  // namespace rtl
