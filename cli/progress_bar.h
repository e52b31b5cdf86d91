// SPDX-License-Identifier: MIT
// A one-line progress bar on a terminal: a bar, the percentage, file N of M,
// the bytes done of the total, the speed, the time left and the file being
// copied, redrawn in place. Anything else written to the same terminal must
// call Clear() first, so that it starts on a clean line.
#pragma once

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace quindle::cli {

// What the bar shows. Files and Bytes are the totals (0 when unknown);
// File counts from 1; Speed is in bytes per second, and with it and the
// totals the time left is shown (Speed 0: not yet known).
struct TProgressState {
  int32_t Percent = 0;
  int File = 0;
  int Files = 0;
  int64_t Done = 0;
  int64_t Bytes = 0;
  double Speed = 0;
  std::string Name;
};

class TProgressBar {
 public:
  // A disabled bar draws nothing. Width is the terminal's in columns.
  TProgressBar(std::ostream& Out, bool Enabled, int Width);

  // The run's size: files and bytes to transfer, and the passes over each
  // file's bytes (1, or 3 with validation, which reads the source before the
  // transfer and the target after it). With bytes known the percentage is
  // that of the bytes, which goes on across the runs of a walk.
  void SetTotals(int Files, int64_t Bytes, int Passes);
  // A file starts: the next of the run, Size bytes.
  void StartFile(const std::string& Name, int64_t Size);
  // Bytes of the current file done so far in the current pass. A count
  // below the last one, or another Pass, starts the next pass.
  void SetFileBytes(int64_t Done, int Pass);
  // The file's transfer is over (successful or not): its bytes count as done.
  void EndFile();
  // The component's percentage, shown when the bytes are unknown.
  void SetPercent(int32_t Percent);
  // Erases the bar if it is drawn; the next change draws it again.
  void Clear();

  // The line as drawn for a terminal of Width columns: never wider than
  // Width - 1, so that it cannot wrap. What does not fit goes, in this
  // order: the time left, the speed, the bytes, the file count; a long name
  // keeps its end.
  static std::string Render(const TProgressState& State, int Width);
  // Bytes as people read them: "512 B", "1.5 KiB", "12.0 MiB", "3.2 GiB".
  static std::string HumanBytes(double Bytes);

 private:
  void Draw(bool Always);
  TProgressState State() const;

  std::ostream& FOut;
  bool FEnabled;
  int FWidth;
  bool FShown = false;
  int32_t FPercent = 0;
  std::string FName;
  int FFile = 0;
  int FFiles = 0;
  int64_t FBytes = 0;
  int FPasses = 1;
  int64_t FDoneBefore = 0;  // bytes of the files before the current one, all passes
  int64_t FFileSize = 0;
  int64_t FPassesDone = 0;  // bytes of the current file's finished passes
  int64_t FPassDone = 0;
  int FPass = -1;
  std::chrono::steady_clock::time_point FStart;
  std::chrono::steady_clock::time_point FLastDraw;
};

// The columns of the terminal on standard error, or 80 when it cannot be told.
int TerminalWidth();

}  // namespace quindle::cli
