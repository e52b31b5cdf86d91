// SPDX-License-Identifier: MIT
#include "cli/run.h"

#include <exception>
#include <iostream>

#include "cli/cli_widgetset.h"
#include "cli/gui.h"
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

void PrintListing(TQuindle& Quindle) {
  // Writing the list back rebuilds the listing with the final filter.
  Quindle.SetMultiSrcFN(Quindle.SourceFilenames());
  const rtl::TStringList& Files = Quindle.FileList();
  const rtl::TStringList& Attrs = Quindle.AttrList();
  for (int I = 0; I < Files.Count(); ++I) std::cout << Attrs[I] << '\t' << Files[I] << '\n';
}

// The handlers the command binds. Every error is counted and shown as the
// component would show it without a handler: its default text in an
// information box with an OK button, through the widgetset.
class TRunReporter {
 public:
  TRunReporter(TQuindle& Quindle, const TCliOptions& O, TProgressBar& Bar, TTraceWriter* Trace)
      : FQuindle(Quindle), FOptions(O), FBar(Bar), FTrace(Trace) {}

  void Bind();
  // The errors reported so far.
  int Errors() const { return FErrors; }

 private:
  void Notify(const char* Name) {
    if (FTrace != nullptr) FTrace->Event(Name, FQuindle.Progress());
  }
  void NotifyFile(const char* Name, const std::string& Src, const std::string& Tgt) {
    if (FTrace != nullptr) FTrace->FileEvent(Name, FQuindle.Progress(), Src, Tgt);
  }
  void Error();
  void DirNotExist();
  void BeforeCopy(const std::string& Src, const std::string& Tgt);
  void AfterCopy(const std::string& Src, const std::string& Tgt);

  TQuindle& FQuindle;
  const TCliOptions& FOptions;
  TProgressBar& FBar;
  TTraceWriter* FTrace;
  int FErrors = 0;
  int FErrorsBeforeFile = 0;
};

void TRunReporter::Bind() {
  using rtl::TObject;
  FQuindle.SetOnStart([this](TObject*) { Notify("OnStart"); });
  FQuindle.SetOnFinished([this](TObject*) {
    Notify("OnFinished");
    FBar.Clear();
  });
  FQuindle.SetOnProgressChange([this](TObject*) {
    Notify("OnProgressChange");
    FBar.SetPercent(FQuindle.Progress());
  });
  FQuindle.SetOnOverwriteCancelled([this](TObject*) { Notify("OnOverwriteCancelled"); });
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
  if (FOptions.Interactive) return;
  // Nobody is asked: the handlers leave CreateTgtDir and OverwriteIfExist as
  // the form and the options set them, and the component goes by those.
  FQuindle.SetOnDirNotExist([this](TObject*) { DirNotExist(); });
  FQuindle.SetOnTgtFileExists([this](TObject*) { Notify("OnTgtFileExists"); });
}

void TRunReporter::Error() {
  ++FErrors;
  rtl::MessageDlg(FQuindle.Condition().Text, rtl::mtInformation, {rtl::mbOK}, 0);
}

// Not an error: the user chose not to create it. Said anyway, so that a run
// that copies nothing does not pass unnoticed.
void TRunReporter::DirNotExist() {
  Notify("OnDirNotExist");
  if (FQuindle.CreateTgtDir() || FOptions.Quiet || FTrace != nullptr) return;
  FBar.Clear();
  std::cerr << "quindle: directory " << rtl::ExtractFilePath(FQuindle.TargetFilename())
            << " does not exist; nothing copied (-d creates it)\n";
}

void TRunReporter::BeforeCopy(const std::string& Src, const std::string& Tgt) {
  NotifyFile("OnBeforeCopyFile", Src, Tgt);
  FErrorsBeforeFile = FErrors;
  FBar.SetFile(Src);
}

// One line per file copied without an error; failures have had their message.
// Standard output is buffered as the C library buffers it (by line on a
// terminal, in blocks on a pipe or file); standard error is tied to it, so a
// message still follows the lines of the files copied before it.
void TRunReporter::AfterCopy(const std::string& Src, const std::string& Tgt) {
  NotifyFile("OnAfterCopyFile", Src, Tgt);
  if (FOptions.Quiet || FTrace != nullptr) return;
  if (FErrors != FErrorsBeforeFile) return;
  FBar.Clear();
  std::cout << Src << " -> " << Tgt << '\n';
}

int Execute(TQuindle& Quindle, const TCliOptions& O) {
  const bool Terminal = rtl::IsTerminal(rtl::TStdStream::Error);
  rtl::TWidgetSet* Windows = O.Gui ? OpenWindows() : nullptr;
  TProgressBar Bar(std::cerr, Terminal && !O.Quiet && !O.Trace && Windows == nullptr,
                   TerminalWidth());
  TTraceWriter Trace(std::cout);
  TTraceWriter* TraceOrNull = O.Trace ? &Trace : nullptr;
  rtl::TConsoleOptions Console;
  Console.Interactive = O.Interactive;
  Console.MessagePrefix = "quindle: ";
  TCliWidgetSet WidgetSet(Console, Terminal, Bar, TraceOrNull);
  rtl::TWidgetSetScope Scope(WidgetSet);
  Quindle.SetShowMessages(true);
  TRunReporter Reporter(Quindle, O, Bar, TraceOrNull);
  Reporter.Bind();
  try {
    if (Windows != nullptr)
      ExecuteInWindow(Quindle, WidgetSet, *Windows, O.Interactive);
    else
      Quindle.Execute();
  } catch (const std::exception& E) {
    Bar.Clear();
    std::cerr << "quindle: " << E.what() << '\n';
    return kExitErrors;
  }
  return Reporter.Errors() == 0 ? kExitOk : kExitErrors;
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
  if (O.List) {
    PrintListing(Quindle);
    return kExitOk;
  }
  if (!O.SaveFormFile.empty() && O.Operands.size() < 2) return kExitOk;
  return Execute(Quindle, O);
}

}  // namespace quindle::cli
