// SPDX-License-Identifier: MIT
// quindle: the component on the command line.
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/gui.h"
#include "cli/options.h"
#include "cli/run.h"
#include "rtl/files/console.h"

namespace {

constexpr const char* kVersion = "2.00";

// Output that could not be written is a failure, not a success with less to
// read: `quindle --list src > /dev/full` must not exit 0.
int Finish(int Status) {
  std::cout.flush();
  if (std::cout) return Status;
  std::cerr << "quindle: cannot write to standard output\n";
  return Status == quindle::cli::kExitOk ? quindle::cli::kExitErrors : Status;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quindle::cli;
  // Dates and texts of the system (the overwrite dialog's dates with -i)
  // follow the user's locale; the streams of the standard library keep the
  // classic one, so numbers in the output do not change with it.
  std::setlocale(LC_ALL, "");
  struct TCloseWindows {
    ~TCloseWindows() { CloseWindows(); }
  } CloseAtTheEnd;
  rtl::PrepareConsole();
  // The arguments in UTF-8 (on Windows argv holds them in the code page).
  std::vector<std::string> Args = rtl::CommandLineArguments(argc, argv);
  std::vector<char*> Argv;
  Argv.reserve(Args.size() + 1);
  for (std::string& Arg : Args) Argv.push_back(Arg.data());
  Argv.push_back(nullptr);
  TCliOptions Options;
  try {
    Options = ParseCommandLine(static_cast<int>(Args.size()), Argv.data());
  } catch (const EUsageError& E) {
    std::cerr << "quindle: " << E.what() << "\nTry 'quindle --help' for more information.\n";
    return kExitUsage;
  }
  switch (Options.Action) {
    case TAction::Help:
      std::cout << HelpText();
      return Finish(kExitOk);
    case TAction::Version:
      std::cout << "quindle " << kVersion << '\n';
      return Finish(kExitOk);
    case TAction::About:
      return Finish(ShowAbout(Options.Gui ? OpenWindows() : nullptr));
    case TAction::Run:
      break;
  }
  try {
    return Finish(RunCommand(Options));
  } catch (const std::exception& E) {
    std::cerr << "quindle: " << E.what() << '\n';
    return Finish(kExitErrors);
  }
}
