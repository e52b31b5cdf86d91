// SPDX-License-Identifier: MIT
#include "cli/options.h"

#include <getopt.h>

#include <algorithm>
#include <sstream>
#include <string_view>
#include <vector>

#include "rtl/core/sysutils.h"

namespace quindle::cli {

namespace {

// Long options without a short form.
enum : int {
  optForm = 256,
  optSaveForm,
  optList,
  optTrace,
  optAbout,
  optVersion,
  optGui,
  optDryRun
};

const option kLongOptions[] = {
    {"method", required_argument, nullptr, 'm'},
    {"attributes", required_argument, nullptr, 'a'},
    {"validate", no_argument, nullptr, 'V'},
    {"no-overwrite", no_argument, nullptr, 'n'},
    {"create-dir", no_argument, nullptr, 'd'},
    {"interactive", no_argument, nullptr, 'i'},
    {"quiet", no_argument, nullptr, 'q'},
    {"recursive", no_argument, nullptr, 'r'},
    {"dereference", no_argument, nullptr, 'L'},
    {"jobs", required_argument, nullptr, 'j'},
    {"dry-run", no_argument, nullptr, optDryRun},
    {"form", required_argument, nullptr, optForm},
    {"save-form", required_argument, nullptr, optSaveForm},
    {"list", no_argument, nullptr, optList},
    {"trace", no_argument, nullptr, optTrace},
    {"about", no_argument, nullptr, optAbout},
    {"gui", no_argument, nullptr, optGui},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, optVersion},
    {nullptr, 0, nullptr, 0},
};

// The message for the option getopt_long stopped at (Code ':' for a missing
// argument, '?' otherwise), naming it as the user typed it. A long option
// sets optopt to its value when it was recognised and to 0 when it was not,
// so optopt alone cannot tell "--method" from "-m": the element itself does.
std::string OptionError(int Code, int argc, char** argv) {
  const std::string Element = optind >= 1 && optind - 1 < argc ? argv[optind - 1] : "";
  const std::string Typed = Element.substr(0, Element.find('='));
  // The long options the typed name abbreviates.
  std::vector<const option*> Candidates;
  if (Typed.size() > 2 && Typed.compare(0, 2, "--") == 0)
    for (const option* O = kLongOptions; O->name != nullptr; ++O)
      if (std::string_view(O->name).substr(0, Typed.size() - 2) == Typed.substr(2))
        Candidates.push_back(O);
  bool Long = optopt == 0 && Typed.compare(0, 2, "--") == 0;
  for (const option* O : Candidates) Long = Long || O->val == optopt;
  if (!Long) {
    const std::string Short = std::string("-") + static_cast<char>(optopt);
    if (Code == ':') return "option '" + Short + "' requires an argument";
    return "unknown option '" + Short + "'";
  }
  // The option the name stands for: the one it spells out, or the only one
  // it abbreviates. Whether it takes an argument comes from the table, as
  // getopt_long implementations differ in the code they give for "--help=x".
  const option* Meant = Candidates.size() == 1 ? Candidates.front() : nullptr;
  for (const option* O : Candidates)
    if (Typed.compare(2, std::string::npos, O->name) == 0) Meant = O;
  if (Meant != nullptr && Meant->has_arg == no_argument && Element.find('=') != std::string::npos)
    return "option '" + Typed + "' doesn't allow an argument";
  if (Code == ':') return "option '" + Typed + "' requires an argument";
  if (optopt != 0) return "option '" + Typed + "' doesn't allow an argument";
  if (Candidates.size() > 1) {
    std::string Message = "option '" + Typed + "' is ambiguous; possibilities:";
    for (const option* O : Candidates) Message += std::string(" '--") + O->name + "'";
    return Message;
  }
  return "unknown option '" + Typed + "'";
}

// A count of directories at a time: a whole number from 1 to 64.
unsigned ParseJobs(const std::string& Text) {
  const bool Digits =
      !Text.empty() && Text.size() <= 2 &&
      std::all_of(Text.begin(), Text.end(), [](char C) { return C >= '0' && C <= '9'; });
  const unsigned Value = Digits ? static_cast<unsigned>(std::stoul(Text)) : 0;
  if (Value < 1 || Value > 64)
    throw EUsageError("invalid job count '" + Text + "' (a number from 1 to 64)");
  return Value;
}

void CheckOperands(const TCliOptions& O) {
  if (O.Action != TAction::Run) return;
  const size_t Count = O.Operands.size();
  const bool HasForm = !O.FormFile.empty();
  if (O.List) {
    if (Count == 0 && !HasForm) throw EUsageError("missing source operand for --list");
    return;
  }
  // With a form the operands are optional: none keeps the form's sources and
  // target, a single one replaces the target only.
  if (Count == 0 && !HasForm && O.SaveFormFile.empty()) throw EUsageError("missing file operand");
  if (Count == 1 && !HasForm)
    throw EUsageError("missing target operand after '" + O.Operands[0] + "'");
}

}  // namespace

std::optional<TCopyType> ParseMethod(const std::string& Name) {
  for (const TCopyTypeName& T : kCopyTypes)
    if (rtl::SameText(Name, T.CommandName)) return T.Value;
  return std::nullopt;
}

TAttributeSet ParseAttributes(const std::string& List) {
  TAttributeSet Set;
  int Names = 0;
  std::istringstream In(List);
  std::string Name;
  while (std::getline(In, Name, ',')) {
    ++Names;
    if (rtl::SameText(Name, "normal"))
      Set.Normal = true;
    else if (rtl::SameText(Name, "readonly"))
      Set.ReadOnly = true;
    else if (rtl::SameText(Name, "hidden"))
      Set.Hidden = true;
    else if (rtl::SameText(Name, "system"))
      Set.System = true;
    else if (rtl::SameText(Name, "archive"))
      Set.Archive = true;
    else if (rtl::SameText(Name, "directories"))
      Set.Directories = true;
    else if (rtl::SameText(Name, "any"))
      Set.AnyFile = true;
    else
      throw EUsageError("unknown attribute '" + Name + "'");
  }
  if (Names == 0 || List.back() == ',') throw EUsageError("empty attribute list");
  const bool Others =
      Set.Normal || Set.ReadOnly || Set.Hidden || Set.System || Set.Archive || Set.Directories;
  // The component lets AnyFile and the other flags exclude each other; a list
  // naming both would silently lose one of them.
  if (Set.AnyFile && Others) throw EUsageError("attribute 'any' cannot be combined with others");
  return Set;
}

TCliOptions ParseCommandLine(int argc, char** argv) {
  TCliOptions O;
  opterr = 0;
  optind = 0;  // a full re-initialisation, so that the parser may run again
  int C;
  while ((C = getopt_long(argc, argv, ":m:a:VndiqrLj:h", kLongOptions, nullptr)) != -1) {
    switch (C) {
      case 'm':
        O.Method = ParseMethod(optarg);
        if (!O.Method) throw EUsageError(std::string("unknown method '") + optarg + "'");
        break;
      case 'a':
        O.Attributes = ParseAttributes(optarg);
        break;
      case 'V':
        O.Validate = true;
        break;
      case 'n':
        O.NoOverwrite = true;
        break;
      case 'd':
        O.CreateDir = true;
        break;
      case 'i':
        O.Interactive = true;
        break;
      case 'q':
        O.Quiet = true;
        break;
      case 'r':
        O.Recursive = true;
        break;
      case 'L':
        O.FollowLinks = true;
        break;
      case 'j':
        O.Jobs = ParseJobs(optarg);
        break;
      case optDryRun:
        O.DryRun = true;
        break;
      case optForm:
        O.FormFile = optarg;
        break;
      case optSaveForm:
        O.SaveFormFile = optarg;
        break;
      case optList:
        O.List = true;
        break;
      case optTrace:
        O.Trace = true;
        break;
      case optAbout:
        O.Action = TAction::About;
        break;
      case optGui:
        O.Gui = true;
        break;
      case 'h':
        O.Action = TAction::Help;
        break;
      case optVersion:
        O.Action = TAction::Version;
        break;
      default:
        throw EUsageError(OptionError(C, argc, argv));
    }
  }
  for (int I = optind; I < argc; ++I) O.Operands.emplace_back(argv[I]);
  CheckOperands(O);
  return O;
}

std::string HelpText() {
  return R"(Usage: quindle [OPTIONS] SOURCE... TARGET
       quindle --list [OPTIONS] SOURCE...
       quindle --form FILE [OPTIONS] [[SOURCE...] TARGET]
Copy, move or LZ-expand the files that each SOURCE selects into TARGET.

A SOURCE is a file name, a wild-card pattern (* and ? in its last part) or a
directory (its files; with -r its sub-directories too). Sources are processed
from the last one given to the first. TARGET is a file, or a directory when it
exists as one or ends in '/'; several files go only into a directory.

Options:
  -m, --method METHOD     transfer method: stream (default), block, lz
                          (expand LZ-compressed files) or move
  -a, --attributes LIST   which files a source selects, comma-separated:
                          normal (default), readonly, hidden, system, archive,
                          directories, any; the list replaces the default
  -V, --validate          compare the CRC-32 of every copy with its source
  -n, --no-overwrite      leave existing target files alone
  -d, --create-dir        create a missing target directory, parents included
  -r, --recursive         copy sub-directories and their contents too
  -L, --dereference       with -r, follow symbolic links to directories
  -j, --jobs N            with -r, copy up to N directories at a time
                          (default: one per processor, at most 4); only
                          where nothing is drawn or asked: the progress bar,
                          -i, --gui and --trace keep to one at a time
  -i, --interactive       ask in the terminal: messages, the missing-directory
                          question and the overwrite dialog, answered on
                          standard input
      --gui               show the run in a progress window with a Cancel
                          button; with -i, ask every question and show every
                          message as a window instead of in the terminal
      --form FILE         read the settings from a form file first; options
                          and operands given here override it
      --save-form FILE    write the settings to a form file; copy nothing
                          unless sources and target are given as well
      --list              print the files the sources select (attribute
                          word, a tab, the name) and copy nothing
      --dry-run           print what a run would do, one line each (copy,
                          overwrite, skip-existing, create-dir, expand, move
                          SOURCE -> TARGET), and write nothing
      --trace             print every event as one JSON object per line
  -q, --quiet             print nothing but errors
      --about             show the About box (as text, or a window with --gui)
  -h, --help              show this help
      --version           show the version

Without -i nothing waits for an answer: errors are printed as
"quindle: <message>" on standard error, followed by the file and the system's
reason when there is one; a missing target directory is an error unless -d
creates it, existing targets are overwritten unless -n is given, and a file
this run has written is never overwritten by a later one of the same run.
Where no window can be opened, --gui says so once and works in the terminal.
Ctrl-C, SIGTERM and SIGHUP stop the run at once (exit status 130, 143, 129).

Exit status: 0 when no error was reported, 1 when any was (including a failed
validation), 2 for a usage error or a form file that cannot be read.
)";
}

}  // namespace quindle::cli
