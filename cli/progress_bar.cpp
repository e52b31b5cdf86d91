// SPDX-License-Identifier: MIT
#include "cli/progress_bar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <vector>

#include "rtl/files/console.h"

namespace quindle::cli {

namespace {

constexpr int kBarCells = 20;
// Redraws for byte counts at most this often; a new file always redraws.
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
// The speed is shown once the run has lasted this long.
constexpr double kSpeedAfterSeconds = 0.5;

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

std::string Duration(double Seconds) {
  const auto S = static_cast<int64_t>(std::ceil(std::max(0.0, Seconds)));
  char Text[32];
  if (S >= 3600)
    std::snprintf(Text, sizeof Text, "%lld:%02lld:%02lld", static_cast<long long>(S / 3600),
                  static_cast<long long>(S / 60 % 60), static_cast<long long>(S % 60));
  else
    std::snprintf(Text, sizeof Text, "%lld:%02lld", static_cast<long long>(S / 60),
                  static_cast<long long>(S % 60));
  return Text;
}

}  // namespace

std::string TProgressBar::HumanBytes(double Bytes) {
  static constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  size_t Unit = 0;
  while (Bytes >= 1024 && Unit + 1 < std::size(kUnits)) {
    Bytes /= 1024;
    ++Unit;
  }
  char Text[32];
  if (Unit == 0)
    std::snprintf(Text, sizeof Text, "%.0f B", Bytes);
  else
    std::snprintf(Text, sizeof Text, "%.1f %s", Bytes, kUnits[Unit]);
  return Text;
}

TProgressBar::TProgressBar(std::ostream& Out, bool Enabled, int Width)
    : FOut(Out), FEnabled(Enabled), FWidth(Width), FStart(std::chrono::steady_clock::now()) {}

std::string TProgressBar::Render(const TProgressState& State, int Width) {
  const int32_t P = std::clamp<int32_t>(State.Percent, 0, 100);
  const int Filled = P * kBarCells / 100;
  std::string Line = "[" + std::string(Filled, '#') + std::string(kBarCells - Filled, '.') + "] ";
  const std::string Number = std::to_string(P);
  Line += std::string(3 - Number.size(), ' ') + Number + "%";
  // The optional parts, most important first.
  std::vector<std::string> Parts;
  if (State.Files > 0)
    Parts.push_back(std::to_string(std::max(State.File, 1)) + "/" + std::to_string(State.Files));
  if (State.Bytes > 0) {
    Parts.push_back(HumanBytes(static_cast<double>(State.Done)) + " of " +
                    HumanBytes(static_cast<double>(State.Bytes)));
    if (State.Speed > 0) {
      Parts.push_back(HumanBytes(State.Speed) + "/s");
      Parts.push_back(Duration(static_cast<double>(std::max<int64_t>(0, State.Bytes - State.Done)) /
                               State.Speed) +
                      " left");
    }
  }
  // Room for at least this many characters of the name before parts go.
  const size_t NameRoom = State.Name.empty() ? 0 : std::min<size_t>(CharCount(State.Name), 16) + 1;
  const auto Limit = static_cast<size_t>(std::max(0, Width - 1));
  std::string WithParts;
  for (size_t Keep = Parts.size() + 1; Keep-- > 0;) {
    WithParts = Line;
    for (size_t I = 0; I < Keep; ++I) WithParts += "  " + Parts[I];
    if (WithParts.size() + NameRoom <= Limit) break;
  }
  Line = WithParts;
  const int Room = Width - 1 - static_cast<int>(Line.size()) - 1;
  if (State.Name.empty() || Room <= 0) return Line.substr(0, Limit);
  if (CharCount(State.Name) <= static_cast<size_t>(Room)) return Line + " " + State.Name;
  if (Room <= 3) return Line;
  return Line + " ..." + KeepEnd(State.Name, static_cast<size_t>(Room - 3));
}

TProgressState TProgressBar::State() const {
  TProgressState S;
  S.File = FFile;
  S.Files = FFiles;
  S.Name = FName;
  const int64_t Done = FDoneBefore + std::min(FPassesDone + FPassDone, FFileSize * FPasses);
  S.Bytes = FBytes * FPasses;
  S.Done = std::min(Done, S.Bytes);
  S.Percent = S.Bytes > 0 ? static_cast<int32_t>(S.Done * 100 / S.Bytes) : FPercent;
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - FStart).count();
  if (Seconds >= kSpeedAfterSeconds && Done > 0) S.Speed = static_cast<double>(Done) / Seconds;
  return S;
}

void TProgressBar::SetTotals(int Files, int64_t Bytes, int Passes) {
  FFiles = Files;
  FBytes = Bytes;
  FPasses = std::max(Passes, 1);
}

void TProgressBar::StartFile(const std::string& Name, int64_t Size) {
  FName = Name;
  ++FFile;
  FFileSize = Size;
  FPassesDone = 0;
  FPassDone = 0;
  FPass = -1;
  Draw(true);
}

void TProgressBar::SetFileBytes(int64_t Done, int Pass) {
  if (FPass >= 0 && (Pass != FPass || Done < FPassDone)) {
    FPassesDone += FPassDone;
    FPassDone = 0;
  }
  FPass = Pass;
  FPassDone = Done;
  Draw(false);
}

void TProgressBar::EndFile() {
  FDoneBefore += FFileSize * FPasses;
  FFileSize = 0;
  FPassesDone = 0;
  FPassDone = 0;
  FPass = -1;
  Draw(false);
}

void TProgressBar::SetPercent(int32_t Percent) {
  if (FShown && Percent == FPercent) return;
  FPercent = Percent;
  Draw(FBytes == 0);
}

void TProgressBar::Clear() {
  if (!FShown) return;
  FOut << "\r\x1b[K" << std::flush;
  FShown = false;
}

void TProgressBar::Draw(bool Always) {
  if (!FEnabled) return;
  const auto Now = std::chrono::steady_clock::now();
  if (!Always && FShown && Now - FLastDraw < kRedrawEvery) return;
  FLastDraw = Now;
  // One write per drawing: standard error is unbuffered, and a terminal
  // pays for every write.
  FOut << ("\r" + Render(State(), FWidth) + "\x1b[K") << std::flush;
  FShown = true;
}

int TerminalWidth() {
  const int Columns = rtl::TerminalColumns(rtl::TStdStream::Error);
  return Columns > 0 ? Columns : 80;
}

}  // namespace quindle::cli
