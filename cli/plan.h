// SPDX-License-Identifier: MIT
// What a command line will do, worked out before anything is written: the
// runs of the component a walk makes (one over the operands, and with -r one
// per sub-directory), and each file and directory those runs will handle.
// The run uses it to refuse what would lose data and to size the progress
// bar; --dry-run and --list print it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/options.h"
#include "engine/quindle.h"

namespace quindle::cli {

// One run of the component: SourceFilenames and TargetFilename as it gets them.
struct TLevel {
  std::vector<std::string> Sources;  // first to last, as the list holds them
  std::string Target;
  // The source directory a walk descends into (empty for the run over the
  // operands). Its target directory is created by the command, not by the
  // component, and nothing is run in it when it selects no file.
  std::string SourceDir;
  bool Run = true;
  // A problem of the walk met at this point (a loop): reported, nothing run.
  std::string Problem;
};

enum class TStepKind : uint8_t { Copy, Overwrite, SkipExisting, CreateDir, Expand, Move };

// "copy", "overwrite", "skip-existing", "create-dir", "expand", "move".
const char* StepName(TStepKind Kind);

// One thing the walk will do, or a problem it will report (Problem set: the
// message without "quindle: "), in the order the run meets them.
struct TStep {
  TStepKind Kind = TStepKind::Copy;
  std::string Source;  // empty for the target directory itself
  std::string Target;
  int64_t Size = 0;  // bytes of a file to transfer
  std::string Problem;
  size_t Level = 0;  // index in TPlan::Levels of the run the step belongs to
};

struct TPlan {
  std::vector<TLevel> Levels;
  std::vector<TStep> Steps;
  // Set when the command must refuse before copying anything (several files
  // onto one that is not a directory); Refusal is the message.
  std::string Refusal;
  // Files to transfer and their bytes (skipped ones not counted).
  int Files = 0;
  int64_t Bytes = 0;
  bool HasProblems() const;
};

// The plan for the component's sources, target and filter as Settings holds
// them, and the options that steer the walk (-r, -L, -d, -n, the method).
// Without Detailed only the runs of the walk are worked out (and the
// refusal): no step, no total, so that a run nobody watches does not read
// every file's attributes once more before the component does.
TPlan MakePlan(const TQuindle& Settings, const TCliOptions& Options, bool Detailed = true);

// True when Target names a directory: it ends in a separator or exists as one.
bool TargetIsDirectory(const std::string& Target);

}  // namespace quindle::cli
