// SPDX-License-Identifier: MIT
// A one-line progress bar on a terminal: a bar, the run's percentage and the
// file being copied, redrawn in place. Anything else written to the same
// terminal must call Clear() first, so that it starts on a clean line.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace quindle::cli {

class TProgressBar {
 public:
  // A disabled bar draws nothing. Width is the terminal's in columns.
  TProgressBar(std::ostream& Out, bool Enabled, int Width);

  void SetFile(const std::string& Name);
  void SetPercent(int32_t Percent);
  // Erases the bar if it is drawn; the next change draws it again.
  void Clear();

  // The line as drawn for a terminal of Width columns: never wider than
  // Width - 1, so that it cannot wrap; a long name keeps its end.
  static std::string Render(int32_t Percent, const std::string& Name, int Width);

 private:
  void Draw();

  std::ostream& FOut;
  bool FEnabled;
  int FWidth;
  bool FShown = false;
  int32_t FPercent = 0;
  std::string FName;
};

// The columns of the terminal on standard error, or 80 when it cannot be told.
int TerminalWidth();

}  // namespace quindle::cli
