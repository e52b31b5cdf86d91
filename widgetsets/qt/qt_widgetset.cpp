// SPDX-License-Identifier: MIT
#include "widgetsets/qt/qt_widgetset.h"

#include <QApplication>
#include <QPalette>
#include <QThread>
#include <clocale>
#include <exception>
#include <functional>

#include "widgetsets/qt/qt_presenters.h"

namespace rtl {

namespace {

// Runs Work on the GUI thread: directly when called there, otherwise queued
// to it while this thread waits; what Work raises is raised here.
void OnGuiThread(const std::function<void()>& Work) {
  QCoreApplication* App = QCoreApplication::instance();
  if (App == nullptr) throw EInvalidOperation("The Qt widgetset has no QApplication to show in");
  if (QThread::currentThread() == App->thread()) return Work();
  std::exception_ptr Error;
  QMetaObject::invokeMethod(
      App,
      [&] {
        try {
          Work();
        } catch (...) {
          Error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (Error) std::rethrow_exception(Error);
}

void TakeColour(TColor System, const QColor& C) {
  SetSystemColor(System, C.red() | C.green() << 8 | C.blue() << 16);
}

// Whether Qt's platform plugin Name finds what it needs to open windows.
bool PlatformUsable(const QByteArray& Name) {
  if (Name.startsWith("xcb")) return !qEnvironmentVariableIsEmpty("DISPLAY");
  if (Name.startsWith("wayland")) return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  return !Name.isEmpty();  // offscreen, vnc, eglfs, linuxfb... draw without a desktop
}

}  // namespace

TQtWidgetSet::TQtWidgetSet() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    throw EInvalidOperation("The Qt widgetset needs a QApplication made first");
  const QPalette P = QApplication::palette();
  TakeColour(clBtnFace, P.color(QPalette::Window));
  TakeColour(clWindow, P.color(QPalette::Base));
  TakeColour(clWindowText, P.color(QPalette::WindowText));
  TakeColour(clBtnText, P.color(QPalette::ButtonText));
  TakeColour(clBtnHighlight, P.color(QPalette::Light));
  TakeColour(cl3DLight, P.color(QPalette::Midlight));
  TakeColour(clBtnShadow, P.color(QPalette::Dark));
  TakeColour(cl3DDkShadow, P.color(QPalette::Shadow));
  TakeColour(clHighlight, P.color(QPalette::Highlight));
  TakeColour(clHighlightText, P.color(QPalette::HighlightedText));
  TakeColour(clGrayText, P.color(QPalette::Disabled, QPalette::WindowText));
  TakeColour(clInfoBk, P.color(QPalette::ToolTipBase));
  TakeColour(clInfoText, P.color(QPalette::ToolTipText));
  TakeColour(clMenu, P.color(QPalette::Window));
  TakeColour(clMenuText, P.color(QPalette::WindowText));
  // Dates as the user reads them; numbers in form files and traces must not
  // change their decimal point with the user's locale.
  std::setlocale(LC_TIME, "");
  std::setlocale(LC_NUMERIC, "C");
}

TQtWidgetSet::~TQtWidgetSet() = default;

void TQtWidgetSet::RunModal(TCustomForm& Form) {
  OnGuiThread([&Form] { qt::PresentForm(Form); });
}

int TQtWidgetSet::MessageBox(const TMessageBoxParams& Box) {
  int Result = mrCancel;
  OnGuiThread([&] { Result = qt::PresentMessageBox(Box); });
  return Result;
}

bool TQtWidgetSet::DisplayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN) && !defined(Q_OS_ANDROID)
  const QByteArray Chosen = qgetenv("QT_QPA_PLATFORM");
  if (Chosen.isEmpty()) return PlatformUsable("xcb") || PlatformUsable("wayland");
  // "wayland;xcb" is a list Qt tries in turn; options follow a colon.
  for (const QByteArray& Entry : Chosen.split(';'))
    if (PlatformUsable(Entry.split(':').front().trimmed())) return true;
  return false;
#else
  return true;
#endif
}

}  // namespace rtl
