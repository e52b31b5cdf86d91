// SPDX-License-Identifier: MIT
// The Qt widgetset's presenters, on the GUI thread: a form as a dialog, a
// message box as a Qt message box, and the conversions they share. Each
// widget is named after its control (QObject::objectName), the dialog after
// its form, so that tests and tools can find them.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>

#include "rtl/ui/dialogs.h"
#include "rtl/ui/forms.h"

namespace rtl::qt {

// Shows Form modally until its ModalResult is set, and rethrows what one of
// its handlers raised.
void PresentForm(TCustomForm& Form);
// Shows the box modally and returns the modal result of the button pressed,
// or mrCancel when it was closed.
int PresentMessageBox(const TMessageBoxParams& Box);

// Device-independent pixels per layout pixel: the screen's logical pixels
// per inch over the layout's (PixelsPerInch, 96 for most layouts).
double LayoutScale(int PixelsPerInch);
// The font for a control: "MS Sans Serif" and "System" become the desktop's
// sans-serif face; a negative Height is the character height in layout
// pixels, a positive one the cell height; styles as given.
QFont FontOf(const TFont& Font, double Scale);
QColor ToQColor(TColor Color);
// The picture as an image: a bitmap opaque, an icon with its transparency;
// null for an empty graphic. A glyph's ground (TransparentGround) is the
// colour of its bottom-left pixel, made transparent.
QImage ImageOf(const TGraphic* Graphic, bool TransparentGround = false);
// A caption as a message box shows it: a carriage return is a line break.
QString ScreenText(const std::string& Text);

}  // namespace rtl::qt
