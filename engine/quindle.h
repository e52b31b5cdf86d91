// SPDX-License-Identifier: MIT
// TQuindle: a non-visual component that copies, moves or LZ-expands the files
// that its source entries select, stamps their dates and attributes, can
// verify each copy by CRC-32, and reports everything through twenty events.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include "engine/export.h"
#include "rtl/core/classes.h"
#include "rtl/files/fileutils.h"

namespace quindle {

namespace detail {
enum class TMoveFailure : uint8_t;  // engine/transfer.h
}  // namespace detail

class TQDAboutBox;  // the About box of the design host (dialogs)

enum TCopyType : uint8_t { ctStream, ctBlock, ctLZCopy, ctMove };

// Every transfer method once, in the order of its value: the name a form file
// stores it under and the name the command line takes.
struct TCopyTypeName {
  TCopyType Value;
  const char* FormName;
  const char* CommandName;
};
inline constexpr TCopyTypeName kCopyTypes[] = {
    {ctStream, "ctStream", "stream"},
    {ctBlock, "ctBlock", "block"},
    {ctLZCopy, "ctLZCopy", "lz"},
    {ctMove, "ctMove", "move"},
};

// The conditions a run reports, one for each of the twenty events (named
// after the event without its "On").
enum class TCondition : uint8_t {
  AfterCopyFile,
  BeforeCopyFile,
  CannotCreateTgtDir,
  CopyToSelfError,
  DirNotExist,
  Finished,
  FailValidate,
  LZCopyError,
  MoveFileError,
  MoveToSelfError,
  OpenSrcError,
  OpenTgtError,
  OverwriteCancelled,
  ProgressChange,
  SetAttr,
  SrcFileError,
  SrcFileNotExist,
  Start,
  TgtFileError,
  TgtFileExists,
};

// True for the eleven errors: the conditions whose default message is an
// information box with an OK button.
QUINDLE_ENGINE_EXPORT bool IsErrorCondition(TCondition What);

// The default message of a condition, made from the names it carries (see
// TConditionRecord); empty for a condition that has none. The same text the
// component shows when no handler is assigned and ShowMessages is on.
QUINDLE_ENGINE_EXPORT std::string DefaultText(TCondition What, const std::string& SrcFileName,
                                              const std::string& TgtFileName);

// The condition being reported, as data. Filled before every dispatch, so a
// handler (or a widgetset showing the default message) reads the condition
// it was called for; afterwards it holds the last one reported (before the
// first, Start with nothing else set).
//
// SrcFileName and TgtFileName are the names the condition concerns:
// - the run (Start, Finished, DirNotExist, the final ProgressChange): no
//   source, TargetFilename as target;
// - an entry (SrcFileError, TgtFileError, CopyToSelfError, MoveToSelfError,
//   SrcFileNotExist): the entry as searched, TargetFilename;
// - a file (BeforeCopyFile, AfterCopyFile, TgtFileExists, OverwriteCancelled,
//   ProgressChange during a transfer, SetAttr, OpenSrcError, LZCopyError,
//   MoveFileError, FailValidate): the source and target file (for SetAttr the
//   file about to be stamped, a created directory included);
// - OpenTgtError: the source file and TargetFilename as set, which for a
//   directory target is the directory; the file the system refused is in
//   ErrorFileName;
// - CannotCreateTgtDir: no source, the directory as target.
// Text is DefaultText(What, SrcFileName, TgtFileName), except for a
// MoveFileError that keeps a move's source for another reason than its
// read-only bit (a source that cannot be deleted, a date that cannot be set,
// a target that is not a regular file): its text says what failed, and Error
// holds the system's reason when there is one.
struct TConditionRecord {
  TCondition What = TCondition::Start;
  // The system's reason, when the system gave one (a source that cannot be
  // opened or read, a target that cannot be created, written or closed);
  // empty otherwise, as for a failure an application handler raised.
  std::error_code Error;
  // The file Error concerns: the target when a write failed, the source
  // when a read failed. Empty when Error is.
  std::string ErrorFileName;
  std::string SrcFileName;
  std::string TgtFileName;
  std::string Text;
};

using TNotifyEvent = std::function<void(rtl::TObject* Sender)>;
using TQuindleEvent =
    std::function<void(rtl::TObject* Sender, std::string SrcFileName, std::string TgtFileName)>;
using TSetAttrEvent = std::function<void(rtl::TObject* Sender, std::string SFileName,
                                         int32_t& SAttr, rtl::TDateTime& SDate)>;

// How far the current file has got, byte by byte: reported after each chunk a
// transfer method moves (at most once per chunk of about 1 MiB, or per block
// of the method) and after each chunk the validation reads. OnProgressChange
// is not affected.
struct TByteProgress {
  enum class TPhase : uint8_t { Transfer, Validate };
  TPhase Phase = TPhase::Transfer;
  uint64_t Done = 0;   // bytes of the current file done in this phase
  uint64_t Total = 0;  // the file's size as known before (0 if unknown)
};
using TByteProgressEvent = std::function<void(rtl::TObject* Sender, const TByteProgress& Progress)>;

// The attribute filter for the sources. AnyFile excludes the six others:
// setting it clears them, and setting any of them clears AnyFile.
class QUINDLE_ENGINE_EXPORT TSrcFileTypes : public rtl::TPersistent {
 public:
  TSrcFileTypes() = default;
  std::string ClassName() const override { return "TSrcFileTypes"; }
  void Assign(const rtl::TPersistent* Source) override;

  bool AnyFile() const { return FAnyFile; }
  bool Archive() const { return FArchive; }
  bool Directories() const { return FDirectories; }
  bool Hidden() const { return FHidden; }
  bool Normal() const { return FNormal; }
  bool ReadOnly() const { return FReadOnly; }
  bool System() const { return FSystem; }

  void SetAnyFile(bool Value);
  void SetArchive(bool Value);
  void SetDirectories(bool Value);
  void SetHidden(bool Value);
  void SetNormal(bool Value);
  void SetReadOnly(bool Value);
  void SetSystem(bool Value);

 private:
  void SetFlag(bool& Flag, bool Value);

  bool FNormal = true;
  bool FReadOnly = false;
  bool FHidden = false;
  bool FSystem = false;
  bool FArchive = false;
  bool FDirectories = false;
  bool FAnyFile = false;
};

// True when every bit of Attr is set in the file's attribute word; true for a
// file that cannot be queried (its word reads as -1).
QUINDLE_ENGINE_EXPORT bool HasAttr(const std::string& FileName, uint16_t Attr);

// The CRC-32 of a file's whole content as 8 upper-case hex digits, or "Error".
QUINDLE_ENGINE_EXPORT std::string FileCRC(const std::string& FileName);

class TQuindleTestAccess;

class QUINDLE_ENGINE_EXPORT TQuindle : public rtl::TCommonDialog {
 public:
  explicit TQuindle(rtl::TComponent* AOwner);
  ~TQuindle() override;
  std::string ClassName() const override { return "TQuindle"; }
  const rtl::TClassInfo* ClassInfo() const override;  // engine/form_file.cpp

  // One complete, synchronous run over SourceFilenames into TargetFilename.
  void Execute();
  // Asks the run in progress to stop, as a Cancel answer to the overwrite
  // question does: it stops at its next test (before each entry, each match
  // and each file, and between two chunks of the file under way, which then
  // ends as a failed transfer ends, unreported and without OnAfterCopyFile),
  // ends with Progress 100 and fires OnFinished. Safe to call from any
  // handler, from another thread and from a signal handler. A request made
  // before Execute starts is dropped.
  void Abort() noexcept { FAbortRequest.store(true, std::memory_order_relaxed); }

  // Published properties.
  TQDAboutBox* About() const { return FAbout; }
  void SetAbout(TQDAboutBox* Value) { FAbout = Value; }
  TCopyType CopyType() const { return FTransferType; }
  void SetCopyType(TCopyType Value) { FTransferType = Value; }
  bool CreateTgtDir() const { return FMakeTgtDir; }
  void SetCreateTgtDir(bool Value) { FMakeTgtDir = Value; }
  TSrcFileTypes* SrcFileTypes() const { return FSrcFileTypes.get(); }
  void SetSrcFileTypes(const TSrcFileTypes* Value);
  bool OverwriteIfExist() const { return FOverwriteIfExist; }
  void SetOverwriteIfExist(bool Value) { FOverwriteIfExist = Value; }
  int32_t Progress() const { return FProgress; }
  bool RecurseDirs() const { return FRecurseDirs; }
  void SetRecurseDirs(bool Value);
  bool ShowMessages() const { return FShowMessages; }
  void SetShowMessages(bool Value);
  int64_t SizeFile() const { return FSrcSize; }
  rtl::TStringList* SourceFilenames() const { return FSourceFilenames.get(); }
  void SetMultiSrcFN(const rtl::TStringList* Value);
  const std::string& TargetFilename() const { return FTargetFilename; }
  void SetTargetFilename(const std::string& Value);
  bool Validate() const { return FValidate; }
  void SetValidate(bool Value);

  // Events.
#define QUINDLE_EVENT(Type, Name) \
  const Type& Name() const {      \
    return F##Name;               \
  }                               \
  void Set##Name(Type Handler) {  \
    F##Name = std::move(Handler); \
  }
  QUINDLE_EVENT(TQuindleEvent, OnAfterCopyFile)
  QUINDLE_EVENT(TQuindleEvent, OnBeforeCopyFile)
  QUINDLE_EVENT(TNotifyEvent, OnCannotCreateTgtDir)
  QUINDLE_EVENT(TNotifyEvent, OnCopyToSelfError)
  QUINDLE_EVENT(TNotifyEvent, OnDirNotExist)
  QUINDLE_EVENT(TNotifyEvent, OnFinished)
  QUINDLE_EVENT(TNotifyEvent, OnFailValidate)
  QUINDLE_EVENT(TNotifyEvent, OnLZCopyError)
  QUINDLE_EVENT(TNotifyEvent, OnMoveFileError)
  QUINDLE_EVENT(TNotifyEvent, OnMoveToSelfError)
  QUINDLE_EVENT(TNotifyEvent, OnOpenSrcError)
  QUINDLE_EVENT(TNotifyEvent, OnOpenTgtError)
  QUINDLE_EVENT(TNotifyEvent, OnOverwriteCancelled)
  QUINDLE_EVENT(TNotifyEvent, OnProgressChange)
  QUINDLE_EVENT(TSetAttrEvent, OnSetAttr)
  QUINDLE_EVENT(TNotifyEvent, OnSrcFileError)
  QUINDLE_EVENT(TNotifyEvent, OnSrcFileNotExist)
  QUINDLE_EVENT(TNotifyEvent, OnStart)
  QUINDLE_EVENT(TNotifyEvent, OnTgtFileError)
  QUINDLE_EVENT(TNotifyEvent, OnTgtFileExists)
  QUINDLE_EVENT(TByteProgressEvent, OnByteProgress)
#undef QUINDLE_EVENT

  // The condition being reported (see TConditionRecord).
  const TConditionRecord& Condition() const {
    return FCondition;
  }

  // Whether the sources are listed (FileList and AttrList) when the entries
  // or the filter are set and before OnStart; on by default. An application
  // that never reads the listing turns it off and saves a look at every
  // source: both lists then stay empty. The run itself does not need them.
  bool ListFiles() const {
    return FListFiles;
  }
  void SetListFiles(bool Value) {
    FListFiles = Value;
  }

  // Read-only views of the source listing: full names of the selected files,
  // and the attribute word of each as decimal text, line for line.
  const rtl::TStringList& FileList() const {
    return *FFileList;
  }
  const rtl::TStringList& AttrList() const {
    return *FAttrList;
  }

 private:
  friend class TQuindleTestAccess;
  // One run's own state, and the way the transfer methods reach the
  // dispatchers (engine/run.h).
  class TRun;

  // Copy run.
  void CopyFiles();
  // FAborted, after taking in a pending Abort().
  bool Aborted();
  bool ClassifyTarget(TRun& Run);
  bool ProcessEntry(TRun& Run);
  void HandleMatch(TRun& Run, int32_t Mask);
  void CreateSubDirectory(const std::string& MatchName);
  std::string TargetNameFor(const std::string& MatchName, bool TargetIsDir) const;
  void LookUpTarget();
  void CopyOneFile(TRun& Run);
  void Transfer(TRun& Run);
  // Transfer methods: each works on the current file with a run of its own
  // (the run itself calls the methods in engine/transfer.h).
  void StreamCopy();
  void BlockCopy();
  void LZExpandCopy();
  void MoveCopy();
  void CopyAndDelete();
  void DoSetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date);
  // Source listing.
  void BuildFileList();
  void PrepareRun();
  // Dispatchers.
  void Start();
  void Finished();
  // For the current file; the overload names the files itself.
  void ProgressChange();
  void ProgressChange(const std::string& SrcFileName, const std::string& TgtFileName);
  void OverwriteCancelled();
  void DoBeforeCopyFile(const std::string& SrcFileName, const std::string& TgtFileName);
  void DoAfterCopyFile(const std::string& SrcFileName, const std::string& TgtFileName);
  void SrcFileError();
  void TgtFileError();
  void CopyToSelfError();
  void MoveToSelfError();
  void SrcFileNotExist();
  // Cause, when given, is the failure caught; its system error goes into the
  // condition record.
  void OpenSrcError(const std::exception* Cause = nullptr);
  void OpenTgtError(const std::exception* Cause = nullptr);
  void LZCopyError();
  // Why the move keeps its source; Error and ErrorFileName, when given, go
  // into the condition record.
  void MoveFileError(detail::TMoveFailure Why, const std::error_code& Error = {},
                     const std::string& ErrorFileName = {});
  // OnByteProgress; false when the run is to stop (Abort).
  bool ByteProgress(const TByteProgress& Progress);
  // The checksum of FileName, telling its progress; "Error" when it cannot
  // be taken or the run is to stop (Aborted() then says so).
  std::string ChecksumOf(const std::string& FileName, uint64_t Total);
  // The move's check of its copy before deleting the source (see
  // detail::TTransferEvents::CopyVerified).
  bool VerifyCopy(TRun& Run);
  void FailValidation();
  void CannotCreateTgtDir(const std::string& DirName);
  void DirNotExist();
  void TgtFileExists();
  // Fills the condition record before a dispatch.
  void Record(TCondition What, const std::string& SrcFileName, const std::string& TgtFileName,
              const std::exception* Cause = nullptr);
  // Raises an error event: the handler when assigned, otherwise the default
  // message when messages are on.
  void ReportError(const TNotifyEvent& Handler);

  bool FAborted = false;
  // An Abort() not yet seen by the run.
  std::atomic<bool> FAbortRequest{false};
  bool FListed = false;
  bool FListFiles = true;
  TCopyType FTransferType = ctStream;
  bool FMakeTgtDir = false;
  TQDAboutBox* FAbout = nullptr;
  std::string FMessage;
  // Owned, like FFileList, FAttrList and FSrcFileTypes, and the same objects
  // for the component's whole life.
  std::unique_ptr<rtl::TStringList> FSourceFilenames;
  bool FOverwriteIfExist = true;
  int32_t FProgress = 0;
  bool FShowMessages = false;
  std::string FSrcSpec;
  uint8_t FSrcAttr = 0;
  rtl::TDateTime FSrcDate = 0;
  int64_t FSrcSize = 0;
  rtl::TSearchRec FSrcSearch;
  std::string FTargetFilename;
  std::string FTgtDir;
  uint8_t FTgtAttr = 0;
  rtl::TDateTime FTgtDate = 0;
  int64_t FTgtSize = 0;
  rtl::TSearchRec FTgtSearch;
  bool FValidate = false;
  std::string FSrcFileName;
  std::string FTgtFileName;
  std::unique_ptr<rtl::TStringList> FFileList;
  std::unique_ptr<rtl::TStringList> FAttrList;
  std::unique_ptr<TSrcFileTypes> FSrcFileTypes;
  bool FRecurseDirs = false;

  TQuindleEvent FOnAfterCopyFile;
  TQuindleEvent FOnBeforeCopyFile;
  TNotifyEvent FOnCannotCreateTgtDir;
  TNotifyEvent FOnCopyToSelfError;
  TNotifyEvent FOnDirNotExist;
  TNotifyEvent FOnFinished;
  TNotifyEvent FOnFailValidate;
  TNotifyEvent FOnLZCopyError;
  TNotifyEvent FOnMoveFileError;
  TNotifyEvent FOnMoveToSelfError;
  TNotifyEvent FOnOpenSrcError;
  TNotifyEvent FOnOpenTgtError;
  TNotifyEvent FOnOverwriteCancelled;
  TNotifyEvent FOnProgressChange;
  TSetAttrEvent FOnSetAttr;
  TNotifyEvent FOnSrcFileError;
  TNotifyEvent FOnSrcFileNotExist;
  TNotifyEvent FOnStart;
  TNotifyEvent FOnTgtFileError;
  TNotifyEvent FOnTgtFileExists;
  TByteProgressEvent FOnByteProgress;

  TConditionRecord FCondition;
};

}  // namespace quindle
