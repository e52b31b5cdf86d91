// SPDX-License-Identifier: MIT
// The command's windows linked into the program (a build of static
// libraries, where a module could not share the program's state).
#include "cli/gui_module.h"

namespace quindle::cli {

const TGuiModule* GuiModule(bool) {
  return QuindleGuiModule();
}

}  // namespace quindle::cli
