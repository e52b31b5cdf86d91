// SPDX-License-Identifier: MIT
#include "cli/run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_set>
#include <vector>

#include "cli/cli_widgetset.h"
#include "cli/gui.h"
#include "cli/plan.h"
#include "cli/progress_bar.h"
#include "cli/trace.h"
#include "engine/form_file.h"
#include "rtl/files/console.h"
#include "rtl/ui/dialogs.h"

namespace quindle::cli {

namespace {

// A form file that cannot be read: a usage error, reported with its line.
class EFormError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

void ApplyAttributes(TQuindle& Quindle, const TAttributeSet& Set) {
  TSrcFileTypes Types;
  Types.SetNormal(Set.Normal);
  Types.SetReadOnly(Set.ReadOnly);
  Types.SetHidden(Set.Hidden);
  Types.SetSystem(Set.System);
  Types.SetArchive(Set.Archive);
  Types.SetDirectories(Set.Directories);
  Types.SetAnyFile(Set.AnyFile);
  Quindle.SetSrcFileTypes(&Types);
}

// Operands replace what the form holds: with --list they are all sources;
// otherwise the last one is the target and any before it are the sources.
void ApplyOperands(TQuindle& Quindle, const TCliOptions& O) {
  if (O.Operands.empty()) return;
  const size_t SourceCount = O.List ? O.Operands.size() : O.Operands.size() - 1;
  if (SourceCount > 0) {
    // Filled in place: writing the list through SetMultiSrcFN would list the
    // sources once more than the run itself does.
    rtl::TStringList& Sources = *Quindle.SourceFilenames();
    Sources.Clear();
    for (size_t I = 0; I < SourceCount; ++I) Sources.Add(O.Operands[I]);
  }
  if (!O.List) Quindle.SetTargetFilename(O.Operands.back());
}

// The component's settings: the form file first, then the options given.
void Configure(TQuindle& Quindle, const TCliOptions& O) {
  if (!O.FormFile.empty()) {
    try {
      LoadQuindleForm(Quindle, O.FormFile);
    } catch (const std::exception& E) {
      throw EFormError(E.what());
    }
  }
  if (O.Method) Quindle.SetCopyType(*O.Method);
  if (O.Attributes) ApplyAttributes(Quindle, *O.Attributes);
  if (O.Validate) Quindle.SetValidate(true);
  if (O.NoOverwrite) Quindle.SetOverwriteIfExist(false);
  if (O.CreateDir) Quindle.SetCreateTgtDir(true);
  ApplyOperands(Quindle, O);
}

// Gives the component the entries and target of one run of a walk. The list
// is filled in place: writing it through SetMultiSrcFN would list the
// sources once more than the run itself does.
void ApplyLevel(TQuindle& Quindle, const TLevel& Level) {
  rtl::TStringList& Sources = *Quindle.SourceFilenames();
  Sources.Clear();
  for (const std::string& S : Level.Sources) Sources.Add(S);
  Quindle.SetTargetFilename(Level.Target);
}

void PrintListing(TQuindle& Quindle) {
  // Writing the list back rebuilds the listing with the final filter.
  Quindle.SetMultiSrcFN(Quindle.SourceFilenames());
  const rtl::TStringList& Files = Quindle.FileList();
  const rtl::TStringList& Attrs = Quindle.AttrList();
  for (int I = 0; I < Files.Count(); ++I) std::cout << Attrs[I] << '\t' << Files[I] << '\n';
}

// A message of the command's own on standard error when nobody is asked:
// a carriage return would move the cursor on a terminal and hide the start
// of the line, so it never goes out as it is.
std::string Printable(std::string Text, bool Terminal) {
  std::replace(Text.begin(), Text.end(), '\r', Terminal ? '\n' : ' ');
  return Text;
}

// --list with -r: the listing of every run of the walk.
int PrintWalkListing(TQuindle& Quindle, const TPlan& Plan) {
  const bool Terminal = rtl::IsTerminal(rtl::TStdStream::Error);
  for (const TLevel& L : Plan.Levels) {
    if (!L.Problem.empty()) {
      std::cout.flush();
      std::cerr << "quindle: " << Printable(L.Problem, Terminal) << '\n';
      continue;
    }
    ApplyLevel(Quindle, L);
    PrintListing(Quindle);
  }
  return kExitOk;
}

// --dry-run: one line per step on standard output, the problems a run would
// report on standard error, in the order the run would meet them.
int PrintDryRun(const TPlan& Plan) {
  const bool Terminal = rtl::IsTerminal(rtl::TStdStream::Error);
  for (const TStep& S : Plan.Steps) {
    if (!S.Problem.empty()) {
      std::cout.flush();
      std::cerr << "quindle: " << Printable(S.Problem, Terminal) << '\n';
    } else if (S.Source.empty()) {
      std::cout << StepName(S.Kind) << ' ' << S.Target << '\n';
    } else {
      std::cout << StepName(S.Kind) << ' ' << S.Source << " -> " << S.Target << '\n';
    }
  }
  return Plan.HasProblems() ? kExitErrors : kExitOk;
}

// A name as a key: one spelling for "dst//a" and "dst/./a". Most names are
// spelled plainly already and are taken as they are.
std::string NameKey(const std::string& Name) {
  const bool Plain = Name.find("//") == std::string::npos && Name.find("./") == std::string::npos &&
                     Name.find("/.") == std::string::npos && Name != "." && Name != "..";
  return Plain ? Name : std::filesystem::path(Name).lexically_normal().string();
}

// The event each condition is reported through, in the order of TCondition.
constexpr const char* kEventNames[] = {
    "OnAfterCopyFile",      "OnBeforeCopyFile",  "OnCannotCreateTgtDir",
    "OnCopyToSelfError",    "OnDirNotExist",     "OnFinished",
    "OnFailValidate",       "OnLZCopyError",     "OnMoveFileError",
    "OnMoveToSelfError",    "OnOpenSrcError",    "OnOpenTgtError",
    "OnOverwriteCancelled", "OnProgressChange",  "OnSetAttr",
    "OnSrcFileError",       "OnSrcFileNotExist", "OnStart",
    "OnTgtFileError",       "OnTgtFileExists",
};
static_assert(std::size(kEventNames) == static_cast<size_t>(TCondition::TgtFileExists) + 1);

const char* EventName(TCondition What) {
  return kEventNames[static_cast<size_t>(What)];
}

// The most directories a walk copies at a time.
constexpr unsigned kMaxJobs = 64;

// The interrupt that arrived (a TInterrupt), or -1; and the components it
// stops: the command's own in the first slot, those copying directories side
// by side in the others. All are lock-free atomics, which a signal handler
// may touch.
std::atomic<int> GInterrupt{-1};
std::atomic<TQuindle*> GRunning[kMaxJobs + 1];
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<TQuindle*>::is_always_lock_free);

void OnInterrupt(rtl::TInterrupt Why) {
  int None = -1;
  GInterrupt.compare_exchange_strong(None, static_cast<int>(Why));
  for (auto& Slot : GRunning)
    if (TQuindle* Quindle = Slot.load()) Quindle->Abort();
  // A question waiting for its answer (-i) returns as at the end of input,
  // so that the run reaches its next test; nothing more is read.
  rtl::EndInput();
}

// Ctrl-C, SIGTERM and SIGHUP stop the runs while this lives; afterwards the
// system's default comes back.
class TInterruptScope {
 public:
  explicit TInterruptScope(TQuindle& Quindle) {
    GInterrupt.store(-1);
    GRunning[0].store(&Quindle);
    rtl::SetInterruptHandler(OnInterrupt);
  }
  ~TInterruptScope() {
    rtl::SetInterruptHandler(nullptr);
    GRunning[0].store(nullptr);
  }
  TInterruptScope(const TInterruptScope&) = delete;
  TInterruptScope& operator=(const TInterruptScope&) = delete;

  static bool Interrupted() { return GInterrupt.load() >= 0; }
};

// What one run of a walk would print, kept while runs go on side by side:
// the lines in order, each an error (for standard error, through the
// widgetset) or the line of a file copied (for standard output).
struct TLevelOutput {
  struct TLine {
    bool Error;
    std::string Text;
  };
  std::vector<TLine> Lines;
  // The message of an exception that left the run, which ends the command.
  std::string Failure;
  bool Done = false;
};

// The handlers the command binds. Every error is counted and shown as the
// component would show it without a handler: its default text in an
// information box with an OK button, through the widgetset, followed by the
// file and the system's reason when there is one.
class TRunReporter {
 public:
  TRunReporter(TQuindle& Quindle, const TCliOptions& O, TProgressBar& Bar, TTraceWriter* Trace)
      : FQuindle(Quindle),
        FOptions(O),
        FBar(Bar),
        FTrace(Trace),
        FOverwrite(Quindle.OverwriteIfExist()) {}

  void Bind();
  // The errors reported so far.
  int Errors() const { return FErrors; }
  // True once a run has ended early (an empty entry or target, a source
  // without matches): a walk goes no further.
  bool EndedEarly() const { return FEndedEarly; }
  // Reports an error of the command's own, counted like the component's.
  void Problem(const std::string& Text) {
    ++FErrors;
    if (FOutput != nullptr)
      FOutput->Lines.push_back({true, Text});
    else
      rtl::MessageDlg(Text, rtl::mtInformation, {rtl::mbOK}, 0);
  }
  // Keeps what the reporter would print in Output, or prints it (nullptr).
  void KeepOutput(TLevelOutput* Output) { FOutput = Output; }

 private:
  void Notify(const char* Name) {
    if (FTrace != nullptr) FTrace->Event(Name, FQuindle.Progress());
  }
  void NotifyFile(const char* Name, const std::string& Src, const std::string& Tgt) {
    if (FTrace != nullptr) FTrace->FileEvent(Name, FQuindle.Progress(), Src, Tgt);
  }
  void Error();
  void DirNotExist();
  void TgtFileExists();
  bool MakeParents();
  void BeforeCopy(const std::string& Src, const std::string& Tgt);
  void AfterCopy(const std::string& Src, const std::string& Tgt);

  TQuindle& FQuindle;
  const TCliOptions& FOptions;
  TProgressBar& FBar;
  TTraceWriter* FTrace;
  // OverwriteIfExist as the options and the form set it; the handler of
  // OnTgtFileExists puts it back for every file after declining one.
  const bool FOverwrite;
  int FErrors = 0;
  int FErrorsBeforeFile = 0;
  bool FEndedEarly = false;
  // The targets this invocation has started to write, by NameKey.
  std::unordered_set<std::string> FWritten;
  TLevelOutput* FOutput = nullptr;
};

void TRunReporter::Bind() {
  using rtl::TObject;
  FQuindle.SetOnStart([this](TObject*) {
    Notify("OnStart");
    // An interrupt between two runs of a walk is not lost: the component
    // drops a request made before its run starts.
    if (TInterruptScope::Interrupted()) FQuindle.Abort();
  });
  FQuindle.SetOnFinished([this](TObject*) {
    Notify("OnFinished");
    FBar.Clear();
  });
  FQuindle.SetOnProgressChange([this](TObject*) {
    Notify("OnProgressChange");
    FBar.SetPercent(FQuindle.Progress());
  });
  // The bar moves within a long file; the trace keeps to the design's events.
  FQuindle.SetOnByteProgress([this](TObject*, const TByteProgress& P) {
    FBar.SetFileBytes(static_cast<int64_t>(P.Done),
                      P.Phase == TByteProgress::TPhase::Validate ? 1 : 0);
  });
  FQuindle.SetOnOverwriteCancelled([this](TObject*) {
    const TConditionRecord& C = FQuindle.Condition();
    NotifyFile("OnOverwriteCancelled", C.SrcFileName, C.TgtFileName);
  });
  FQuindle.SetOnBeforeCopyFile(
      [this](TObject*, std::string Src, std::string Tgt) { BeforeCopy(Src, Tgt); });
  FQuindle.SetOnAfterCopyFile(
      [this](TObject*, std::string Src, std::string Tgt) { AfterCopy(Src, Tgt); });
  FQuindle.SetOnSetAttr([this](TObject*, std::string File, int32_t& Attr, rtl::TDateTime&) {
    if (FTrace != nullptr) FTrace->SetAttr(FQuindle.Progress(), File, Attr);
  });
  for (auto SetHandler :
       {&TQuindle::SetOnSrcFileError, &TQuindle::SetOnTgtFileError, &TQuindle::SetOnCopyToSelfError,
        &TQuindle::SetOnMoveToSelfError, &TQuindle::SetOnSrcFileNotExist,
        &TQuindle::SetOnOpenSrcError, &TQuindle::SetOnOpenTgtError, &TQuindle::SetOnLZCopyError,
        &TQuindle::SetOnMoveFileError, &TQuindle::SetOnFailValidate,
        &TQuindle::SetOnCannotCreateTgtDir})
    (FQuindle.*SetHandler)([this](TObject*) { Error(); });
  FQuindle.SetOnDirNotExist([this](TObject*) { DirNotExist(); });
  // With -i the overwrite dialog asks; otherwise OverwriteIfExist decides,
  // except for a file this invocation wrote itself.
  if (!FOptions.Interactive) FQuindle.SetOnTgtFileExists([this](TObject*) { TgtFileExists(); });
}

void TRunReporter::Error() {
  const TConditionRecord& C = FQuindle.Condition();
  // A walk takes a sub-directory that exists already as it is, as mkdir -p
  // does: it is where the files of that level go.
  const bool Existing = FOptions.Recursive && C.What == TCondition::CannotCreateTgtDir &&
                        rtl::DirectoryExists(C.TgtFileName);
  std::vector<TTraceWriter::TField> Fields = {{"progress", int64_t{FQuindle.Progress()}},
                                              {"source", C.SrcFileName},
                                              {"target", C.TgtFileName}};
  std::string Text = C.Text;
  if (C.Error) {
    const std::string Reason = C.Error.message();
    Fields.emplace_back("file", C.ErrorFileName);
    Fields.emplace_back("reason", Reason);
    Fields.emplace_back("errno", int64_t{C.Error.value()});
    Text += " (" + C.ErrorFileName + ": " + Reason + ")";
  }
  if (FTrace != nullptr) FTrace->Line(EventName(C.What), Fields);
  if (Existing) return;
  if (C.What == TCondition::SrcFileError || C.What == TCondition::TgtFileError ||
      C.What == TCondition::SrcFileNotExist)
    FEndedEarly = true;
  Problem(Text);
}

// The whole missing path is made: the command the parents, the component
// the last level. False, with the error reported, when a parent cannot be.
bool TRunReporter::MakeParents() {
  const std::string Dir = rtl::ExtractFileDir(FQuindle.TargetFilename());
  const std::string Parent = std::filesystem::path(Dir).parent_path().string();
  std::error_code Ec;
  if (Parent.empty() || std::filesystem::create_directories(Parent, Ec) || !Ec) return true;
  Problem(DefaultText(TCondition::CannotCreateTgtDir, std::string(), Dir) + " (" + Parent + ": " +
          Ec.message() + ")");
  return false;
}

void TRunReporter::DirNotExist() {
  Notify("OnDirNotExist");
  if (FOptions.Interactive) {
    // The component's own question, answered in the terminal or a window.
    const int Answer =
        rtl::MessageDlg(FQuindle.Condition().Text, rtl::mtInformation, {rtl::mbYes, rtl::mbNo}, 0);
    FQuindle.SetCreateTgtDir(Answer == rtl::mrYes);
    if (Answer == rtl::mrYes && !MakeParents()) FQuindle.SetCreateTgtDir(false);
    return;
  }
  if (FQuindle.CreateTgtDir()) {
    if (!MakeParents()) FQuindle.SetCreateTgtDir(false);
    return;
  }
  Problem("target directory '" + rtl::ExtractFilePath(FQuindle.TargetFilename()) +
          "' does not exist (use -d to create it)");
}

void TRunReporter::TgtFileExists() {
  const TConditionRecord& C = FQuindle.Condition();
  NotifyFile("OnTgtFileExists", C.SrcFileName, C.TgtFileName);
  if (FWritten.count(NameKey(C.TgtFileName)) == 0) {
    FQuindle.SetOverwriteIfExist(FOverwrite);
    return;
  }
  FQuindle.SetOverwriteIfExist(false);
  Problem("will not overwrite just-created '" + C.TgtFileName + "' with '" + C.SrcFileName + "'");
}

void TRunReporter::BeforeCopy(const std::string& Src, const std::string& Tgt) {
  NotifyFile("OnBeforeCopyFile", Src, Tgt);
  FWritten.insert(NameKey(Tgt));
  FErrorsBeforeFile = FErrors;
  FBar.StartFile(Src, FQuindle.SizeFile());
}

// One line per file copied without an error; failures have had their message.
// Standard output is buffered as the C library buffers it (by line on a
// terminal, in blocks on a pipe or file); standard error is tied to it, so a
// message still follows the lines of the files copied before it.
void TRunReporter::AfterCopy(const std::string& Src, const std::string& Tgt) {
  NotifyFile("OnAfterCopyFile", Src, Tgt);
  FBar.EndFile();
  if (FOptions.Quiet || FTrace != nullptr) return;
  if (FErrors != FErrorsBeforeFile) return;
  if (FOutput != nullptr) {
    FOutput->Lines.push_back({false, Src + " -> " + Tgt});
    return;
  }
  FBar.Clear();
  std::cout << Src << " -> " << Tgt << '\n';
}

// Makes the target directory of a run that the component does not create
// itself: a sub-directory of a walk, or the operands' target when no run
// over the operands is made. False, with the error reported, when it is
// missing and cannot be made.
bool MakeWalkTarget(TQuindle& Quindle, const TLevel& Level, bool Top, TRunReporter& Reporter) {
  if (!TargetIsDirectory(Level.Target)) return true;
  const std::string Dir =
      rtl::ExtractFileDir(Level.Target + (rtl::IsPathDelimiter(Level.Target.back()) ? "" : "/"));
  if (rtl::DirectoryExists(Dir)) return true;
  if (Top && !Quindle.CreateTgtDir()) {
    Reporter.Problem("target directory '" + Dir + "/' does not exist (use -d to create it)");
    return false;
  }
  std::error_code Ec;
  std::filesystem::create_directories(Dir, Ec);
  if (!Ec) return true;
  Reporter.Problem(DefaultText(TCondition::CannotCreateTgtDir, std::string(), Dir) + " (" + Dir +
                   ": " + Ec.message() + ")");
  return false;
}

// One run of a walk, started by Execute once its target is there. False
// when the walk is to go no further: the first run's target cannot be made,
// or a run ended early.
template <class ExecuteFn>
bool RunLevel(TQuindle& Quindle, const TLevel& Level, bool Top, TRunReporter& Reporter,
              ExecuteFn Execute) {
  if (!Level.Problem.empty()) {
    Reporter.Problem(Level.Problem);
    return true;
  }
  if ((!Top || !Level.Run) && !MakeWalkTarget(Quindle, Level, Top, Reporter)) return !Top;
  if (!Level.Run) return true;
  ApplyLevel(Quindle, Level);
  Execute();
  return !Reporter.EndedEarly();
}

// What the command's components need for its runs: messages shown through
// its handlers, and no listing, which nothing of the command reads.
void SetUpForRuns(TQuindle& Quindle) {
  Quindle.SetShowMessages(true);
  Quindle.SetListFiles(false);
}

// How many runs of a walk may go on at a time. One wherever something is
// drawn or asked as the run goes (the bar, windows, questions, the trace),
// and where two runs would write into one directory: their order decides
// which file is refused as just-created.
unsigned JobsFor(const TCliOptions& O, const TPlan& Plan, bool Drawn) {
  if (!O.Recursive || O.Interactive || O.Gui || O.Trace || Drawn || Plan.Levels.size() < 3)
    return 1;
  const unsigned Jobs = O.Jobs ? *O.Jobs : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  if (Jobs <= 1) return 1;
  std::unordered_set<std::string> Targets;
  for (const TLevel& L : Plan.Levels)
    if (!Targets.insert(NameKey(L.Target)).second) return 1;
  return std::min<unsigned>(Jobs, kMaxJobs);
}

// A component of its own, configured as the command's, with its reporter,
// for runs that go on beside the others.
class TSideRunner {
 public:
  explicit TSideRunner(const TCliOptions& O) : Bar(std::cerr, false, 80) {
    Quindle.SetName("Quindle1");
    Configure(Quindle, O);
    SetUpForRuns(Quindle);
    Reporter.emplace(Quindle, O, Bar, nullptr);
    Reporter->Bind();
  }
  TQuindle Quindle{nullptr};
  TProgressBar Bar;
  std::optional<TRunReporter> Reporter;
};

// The runs of a walk after the first, Jobs at a time, each on a side runner.
// Each run's lines are kept and printed here in the walk's order, as runs one
// after another would print them; a run that ends the walk lets the runs
// already under way finish. Adds the errors reported to Errors; false when a
// run ended with an exception, printed as the command's last message.
bool RunSideBySide(const TCliOptions& O, const TPlan& Plan, unsigned Jobs, int& Errors) {
  const size_t Count = Plan.Levels.size();
  std::vector<std::unique_ptr<TSideRunner>> Runners;
  for (unsigned J = 0; J < std::min<size_t>(Jobs, Count - 1); ++J)
    Runners.push_back(std::make_unique<TSideRunner>(O));
  std::vector<TLevelOutput> Outputs(Count);
  std::mutex Mutex;
  std::condition_variable Changed;
  size_t Next = 1;  // the next run to take; these three under Mutex
  bool Stop = false;
  size_t Working = 0;  // runners started and not yet done
  auto Work = [&](TSideRunner& R, size_t Slot) {
    GRunning[Slot].store(&R.Quindle);
    for (;;) {
      size_t I;
      {
        std::lock_guard<std::mutex> Lock(Mutex);
        if (Stop || Next >= Count || TInterruptScope::Interrupted()) break;
        I = Next++;
      }
      TLevelOutput& Out = Outputs[I];
      R.Reporter->KeepOutput(&Out);
      bool Go = false;
      try {
        Go = RunLevel(R.Quindle, Plan.Levels[I], false, *R.Reporter, [&R] { R.Quindle.Execute(); });
      } catch (const std::exception& E) {
        Out.Failure = E.what();
      }
      {
        std::lock_guard<std::mutex> Lock(Mutex);
        Out.Done = true;
        Stop = Stop || !Go;
      }
      Changed.notify_all();
    }
    GRunning[Slot].store(nullptr);
    {
      std::lock_guard<std::mutex> Lock(Mutex);
      --Working;
    }
    Changed.notify_all();
  };
  // Whatever way this function is left, no further run starts and every
  // thread is joined first.
  std::vector<std::thread> Threads;
  struct TJoin {
    std::vector<std::thread>& Threads;
    std::mutex& Mutex;
    bool& Stop;
    ~TJoin() {
      {
        std::lock_guard<std::mutex> Lock(Mutex);
        Stop = true;
      }
      for (std::thread& T : Threads) T.join();
    }
  } Join{Threads, Mutex, Stop};
  for (size_t J = 0; J < Runners.size(); ++J) {
    {
      std::lock_guard<std::mutex> Lock(Mutex);
      ++Working;
    }
    try {
      Threads.emplace_back(Work, std::ref(*Runners[J]), J + 1);
    } catch (...) {
      std::lock_guard<std::mutex> Lock(Mutex);
      --Working;
      if (!Threads.empty()) break;  // fewer runners, then
      throw;
    }
  }

  std::string Failure;
  for (size_t I = 1; I < Count && Failure.empty(); ++I) {
    {
      std::unique_lock<std::mutex> Lock(Mutex);
      Changed.wait(Lock, [&] { return Outputs[I].Done || (I >= Next && Working == 0); });
      if (!Outputs[I].Done) break;  // never taken: the walk stopped before it
    }
    for (const TLevelOutput::TLine& L : Outputs[I].Lines) {
      if (L.Error)
        rtl::MessageDlg(L.Text, rtl::mtInformation, {rtl::mbOK}, 0);
      else
        std::cout << L.Text << '\n';
    }
    std::vector<TLevelOutput::TLine>().swap(Outputs[I].Lines);
    Failure = Outputs[I].Failure;
  }
  {
    std::lock_guard<std::mutex> Lock(Mutex);
    Stop = true;
  }
  for (std::thread& T : Threads) T.join();
  Threads.clear();
  for (const auto& R : Runners) Errors += R->Reporter->Errors();
  if (Failure.empty()) return true;
  std::cerr << "quindle: " << Failure << '\n';
  return false;
}

int Execute(TQuindle& Quindle, const TCliOptions& O, const TPlan& Plan) {
  const bool Terminal = rtl::IsTerminal(rtl::TStdStream::Error);
  rtl::TWidgetSet* Windows = O.Gui ? OpenWindows() : nullptr;
  const bool Drawn = Terminal && !O.Quiet && !O.Trace && Windows == nullptr;
  TProgressBar Bar(std::cerr, Drawn, TerminalWidth());
  Bar.SetTotals(Plan.Files, Plan.Bytes, Quindle.Validate() ? 3 : 1);
  TTraceWriter Trace(std::cout);
  TTraceWriter* TraceOrNull = O.Trace ? &Trace : nullptr;
  rtl::TConsoleOptions Console;
  Console.Interactive = O.Interactive;
  Console.MessagePrefix = "quindle: ";
  TCliWidgetSet WidgetSet(Console, Terminal, Bar, TraceOrNull);
  rtl::TWidgetSetScope Scope(WidgetSet);
  SetUpForRuns(Quindle);
  TRunReporter Reporter(Quindle, O, Bar, TraceOrNull);
  Reporter.Bind();
  TInterruptScope Interrupts(Quindle);
  const unsigned Jobs = JobsFor(O, Plan, Drawn);
  int SideErrors = 0;
  try {
    for (size_t I = 0; I < Plan.Levels.size() && !TInterruptScope::Interrupted(); ++I) {
      if (I == 1 && Jobs > 1) {
        if (!RunSideBySide(O, Plan, Jobs, SideErrors)) return kExitErrors;
        break;
      }
      const bool Go = RunLevel(Quindle, Plan.Levels[I], I == 0, Reporter, [&] {
        if (Windows != nullptr)
          ExecuteInWindow(Quindle, WidgetSet, *Windows, O.Interactive);
        else
          Quindle.Execute();
      });
      if (!Go) break;
    }
  } catch (const std::exception& E) {
    Bar.Clear();
    std::cerr << "quindle: " << E.what() << '\n';
    return kExitErrors;
  }
  Bar.Clear();
  const int Why = GInterrupt.load();
  if (Why >= 0) return rtl::InterruptExitStatus(static_cast<rtl::TInterrupt>(Why));
  return Reporter.Errors() + SideErrors == 0 ? kExitOk : kExitErrors;
}

}  // namespace

int RunCommand(const TCliOptions& O) {
  TQuindle Quindle(nullptr);
  // The name a form designer would give the first one; a form read later
  // brings its own.
  Quindle.SetName("Quindle1");
  try {
    Configure(Quindle, O);
  } catch (const EFormError& E) {
    std::cerr << "quindle: " << E.what() << '\n';
    return kExitUsage;
  }
  if (!O.SaveFormFile.empty()) {
    // Saved before the run, which may change TargetFilename and the answers.
    try {
      SaveQuindleForm(Quindle, O.SaveFormFile);
    } catch (const std::exception& E) {
      std::cerr << "quindle: " << E.what() << '\n';
      return kExitErrors;
    }
  }
  if (O.List && !O.Recursive) {
    PrintListing(Quindle);
    return kExitOk;
  }
  if (!O.List && !O.SaveFormFile.empty() && O.Operands.size() < 2) return kExitOk;
  // The steps are printed by a dry run and sized by the bar; otherwise only
  // the walk and the refusal are needed.
  const bool Bar = rtl::IsTerminal(rtl::TStdStream::Error) && !O.Quiet && !O.Trace && !O.Gui;
  const TPlan Plan = MakePlan(Quindle, O, O.DryRun || O.List || Bar);
  if (O.List) return PrintWalkListing(Quindle, Plan);
  if (!Plan.Refusal.empty()) {
    std::cerr << "quindle: " << Plan.Refusal << '\n';
    return kExitErrors;
  }
  if (O.DryRun) return PrintDryRun(Plan);
  return Execute(Quindle, O, Plan);
}

}  // namespace quindle::cli
