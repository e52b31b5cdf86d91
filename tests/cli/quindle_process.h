// SPDX-License-Identifier: MIT
// Runs the built quindle program as a child process, the way a user or a
// script does: its own working directory, standard input from a given text,
// standard output and standard error captured, and the exit status.
#pragma once

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char** environ;
#else
#include <windows.h>
#endif

namespace quindle::testing {

struct TProcessResult {
  int Status = -1;  // the exit status, or 128 + the signal that ended it
  std::string Out;
  std::string Err;
};

#if !QUINDLE_TEST_POSIX
namespace detail {

inline std::wstring Wide(const std::string& Text) {
  std::wstring Out(Text.size(), L'\0');
  const int Len = MultiByteToWideChar(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()),
                                      Out.data(), static_cast<int>(Out.size()));
  Out.resize(static_cast<size_t>(std::max(Len, 0)));
  return Out;
}

// One argument as the C run-time's parser reads it back: quoted, with the
// backslashes before a quote doubled.
inline std::wstring Quoted(const std::wstring& Arg) {
  std::wstring Out = L"\"";
  size_t Slashes = 0;
  for (wchar_t C : Arg) {
    if (C == L'\\') {
      ++Slashes;
      continue;
    }
    Out.append(C == L'"' ? 2 * Slashes + 1 : Slashes, L'\\');
    Slashes = 0;
    Out.push_back(C);
  }
  Out.append(2 * Slashes, L'\\');
  return Out + L"\"";
}

inline HANDLE Inheritable(const std::string& Name, bool Write) {
  SECURITY_ATTRIBUTES Sa{sizeof Sa, nullptr, TRUE};
  const HANDLE H =
      CreateFileW(Wide(Name).c_str(), Write ? GENERIC_WRITE : GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &Sa,
                  Write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (H == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + Name);
  return H;
}

}  // namespace detail

// Runs `quindle Args...` in Cwd with Input on standard input. Standard output
// goes to OutPath when one is given (Out is then empty); with Merged, standard
// error goes where standard output goes, as with 2>&1 (Err is then empty).
inline TProcessResult RunQuindle(const std::vector<std::string>& Args, const std::string& Cwd,
                                 const std::string& Input = std::string(),
                                 const std::string& OutPath = std::string(), bool Merged = false) {
  TempDir Io;
  WriteFile(Io / "in", Input);
  const HANDLE In = detail::Inheritable(Io / "in", false);
  const HANDLE Out = detail::Inheritable(OutPath.empty() ? Io / "out" : OutPath, true);
  const HANDLE Err = Merged ? Out : detail::Inheritable(Io / "err", true);
  STARTUPINFOW Si{};
  Si.cb = sizeof Si;
  Si.dwFlags = STARTF_USESTDHANDLES;
  Si.hStdInput = In;
  Si.hStdOutput = Out;
  Si.hStdError = Err;
  const std::wstring Program = std::filesystem::absolute(QUINDLE_BINARY).wstring();
  std::wstring Command = detail::Quoted(Program);
  for (const std::string& A : Args) Command += L" " + detail::Quoted(detail::Wide(A));
  PROCESS_INFORMATION Pi{};
  const BOOL Started = CreateProcessW(Program.c_str(), Command.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, detail::Wide(Cwd).c_str(), &Si, &Pi);
  CloseHandle(In);
  CloseHandle(Out);
  if (!Merged) CloseHandle(Err);
  if (!Started) throw std::runtime_error("cannot start " QUINDLE_BINARY);
  WaitForSingleObject(Pi.hProcess, INFINITE);
  DWORD Code = 0;
  GetExitCodeProcess(Pi.hProcess, &Code);
  CloseHandle(Pi.hThread);
  CloseHandle(Pi.hProcess);
  TProcessResult R;
  R.Status = static_cast<int>(Code);
  if (OutPath.empty()) R.Out = ReadFile(Io / "out");
  if (!Merged) R.Err = ReadFile(Io / "err");
  return R;
}
#else

namespace detail {

inline std::vector<char*> Argv(std::vector<std::string>& Args) {
  std::vector<char*> V;
  for (std::string& A : Args) V.push_back(A.data());
  V.push_back(nullptr);
  return V;
}

inline int Wait(pid_t Pid) {
  int Raw = 0;
  while (waitpid(Pid, &Raw, 0) < 0)
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  return WIFEXITED(Raw) ? WEXITSTATUS(Raw) : 128 + WTERMSIG(Raw);
}

inline pid_t Spawn(std::vector<std::string> Args, posix_spawn_file_actions_t& Actions) {
  Args.insert(Args.begin(), QUINDLE_BINARY);
  std::vector<char*> V = Argv(Args);
  pid_t Pid = 0;
  const int Rc = posix_spawn(&Pid, QUINDLE_BINARY, &Actions, nullptr, V.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  if (Rc != 0) throw std::runtime_error("cannot start " QUINDLE_BINARY);
  return Pid;
}

}  // namespace detail

// Runs `quindle Args...` in Cwd with Input on standard input. Standard output
// goes to OutPath when one is given (Out is then empty); with Merged, standard
// error goes where standard output goes, as with 2>&1 (Err is then empty).
inline TProcessResult RunQuindle(const std::vector<std::string>& Args, const std::string& Cwd,
                                 const std::string& Input = std::string(),
                                 const std::string& OutPath = std::string(), bool Merged = false) {
  TempDir Io;
  WriteFile(Io / "in", Input);
  WriteFile(Io / "out", "");
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, (Io / "in").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1,
                                   OutPath.empty() ? (Io / "out").c_str() : OutPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (Merged)
    posix_spawn_file_actions_adddup2(&Actions, 1, 2);
  else
    posix_spawn_file_actions_addopen(&Actions, 2, (Io / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&Actions, Cwd.c_str());
  TProcessResult R;
  R.Status = detail::Wait(detail::Spawn(Args, Actions));
  R.Out = ReadFile(Io / "out");
  if (!Merged) R.Err = ReadFile(Io / "err");
  return R;
}

// The same with standard error on a terminal of Columns columns (a
// pseudo-terminal); Err holds what the terminal received. With Signal, that
// signal is sent to the program AfterMs milliseconds after its start. With
// HeldInput, standard input is a pipe that stays open and empty, so that a
// question waits for its answer; otherwise it is /dev/null.
inline TProcessResult RunQuindleOnTerminal(const std::vector<std::string>& Args,
                                           const std::string& Cwd, int Columns, int Signal = 0,
                                           int AfterMs = 0, bool HeldInput = false) {
  TempDir Io;
  winsize Size{};
  Size.ws_row = 24;
  Size.ws_col = static_cast<unsigned short>(Columns);
  // Raw, so that the bytes arrive as the program wrote them (no CR added
  // before each LF).
  termios Mode{};
  cfmakeraw(&Mode);
  int Master = -1, Slave = -1;
  if (openpty(&Master, &Slave, nullptr, &Mode, &Size) != 0)
    throw std::runtime_error("openpty failed");
  int Input[2] = {-1, -1};
  if (HeldInput && pipe(Input) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  if (HeldInput) {
    posix_spawn_file_actions_adddup2(&Actions, Input[0], 0);
    posix_spawn_file_actions_addclose(&Actions, Input[1]);
  } else {
    posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  }
  posix_spawn_file_actions_addopen(&Actions, 1, (Io / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&Actions, Slave, 2);
  posix_spawn_file_actions_addclose(&Actions, Master);
  posix_spawn_file_actions_addchdir_np(&Actions, Cwd.c_str());
  const pid_t Pid = detail::Spawn(Args, Actions);
  close(Slave);
  if (HeldInput) close(Input[0]);
  TProcessResult R;
  // Read until the child's side is closed (EIO), so that it never blocks on
  // a full terminal buffer; the signal goes out on time meanwhile.
  const auto Start = std::chrono::steady_clock::now();
  bool Sent = Signal == 0;
  char Buffer[4096];
  for (;;) {
    if (!Sent && std::chrono::steady_clock::now() - Start >= std::chrono::milliseconds(AfterMs)) {
      kill(Pid, Signal);
      Sent = true;
    }
    pollfd P{Master, POLLIN, 0};
    const int Ready = poll(&P, 1, Sent ? -1 : 10);
    if (Ready == 0 || (Ready < 0 && errno == EINTR)) continue;
    const ssize_t N = read(Master, Buffer, sizeof Buffer);
    if (N > 0)
      R.Err.append(Buffer, static_cast<size_t>(N));
    else if (N < 0 && errno == EINTR)
      continue;
    else
      break;
  }
  close(Master);
  R.Status = detail::Wait(Pid);
  if (HeldInput) close(Input[1]);
  R.Out = ReadFile(Io / "out");
  return R;
}

#endif

// A working folder for runs of the command: src/a.txt ("alpha\n"),
// src/b.txt ("bravo\n") and an empty dst/.
class QuindleFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(Dir.path() / "src");
    std::filesystem::create_directories(Dir.path() / "dst");
    WriteFile(Dir / "src/a.txt", "alpha\n");
    WriteFile(Dir / "src/b.txt", "bravo\n");
  }
  // Names in the output are compared with '/' for every separator: the
  // command prints the names a Windows run builds with '\\', as typed or
  // escaped in JSON ("\\\\").
  TProcessResult Run(const std::vector<std::string>& Args, const std::string& Input = "") {
    TProcessResult R = RunQuindle(Args, Dir.path().string(), Input);
    if (!QUINDLE_TEST_POSIX) {
      for (std::string* Text : {&R.Out, &R.Err}) {
        std::string Out;
        for (size_t I = 0; I < Text->size(); ++I) {
          const char C = (*Text)[I];
          if (C != '\\') {
            Out.push_back(C);
          } else if (I + 1 < Text->size() && (*Text)[I + 1] == '\\') {
            Out.push_back('/');
            ++I;
          } else if (I + 1 < Text->size() && (*Text)[I + 1] == '"') {
            Out.push_back(C);
          } else {
            Out.push_back('/');
          }
        }
        *Text = Out;
      }
    }
    return R;
  }
  bool Exists(const std::string& Name) { return std::filesystem::exists(Dir.path() / Name); }

  TempDir Dir;
};

}  // namespace quindle::testing
