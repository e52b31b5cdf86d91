// SPDX-License-Identifier: MIT
// A Qt application that copies files with the component, the way an
// application developer would use it: the Qt widgetset chosen for the
// process, the copy on a worker thread, the events in a log.
//
//   qt_copy [SOURCE TARGET]
//
// Without a display it copies SOURCE to TARGET in the terminal instead,
// asking its questions there, after one line saying so.
#include <QApplication>
#include <iostream>

#include "engine/quindle.h"
#include "examples/qt_copy/copy_window.h"
#include "widgetsets/console/console_widgetset.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

int CopyInTerminal(int argc, char** argv) {
  std::cerr << "qt_copy: no display to open windows on; copying in the terminal\n";
  if (argc != 3) {
    std::cerr << "usage: qt_copy SOURCE TARGET\n";
    return 2;
  }
  rtl::TConsoleWidgetSet Console;
  rtl::TWidgetSetScope Scope(Console);
  quindle::TQuindle Quindle(nullptr);
  rtl::TStringList Sources;
  Sources.Add(argv[1]);
  Quindle.SetMultiSrcFN(&Sources);
  Quindle.SetTargetFilename(argv[2]);
  Quindle.SetShowMessages(true);
  Quindle.SetOnAfterCopyFile([](rtl::TObject*, std::string Src, std::string Tgt) {
    std::cout << Src << " -> " << Tgt << '\n';
  });
  Quindle.Execute();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!rtl::TQtWidgetSet::DisplayAvailable()) return CopyInTerminal(argc, argv);
  QApplication Application(argc, argv);
  rtl::TQtWidgetSet Qt;
  rtl::TWidgetSetScope Scope(Qt);
  TCopyWindow Window;
  if (argc == 3) {
    Window.SetSource(QString::fromLocal8Bit(argv[1]));
    Window.SetTarget(QString::fromLocal8Bit(argv[2]));
  }
  Window.show();
  return Application.exec();
}
