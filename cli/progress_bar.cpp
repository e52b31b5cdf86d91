// SPDX-License-Identifier: MIT
#include "cli/progress_bar.h"

#include <algorithm>
#include <ostream>

#include "rtl/files/console.h"

namespace quindle::cli {

namespace {

constexpr int kBarCells = 20;

bool IsContinuationByte(char C) {
  return (static_cast<unsigned char>(C) & 0xC0) == 0x80;
}

// Characters, counting a UTF-8 sequence as one.
size_t CharCount(const std::string& S) {
  return static_cast<size_t>(
      std::count_if(S.begin(), S.end(), [](char C) { return !IsContinuationByte(C); }));
}

// The last Keep characters of S, never starting inside a UTF-8 sequence.
std::string KeepEnd(const std::string& S, size_t Keep) {
  size_t Seen = 0;
  size_t Pos = S.size();
  while (Pos > 0 && Seen < Keep) {
    --Pos;
    if (!IsContinuationByte(S[Pos])) ++Seen;
  }
  return S.substr(Pos);
}

}  // namespace

TProgressBar::TProgressBar(std::ostream& Out, bool Enabled, int Width)
    : FOut(Out), FEnabled(Enabled), FWidth(Width) {}

std::string TProgressBar::Render(int32_t Percent, const std::string& Name, int Width) {
  const int32_t P = std::clamp<int32_t>(Percent, 0, 100);
  const int Filled = P * kBarCells / 100;
  std::string Line = "[" + std::string(Filled, '#') + std::string(kBarCells - Filled, '.') + "] ";
  const std::string Number = std::to_string(P);
  Line += std::string(3 - Number.size(), ' ') + Number + "%";
  const int Room = Width - 1 - static_cast<int>(Line.size()) - 1;
  if (Name.empty() || Room <= 0) return Line.substr(0, std::max(0, Width - 1));
  if (CharCount(Name) <= static_cast<size_t>(Room)) return Line + " " + Name;
  if (Room <= 3) return Line;
  return Line + " ..." + KeepEnd(Name, static_cast<size_t>(Room - 3));
}

void TProgressBar::SetFile(const std::string& Name) {
  FName = Name;
  Draw();
}

void TProgressBar::SetPercent(int32_t Percent) {
  if (FShown && Percent == FPercent) return;
  FPercent = Percent;
  Draw();
}

void TProgressBar::Clear() {
  if (!FShown) return;
  FOut << "\r\x1b[K" << std::flush;
  FShown = false;
}

void TProgressBar::Draw() {
  if (!FEnabled) return;
  FOut << "\r" << Render(FPercent, FName, FWidth) << "\x1b[K" << std::flush;
  FShown = true;
}

int TerminalWidth() {
  const int Columns = rtl::TerminalColumns(rtl::TStdStream::Error);
  return Columns > 0 ? Columns : 80;
}

}  // namespace quindle::cli
