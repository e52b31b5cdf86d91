// SPDX-License-Identifier: MIT
// The command line of `quindle`: what the user asked for, before anything
// touches the component.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/quindle.h"

namespace quindle::cli {

// A command line that cannot be run. The message is one line without the
// program's name; the caller adds "quindle: " and the pointer to --help.
class EUsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The seven filter flags as the user listed them.
struct TAttributeSet {
  bool Normal = false;
  bool ReadOnly = false;
  bool Hidden = false;
  bool System = false;
  bool Archive = false;
  bool Directories = false;
  bool AnyFile = false;
};

enum class TAction { Run, Help, Version, About };

struct TCliOptions {
  TAction Action = TAction::Run;
  // Unset options leave the component's value (its default, or the form's).
  std::optional<TCopyType> Method;
  std::optional<TAttributeSet> Attributes;
  bool Validate = false;
  bool NoOverwrite = false;
  bool CreateDir = false;
  bool Interactive = false;
  // --gui: windows instead of the terminal (see cli/gui.h).
  bool Gui = false;
  bool List = false;
  // --dry-run: print what the run would do, one line each; write nothing.
  bool DryRun = false;
  // -r: descend into sub-directories; -L: follow symbolic links to
  // directories while doing so.
  bool Recursive = false;
  bool FollowLinks = false;
  bool Trace = false;
  bool Quiet = false;
  // -j: how many directories of a walk may be copied at a time; unset for
  // as many as there are processors (at most four).
  std::optional<unsigned> Jobs;
  std::string FormFile;
  std::string SaveFormFile;
  // The operands in the order given: SOURCE... TARGET, or only SOURCEs
  // with --list.
  std::vector<std::string> Operands;
};

// Parses argv. Raises EUsageError for an unknown, ambiguous or misused option
// (named as typed), a missing argument, a bad method or attribute name, or
// operands that do not fit the options.
TCliOptions ParseCommandLine(int argc, char** argv);

// "stream", "block", "lz", "move" (ASCII case ignored); nullopt otherwise.
std::optional<TCopyType> ParseMethod(const std::string& Name);
// A comma-separated list of normal, readonly, hidden, system, archive,
// directories, any (ASCII case ignored). Raises EUsageError for an empty
// list, an unknown name, or "any" combined with another name.
TAttributeSet ParseAttributes(const std::string& List);

// The full --help text.
std::string HelpText();

}  // namespace quindle::cli
