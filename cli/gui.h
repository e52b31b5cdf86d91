// SPDX-License-Identifier: MIT
// The command's windows (--gui): the About box, and a copy run shown in a
// progress window with its questions and messages as windows. They need Qt
// (found by the build) and a display; without either the command works in
// the terminal, after one line saying so.
#pragma once

#include "engine/quindle.h"
#include "rtl/ui/widgetset.h"

namespace quindle::cli {

class TCliWidgetSet;

// The widgetset that shows windows, made with the Qt application on the
// first call and kept until CloseWindows; nullptr, after one line on
// standard error saying why, where no window can be shown.
rtl::TWidgetSet* OpenWindows();
// Ends what OpenWindows made. main calls it before it returns: the toolkit
// must end before the program's own static objects do.
void CloseWindows();

// Shows the About box: through Windows when given, else as text on standard
// output. Returns the exit status.
int ShowAbout(rtl::TWidgetSet* Windows);

// Runs Quindle.Execute() on a worker thread while a progress window shows
// the file being copied, its size, what is done so far and a Cancel button
// that stops the run (TQuindle::Abort, between files). With Ask, Questions
// passes the run's questions and messages to Windows while the run lasts.
// Closing the window is Cancel. What the run raises is raised here once the
// window has closed.
void ExecuteInWindow(TQuindle& Quindle, TCliWidgetSet& Questions, rtl::TWidgetSet& Windows,
                     bool Ask);

}  // namespace quindle::cli
