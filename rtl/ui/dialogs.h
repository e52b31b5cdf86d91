// SPDX-License-Identifier: MIT
// Message boxes. MessageDlg shows its box through the current widgetset
// (rtl/widgetset.h) and returns the modal result of the button pressed.
#pragma once

#include <memory>
#include <string>

#include "rtl/ui/export.h"
#include "rtl/ui/forms.h"
#include "rtl/ui/widgetset.h"

namespace rtl {

// The box's modal result: the result of the button pressed (mrYes, mrOk,
// ...), or mrCancel when it was closed without a button. An empty button
// set shows an OK button.
QUINDLE_RTL_UI_EXPORT int MessageDlg(const std::string& Msg, TMsgDlgType DlgType,
                                     TMsgDlgButtons Buttons, int HelpCtx);

// The title MessageDlg gives a box of that type.
QUINDLE_RTL_UI_EXPORT std::string MessageBoxTitle(TMsgDlgType DlgType);

// A message box as a form: an image named "Image" (none for mtCustom), the
// text in the label "Message", and one button per member of the set, in
// the order of TMsgDlgBtn, named after it without "mb" ("Yes", "OK",
// "NoToAll"...). The OK button (else Yes, else Retry) is the default and
// has the focus; Cancel (else No, else OK) answers Escape. The Help button
// has no modal result. Widgetsets that draw forms show boxes this way.
QUINDLE_RTL_UI_EXPORT std::unique_ptr<TForm> CreateMessageDialog(const TMessageBoxParams& Box);

}  // namespace rtl
