// SPDX-License-Identifier: MIT
// A widgetset that presents forms and message boxes as Qt 6 windows.
//
// A form becomes a modal dialog built from its controls (labels, buttons,
// bitmap buttons, images, panels) at the layout's positions, scaled from the
// layout's pixels per inch to the screen's; its modal loop keeps the
// platform's rules (tab order and first focus, Enter for the focused or the
// default button, Escape for the Cancel button, Alt plus a button's key, the
// close box closing without pressing anything). A message box becomes a Qt
// message box with the buttons asked for and the text as given.
//
// The application makes the QApplication first and keeps it, with its event
// loop running, while this widgetset is chosen. Forms may be shown from any
// thread: one shown from another thread is presented on the GUI thread while
// the calling thread waits for the answer, so a copy run on a worker thread
// can ask its questions while the application's window stays responsive. The
// GUI thread must not itself wait for that worker meanwhile.
#pragma once

#include "rtl/ui/widgetset.h"

namespace rtl {

class TQtWidgetSet : public TWidgetSet {
 public:
  // On the GUI thread, with the QApplication made. Takes the desktop's
  // colours as the platform's system colours (clBtnFace is the dialogs'
  // ground), and makes dates follow the user's locale (LC_TIME from the
  // environment) while numbers keep the C locale's form. Raises
  // EInvalidOperation without a QApplication.
  TQtWidgetSet();
  ~TQtWidgetSet() override;

  void RunModal(TCustomForm& Form) override;
  int MessageBox(const TMessageBoxParams& Box) override;

  // Whether a Qt application can open windows here. False where Qt would
  // find no display for the platform it picks (no DISPLAY for X11, no
  // WAYLAND_DISPLAY for Wayland); making the QApplication there would end
  // the program. A program then falls back to another widgetset.
  static bool DisplayAvailable();
};

}  // namespace rtl
