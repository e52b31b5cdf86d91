// SPDX-License-Identifier: MIT
// The command's windows in a build without Qt: there are none.
#include <iostream>

#include "cli/gui.h"

namespace quindle::cli {

rtl::TWidgetSet* OpenWindows() {
  std::cerr << "quindle: this build has no windows (Qt 6 was not found); working in the terminal\n";
  return nullptr;
}

void CloseWindows() {}

// Never reached without windows to show; the run then happens right here.
void ExecuteInWindow(TQuindle& Quindle, TCliWidgetSet&, rtl::TWidgetSet&, bool) {
  Quindle.Execute();
}

}  // namespace quindle::cli
