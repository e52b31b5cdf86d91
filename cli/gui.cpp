// SPDX-License-Identifier: MIT
#include "cli/gui.h"

#include <iostream>

#include "cli/run.h"
#include "dialogs/about_box.h"
#include "widgetsets/console/console_widgetset.h"

namespace quindle::cli {

int ShowAbout(rtl::TWidgetSet* Windows) {
  TQDAboutBox Box(nullptr);
  if (Windows != nullptr) {
    Box.ShowModal(*Windows);
    return kExitOk;
  }
  // Printed whole and closed: nothing waits for an answer.
  rtl::TConsoleWidgetSet Console(std::cin, std::cout, rtl::TConsoleOptions{false, ""});
  Box.ShowModal(Console);
  return kExitOk;
}

}  // namespace quindle::cli
