// SPDX-License-Identifier: MIT
// One invocation of the command: the component set up from a form file and
// the options, then listed, saved or executed.
#pragma once

#include "cli/options.h"

namespace quindle::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitErrors = 1;  // the run reported at least one error
inline constexpr int kExitUsage = 2;   // bad command line, or a form file that cannot be read

// Runs an Action::Run command line; returns the exit status. Results go to
// standard output, messages to standard error, answers come from standard
// input (with --interactive only).
int RunCommand(const TCliOptions& Options);

}  // namespace quindle::cli
