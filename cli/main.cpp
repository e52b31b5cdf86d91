// quindle: the component on the command line.
#include <iostream>

#include "cli/options.h"
#include "cli/run.h"

namespace {

// The About box's texts.
constexpr const char* kProductName = "Quindle Component (32 Bit)";
constexpr const char* kVersion = "2.00";
constexpr const char* kCopyright = "Copyright (C) The Quindle developers";
constexpr const char* kComments = "A component to Copy Files.";

}  // namespace

int main(int argc, char** argv) {
  using namespace quindle::cli;
  TCliOptions Options;
  try {
    Options = ParseCommandLine(argc, argv);
  } catch (const EUsageError& E) {
    std::cerr << "quindle: " << E.what() << "\nTry 'quindle --help' for more information.\n";
    return kExitUsage;
  }
  switch (Options.Action) {
    case TAction::Help:
      std::cout << HelpText();
      return kExitOk;
    case TAction::Version:
      std::cout << "quindle " << kVersion << '\n';
      return kExitOk;
    case TAction::About:
      std::cout << kProductName << '\n'
                << "Version " << kVersion << '\n'
                << kCopyright << '\n'
                << kComments << '\n';
      return kExitOk;
    case TAction::Run:
      break;
  }
  try {
    return RunCommand(Options);
  } catch (const std::exception& E) {
    std::cerr << "quindle: " << E.what() << '\n';
    return kExitErrors;
  }
}
