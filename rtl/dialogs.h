// Message boxes. MessageDlg shows its box through the current widgetset
// (rtl/widgetset.h) and returns the modal result of the button pressed.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "rtl/forms.h"

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
class TMsgDlgButtons {
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

// The box's modal result: the result of the button pressed (mrYes, mrOk,
// ...), or mrCancel when it was closed without a button. An empty button
// set shows an OK button.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);

// The title MessageDlg gives a box of that type.
std::string MessageBoxTitle(TMsgDlgType DlgType);

// A message box as a form: an image named "Image" (none for mtCustom), the
// text in the label "Message", and one button per member of the set, in
// the order of TMsgDlgBtn, named after it without "mb" ("Yes", "OK",
// "NoToAll"...). The OK button (else Yes, else Retry) is the default and
// has the focus; Cancel (else No, else OK) answers Escape. The Help button
// has no modal result. Widgetsets that draw forms show boxes this way.
std::unique_ptr<TForm> CreateMessageDialog(const TMessageBoxParams& Box);

}  // namespace rtl
