// SPDX-License-Identifier: MIT
// The command's windows in a build without Qt: there are none.
#include <iostream>

#include "cli/gui_module.h"

namespace quindle::cli {

const TGuiModule* GuiModule(bool Load) {
  if (Load)
    std::cerr
        << "quindle: this build has no windows (Qt 6 was not found); working in the terminal\n";
  return nullptr;
}

}  // namespace quindle::cli
