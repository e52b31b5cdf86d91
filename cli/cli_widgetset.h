// SPDX-License-Identifier: MIT
// The widgetset the command presents the component's messages and dialogs
// with: the console widgetset, keeping the progress bar and the trace in step.
#pragma once

#include <utility>

#include "rtl/ui/dialogs.h"
#include "widgetsets/console/console_widgetset.h"

namespace quindle::cli {

class TProgressBar;
class TTraceWriter;

// Every message box is traced (when Trace is given). Bar is cleared before
// anything is drawn.
//
// A text is shown byte for byte, except for a carriage return, which is never
// written as it is: the component puts one before the directory name of
// "Cannot create target directory ", and a terminal would overwrite the start
// of the line with the name. On a terminal (Terminal true) it becomes a line
// feed, elsewhere a space. The trace keeps it, escaped as \r.
class TCliWidgetSet : public rtl::TConsoleWidgetSet {
 public:
  TCliWidgetSet(rtl::TConsoleOptions Options, bool Terminal, TProgressBar& Bar, TTraceWriter* Trace)
      : rtl::TConsoleWidgetSet(std::move(Options)), FTerminal(Terminal), FBar(Bar), FTrace(Trace) {}

  void RunModal(rtl::TCustomForm& Form) override;
  int MessageBox(const rtl::TMessageBoxParams& Box) override;

  // Shows the forms and boxes through Presenter instead of the terminal,
  // still tracing them here; nullptr goes back to the terminal. Presenter
  // stays the caller's and must outlive its use.
  void SetPresenter(rtl::TWidgetSet* Presenter) { FPresenter = Presenter; }

 private:
  bool FTerminal;
  TProgressBar& FBar;
  TTraceWriter* FTrace;
  rtl::TWidgetSet* FPresenter = nullptr;
};

}  // namespace quindle::cli
