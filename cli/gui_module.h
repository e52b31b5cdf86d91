// SPDX-License-Identifier: MIT
// The command's windows as a module of their own: where the libraries are
// shared, the Qt code lives in a module that the command loads only when
// --gui asks for windows, so that no other run pays for loading Qt.
#pragma once

#include "engine/quindle.h"
#include "rtl/ui/widgetset.h"

#if defined(_WIN32)
#define QUINDLE_GUI_ENTRY __declspec(dllexport)
#else
#define QUINDLE_GUI_ENTRY __attribute__((visibility("default")))
#endif

namespace quindle::cli {

// What the window module does (cli/gui.h says how the command uses it).
struct TGuiModule {
  rtl::TWidgetSet* (*OpenWindows)();
  void (*CloseWindows)();
  // Runs Quindle.Execute() on a worker thread behind the progress window.
  void (*RunInWindow)(TQuindle& Quindle);
};

// The window module of this build, loaded when Load is true and it is not
// loaded yet; nullptr, after one line on standard error saying why (when
// Load is true), where there is none.
const TGuiModule* GuiModule(bool Load);

}  // namespace quindle::cli

// The module's one entry point, found by name once it is loaded.
extern "C" QUINDLE_GUI_ENTRY const quindle::cli::TGuiModule* QuindleGuiModule();
