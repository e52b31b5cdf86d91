// SPDX-License-Identifier: MIT
#include "cli/gui.h"

#include <iostream>

#include "cli/cli_widgetset.h"
#include "cli/gui_module.h"
#include "cli/run.h"
#include "dialogs/about_box.h"
#include "widgetsets/console/console_widgetset.h"

namespace quindle::cli {

rtl::TWidgetSet* OpenWindows() {
  const TGuiModule* Module = GuiModule(true);
  return Module != nullptr ? Module->OpenWindows() : nullptr;
}

void CloseWindows() {
  if (const TGuiModule* Module = GuiModule(false)) Module->CloseWindows();
}

void ExecuteInWindow(TQuindle& Quindle, TCliWidgetSet& Questions, rtl::TWidgetSet& Windows,
                     bool Ask) {
  const TGuiModule* Module = GuiModule(false);
  // Windows came from the module, so it is loaded; the run stays in the
  // terminal all the same should it not be.
  if (Module == nullptr) {
    Quindle.Execute();
    return;
  }
  struct TPresenter {
    TCliWidgetSet& Questions;
    ~TPresenter() { Questions.SetPresenter(nullptr); }
  } Presenter{Questions};
  if (Ask) Questions.SetPresenter(&Windows);
  Module->RunInWindow(Quindle);
}

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
