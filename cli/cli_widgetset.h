// SPDX-License-Identifier: MIT
// The widgetset the command presents the component's messages and dialogs
// with: the console widgetset, plus the bookkeeping of the command.
#pragma once

#include <utility>

#include "rtl/ui/dialogs.h"
#include "widgetsets/console/console_widgetset.h"

namespace quindle::cli {

class TProgressBar;
class TTraceWriter;

// Every message box is traced (when Trace is given) and, when it carries only
// an OK button, counted as an error. The component shows exactly its error
// notifications that way (its one question, the missing-directory box, has
// Yes and No), so the count is the number of error notifications while the
// component still builds and prints its own text; hooking the error events
// instead would suppress that text. Bar is cleared before anything is drawn.
//
// A text is shown byte for byte, except that on a terminal (Terminal true) a
// carriage return becomes a line feed: the component puts one before the
// directory name of "Cannot create target directory ", and a terminal would
// overwrite the start of the line with the name. The trace keeps the CR.
class TCliWidgetSet : public rtl::TConsoleWidgetSet {
 public:
  TCliWidgetSet(rtl::TConsoleOptions Options, bool Terminal, TProgressBar& Bar, TTraceWriter* Trace)
      : rtl::TConsoleWidgetSet(std::move(Options)), FTerminal(Terminal), FBar(Bar), FTrace(Trace) {}

  void RunModal(rtl::TCustomForm& Form) override;
  int MessageBox(const rtl::TMessageBoxParams& Box) override;

  int ErrorCount() const { return FErrors; }
  // Shows the forms and boxes through Presenter instead of the terminal,
  // still counting and tracing them here; nullptr goes back to the terminal.
  // Presenter stays the caller's and must outlive its use.
  void SetPresenter(rtl::TWidgetSet* Presenter) { FPresenter = Presenter; }

  static bool IsErrorBox(const rtl::TMessageBoxParams& Box);

 private:
  bool FTerminal;
  TProgressBar& FBar;
  TTraceWriter* FTrace;
  rtl::TWidgetSet* FPresenter = nullptr;
  int FErrors = 0;
};

}  // namespace quindle::cli
