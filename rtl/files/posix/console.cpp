// SPDX-License-Identifier: MIT
// The terminal on POSIX.
#include "rtl/files/console.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace rtl {

namespace {

int FdOf(TStdStream Stream) {
  switch (Stream) {
    case TStdStream::Input:
      return STDIN_FILENO;
    case TStdStream::Output:
      return STDOUT_FILENO;
    case TStdStream::Error:
      break;
  }
  return STDERR_FILENO;
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr TInterrupt kWhy[] = {TInterrupt::Interrupt, TInterrupt::Terminate, TInterrupt::HangUp};

std::atomic<TInterruptHandler> Current{nullptr};

void OnSignal(int Signal) {
  const TInterruptHandler Handler = Current.load();
  if (Handler == nullptr) return;
  for (size_t I = 0; I < 3; ++I)
    if (kSignals[I] == Signal) Handler(kWhy[I]);
}

}  // namespace

void PrepareConsole() {}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool IsTerminal(TStdStream Stream) {
  return ::isatty(FdOf(Stream)) == 1;
}

int TerminalColumns(TStdStream Stream) {
  winsize Size{};
  if (::ioctl(FdOf(Stream), TIOCGWINSZ, &Size) == 0) return Size.ws_col;
  return 0;
}

void SetInterruptHandler(TInterruptHandler Handler) {
  Current.store(Handler);
  struct sigaction Action {};
  Action.sa_handler = Handler != nullptr ? OnSignal : SIG_DFL;
  sigemptyset(&Action.sa_mask);
  // Calls in progress are restarted; the run notices the request at its
  // next test.
  Action.sa_flags = SA_RESTART;
  for (int Signal : kSignals) ::sigaction(Signal, &Action, nullptr);
}

void EndInput() {
  // open, dup2 and close are async-signal-safe. A read restarted after the
  // signal reads the new descriptor, /dev/null, and finds its end.
  const int Null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (Null < 0) return;
  ::dup2(Null, STDIN_FILENO);
  ::close(Null);
}

int InterruptExitStatus(TInterrupt Why) {
  for (size_t I = 0; I < 3; ++I)
    if (kWhy[I] == Why) return 128 + kSignals[I];
  return 128 + SIGINT;
}

}  // namespace rtl
