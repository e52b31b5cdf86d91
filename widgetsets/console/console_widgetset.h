// SPDX-License-Identifier: MIT
// A widgetset for terminals and pipes. It draws a form or message box as
// text (the title, the labels top to bottom then left to right, images left
// out), lists the buttons with a key for each ("[Y]es  [N]o  [C]ancel", the
// focused one in angle brackets) and reads answers a line at a time:
//
//   a button's key, caption or name   presses that button
//   an empty line                     Enter: presses the focused button
//   "esc", or the ESC character       Escape: presses the Cancel button
//   end of input                      the close box: closes with mrCancel
//
// An answer line is at most MaxAnswerLine bytes. A longer line (a device of
// zeros, a file that is no list of answers) ends the input there: that form
// and every later one close as at the end of input, and nothing more is read.
//
// It writes only to the stream it was given (standard error by default) and
// reads only from its input (standard input by default).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "rtl/ui/widgetset.h"
#include "widgetsets/console/export.h"

namespace rtl {

struct TConsoleOptions {
  // Off: nothing is read. A box with only an OK button prints
  // "<MessagePrefix><text>" and returns mrOk; any other box or form is
  // printed in full and closed as by the close box (mrCancel).
  bool Interactive = true;
  std::string MessagePrefix;
};

class QUINDLE_WIDGETSET_CONSOLE_EXPORT TConsoleWidgetSet : public TWidgetSet {
 public:
  static constexpr size_t MaxAnswerLine = 1024;

  // Standard input and standard error.
  explicit TConsoleWidgetSet(TConsoleOptions Options = {});
  TConsoleWidgetSet(std::istream& In, std::ostream& Out, TConsoleOptions Options = {});

  void RunModal(TCustomForm& Form) override;
  int MessageBox(const TMessageBoxParams& Box) override;

  // A button as listed: its key (0 when it has none) and its caption.
  struct TChoice {
    TButton* Button;
    char Key;
    std::string Shown;  // "[Y]es"
  };
  // The buttons of a form in the order they are listed, with their keys:
  // the caption's accelerator, else its first letter or digit not taken by
  // a button listed before it.
  static std::vector<TChoice> Choices(const TCustomForm& Form);

 private:
  void Draw(const TCustomForm& Form, const std::vector<TChoice>& Choices);
  void Prompt(const TCustomForm& Form);
  // Applies one line of input; false when the line was not understood.
  bool Answer(TCustomForm& Form, const std::vector<TChoice>& Choices, const std::string& Line);

  // One line into Line, without its end; false when the input has ended.
  bool ReadAnswer(std::string& Line);

  std::istream& FIn;
  std::ostream& FOut;
  TConsoleOptions FOptions;
  bool FInputEnded = false;
};

}  // namespace rtl
