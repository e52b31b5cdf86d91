// SPDX-License-Identifier: MIT
// The console on Windows.
#include "rtl/files/console.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

#include "rtl/files/win32/win_api.h"
// After <windows.h>, which it needs.
#include <shellapi.h>

namespace rtl {
namespace {

DWORD StdHandleOf(TStdStream Stream) {
  switch (Stream) {
    case TStdStream::Input:
      return STD_INPUT_HANDLE;
    case TStdStream::Output:
      return STD_OUTPUT_HANDLE;
    case TStdStream::Error:
      break;
  }
  return STD_ERROR_HANDLE;
}

std::atomic<TInterruptHandler> Current{nullptr};

// Runs on a thread of its own that the system starts for the event; the
// handler only stores or asks the run to stop, which is safe there too.
BOOL WINAPI OnConsoleEvent(DWORD Event) {
  const TInterruptHandler Handler = Current.load();
  if (Handler == nullptr) return FALSE;
  switch (Event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      Handler(TInterrupt::Interrupt);
      return TRUE;
    case CTRL_CLOSE_EVENT:
      Handler(TInterrupt::HangUp);
      return TRUE;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      Handler(TInterrupt::Terminate);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  SetConsoleCP(CP_UTF8);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  for (DWORD Std : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
    const HANDLE H = GetStdHandle(Std);
    DWORD Mode = 0;
    if (H != INVALID_HANDLE_VALUE && GetConsoleMode(H, &Mode))
      SetConsoleMode(H, Mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int Count = 0;
  LPWSTR* Wide = CommandLineToArgvW(GetCommandLineW(), &Count);
  if (Wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> Result;
  for (int I = 0; I < Count; ++I) Result.push_back(win32::Narrow(Wide[I]));
  LocalFree(Wide);
  return Result;
}

bool IsTerminal(TStdStream Stream) {
  DWORD Mode = 0;
  return GetConsoleMode(GetStdHandle(StdHandleOf(Stream)), &Mode) != 0;
}

int TerminalColumns(TStdStream Stream) {
  CONSOLE_SCREEN_BUFFER_INFO Info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(StdHandleOf(Stream)), &Info)) return 0;
  return Info.srWindow.Right - Info.srWindow.Left + 1;
}

void SetInterruptHandler(TInterruptHandler Handler) {
  Current.store(Handler);
  SetConsoleCtrlHandler(OnConsoleEvent, Handler != nullptr);
}

void EndInput() {
  // The console's handler runs on a thread of its own: a read the main
  // thread is blocked in is cancelled, and the descriptor now reads NUL, so
  // that the read made again finds the end.
  const HANDLE Input = GetStdHandle(STD_INPUT_HANDLE);
  const int Null = _open("NUL", _O_RDONLY | _O_BINARY);
  if (Null >= 0) {
    _dup2(Null, 0);
    _close(Null);
  }
  if (Input != nullptr && Input != INVALID_HANDLE_VALUE) CancelIoEx(Input, nullptr);
}

int InterruptExitStatus(TInterrupt Why) {
  switch (Why) {
    case TInterrupt::Interrupt:
      return 130;
    case TInterrupt::Terminate:
      return 143;
    case TInterrupt::HangUp:
      break;
  }
  return 129;
}

}  // namespace rtl
