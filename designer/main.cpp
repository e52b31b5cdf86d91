// SPDX-License-Identifier: MIT
// quindle-designer: a design host for component packages.
//
//   quindle-designer [PACKAGE...]                 the window
//   quindle-designer --dump PACKAGE...            what the packages register
//   quindle-designer --resource PACKAGE TYPE NAME one resource's bytes
#include <QApplication>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "designer/command_line.h"
#include "designer/main_window.h"
#include "designer/package_host.h"
#include "widgetsets/qt/qt_widgetset.h"

namespace {

const char* const kUsage =
    "Usage: quindle-designer [PACKAGE...]\n"
    "       quindle-designer --dump PACKAGE...\n"
    "       quindle-designer --resource PACKAGE TYPE NAME\n"
    "A design host for component packages: the palette of the packages loaded,\n"
    "a form to put components on, and an object inspector.\n"
    "\n"
    "  --dump       print the packages' module records, package information,\n"
    "               palette pages and property editors, one per line\n"
    "  --resource   write one resource of the package module to standard output;\n"
    "               TYPE is bitmap, icon-group, rcdata or version\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

int Usage(const char* Problem) {
  std::cerr << "quindle-designer: " << Problem
            << "\nTry 'quindle-designer --help' for more information.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  if (!Args.empty() && Args[0] == "--help") {
    std::cout << kUsage;
    return 0;
  }
  if (!Args.empty() && Args[0] == "--version") {
    std::cout << "quindle-designer 2.0.0\n";
    return 0;
  }
  if (!Args.empty() && Args[0] == "--dump") {
    if (Args.size() < 2) return Usage("--dump needs a package");
    return designer::DumpPackages({Args.begin() + 1, Args.end()}, std::cout, std::cerr);
  }
  if (!Args.empty() && Args[0] == "--resource") {
    if (Args.size() != 4) return Usage("--resource needs PACKAGE, TYPE and NAME");
    return designer::WriteResource(Args[1], Args[2], Args[3], std::cout, std::cerr);
  }
  for (const std::string& A : Args)
    if (A.size() > 1 && A[0] == '-') return Usage(("unknown option " + A).c_str());

  if (!rtl::TQtWidgetSet::DisplayAvailable()) {
    std::cerr << "quindle-designer: no display to open the window on (try --dump)\n";
    return 1;
  }
  designer::TPackageHost Host;
  QApplication App(argc, argv);
  rtl::TQtWidgetSet WidgetSet;
  rtl::TWidgetSetScope Scope(WidgetSet);
  int Status = 0;
  {
    designer::TMainWindow Window(Host);
    for (const std::string& P : Args)
      if (!Window.LoadPackage(P)) Status = 1;
    Window.show();
    const int Result = QApplication::exec();
    if (Status == 0) Status = Result;
  }
  return Status;
}
