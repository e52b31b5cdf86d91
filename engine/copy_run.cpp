// SPDX-License-Identifier: MIT
// The copy run behind Execute.
//
// Steps of one run:
//  1. Execute: build the source listing, OnStart, the run, drop the listing's
//     guard, OnFinished. An exception from a handler leaves Execute at once.
//  2. Start of the run: error mode, FAborted cleared, Progress 0.
//  3. Target classification (ClassifyTarget): a directory target gets its
//     trailing separator; a missing one is offered to DirNotExist and created,
//     one level, when CreateTgtDir says so. It is probed without entering it:
//     the current directory never changes, however deep it lies.
//  4. Entries from the last to the first (CopyFiles). An empty entry, an empty
//     target or a search without matches ends the run early.
//  5. One entry (ProcessEntry): normalise, self test, mask, search.
//  6. One match (HandleMatch): entry filter; a matched directory is created
//     empty under the target; a file gets its target name, an existing target
//     is settled by TgtFileExists, and the file goes through CopyOneFile. In
//     a target directory that started empty, only names the run gave out
//     before are looked up; the others are created exclusively.
//  7. One file (CopyOneFile): OnBeforeCopyFile, read-only bit off (a move
//     only: the copies open their source read-only), source checksum,
//     transfer, target checksum, read-only bit back, OnAfterCopyFile. A file
//     whose transfer was stopped by Abort(), or whose target appeared after
//     the run found none, ends after its transfer: no checksum, no
//     OnAfterCopyFile; the read-only bit comes back all the same.
//  8. End: Progress 100 with OnProgressChange, unless the run ended early.
#include <algorithm>
#include <utility>

#include "engine/file_crc.h"
#include "engine/quindle.h"
#include "engine/run.h"
#include "engine/selection.h"
#include "rtl/files/file_identity.h"
#include "rtl/files/lz/lz.h"

namespace quindle {

namespace {

constexpr const char* kCrcError = "Error";

// Ends a directory search however the entry is left.
class SearchGuard {
 public:
  explicit SearchGuard(rtl::TSearchRec& R) : Rec(R) {}
  ~SearchGuard() { rtl::FindClose(Rec); }
  SearchGuard(const SearchGuard&) = delete;
  SearchGuard& operator=(const SearchGuard&) = delete;

 private:
  rtl::TSearchRec& Rec;
};

// Gives a source its read-only bit back after the transfer, and also when a
// handler's exception leaves the run half-way, so that no source is left
// writable behind the application's back.
class ReadOnlyRestorer {
 public:
  ReadOnlyRestorer(std::string FileName, uint8_t Attr) : Name(std::move(FileName)), Attr(Attr) {}
  ~ReadOnlyRestorer() { Restore(); }
  ReadOnlyRestorer(const ReadOnlyRestorer&) = delete;
  ReadOnlyRestorer& operator=(const ReadOnlyRestorer&) = delete;

  void Clear() {
    Armed = true;
    rtl::FileSetAttr(Name, Attr & ~rtl::faReadOnly);
  }
  void Restore() {
    if (!Armed) return;
    Armed = false;
    rtl::FileSetAttr(Name, Attr | rtl::faReadOnly);
  }

 private:
  std::string Name;
  uint8_t Attr;
  bool Armed = false;
};

// A name may itself hold '*' or '?', which a search reads as wild cards:
// fills Rec with the entry of exactly that name. False when there is none.
bool FindExact(const std::string& FileName, int32_t Mask, rtl::TSearchRec& Rec) {
  const std::string Name = rtl::ExtractFileName(FileName);
  bool Found = false;
  for (int32_t Rc = rtl::FindFirst(FileName, Mask, Rec); Rc == 0; Rc = rtl::FindNext(Rec)) {
    if (Rec.Name == Name) {
      Found = true;
      break;
    }
  }
  rtl::FindClose(Rec);
  return Found;
}

}  // namespace

void TQuindle::Execute() {
  FAbortRequest.store(false, std::memory_order_relaxed);
  // The listing and the run look the same files up; each file's stored
  // attribute bits are read once.
  rtl::TAttributeCache AttributeCache;
  PrepareRun();
  Start();
  CopyFiles();
  FListed = false;
  Finished();
}

bool TQuindle::Aborted() {
  if (FAbortRequest.exchange(false, std::memory_order_relaxed)) FAborted = true;
  return FAborted;
}

void TQuindle::CopyFiles() {
  rtl::SetErrorMode(1);
  FAborted = false;
  FProgress = 0;
  TRun Run(*this);
  if (ClassifyTarget(Run)) {
    if (Run.TargetIsDir && !Run.TargetDir.Open(rtl::ExtractFilePath(FTargetFilename)))
      Run.TargetStartedEmpty = Run.TargetDir.Empty();
    Run.NewTargetsPlain = rtl::NewFilesFollowUmask(rtl::ExtractFilePath(FTargetFilename));
    const int Count = FSourceFilenames->Count();
    for (int Entry = Count > 0 ? Count : 1; Entry >= 1 && !Aborted(); --Entry) {
      FSrcSpec = Count > 0 ? (*FSourceFilenames)[Entry - 1] : std::string();
      if (!ProcessEntry(Run)) return;  // an early ending: no final progress
    }
  }
  FProgress = 100;
  ProgressChange(std::string(), FTargetFilename);
}

// Decides whether the target names a directory and makes sure it exists.
// False when the run must not process any entry.
bool TQuindle::ClassifyTarget(TRun& Run) {
  int32_t Attr = 0;
  if (!detail::NamesDirectory(FTargetFilename, Attr)) return true;
  Run.TargetIsDir = true;
  if (Attr >= 0 && (Attr & rtl::faDirectory) && !rtl::ExtractFileName(FTargetFilename).empty())
    FTargetFilename += rtl::PathDelim;
  std::string DirName = FTargetFilename;
  if (!DirName.empty() && rtl::IsPathDelimiter(DirName.back())) DirName.pop_back();
  // The root keeps its separator; without it the probe would find no directory.
  if (DirName.empty()) DirName = std::string(1, rtl::PathDelim);

  if (rtl::DirectoryEnterable(DirName)) return true;
  DirNotExist();
  if (!FMakeTgtDir) return false;
  FTgtDir = rtl::ExtractFileDir(FTargetFilename);
  if (rtl::CreateDir(FTgtDir)) return true;
  CannotCreateTgtDir(FTgtDir);
  return false;
}

// One entry. False when the run ends here, without the final progress.
bool TQuindle::ProcessEntry(TRun& Run) {
  if (FSrcSpec.empty()) {
    SrcFileError();
    return false;
  }
  if (FTargetFilename.empty()) {
    TgtFileError();
    return false;
  }
  FSrcSpec = detail::NormaliseSpec(FSrcSpec);
  if (FSrcSpec == FTargetFilename) {
    if (FTransferType == ctMove)
      MoveToSelfError();
    else
      CopyToSelfError();
    return true;
  }
  const int32_t Mask = detail::AttrMask(*FSrcFileTypes);
  if (detail::SelectsNothing(Mask, *FSrcFileTypes)) return true;
  const std::string SourcePath = rtl::ExtractFilePath(FSrcSpec);
  // A directory that cannot be opened stays closed, and is searched and read
  // by path.
  if (!Run.SourceDir.IsOpen() || Run.SourceDir.Path() != SourcePath) Run.SourceDir.Open(SourcePath);
  if (rtl::FindFirst(FSrcSpec, Mask, FSrcSearch) != 0) {
    SrcFileNotExist();
    return false;
  }
  SearchGuard Guard(FSrcSearch);
  do {
    if (Aborted()) break;
    HandleMatch(Run, Mask);
    if (Aborted()) break;
  } while (rtl::FindNext(FSrcSearch) == 0);
  return true;
}

void TQuindle::HandleMatch(TRun& Run, int32_t Mask) {
  // The current-file fields are filled before the filter, so they also hold
  // the last match seen when that match is skipped.
  FSrcSize = FSrcSearch.Size;
  FSrcDate = rtl::FileDateToDateTime(FSrcSearch.Time);
  FSrcAttr = static_cast<uint8_t>(FSrcSearch.Attr & 0xFF);
  const std::string MatchName = FSrcSearch.Name;
  FSrcFileName = rtl::ExtractFilePath(FSrcSpec) + MatchName;

  if (!detail::EntrySelected(MatchName, FSrcSearch.Attr, Mask, *FSrcFileTypes)) return;
  if ((FSrcAttr & rtl::faDirectory) && (Mask & rtl::faDirectory)) {
    Run.GiveOutTarget(rtl::ExtractFilePath(FTargetFilename) + MatchName);
    CreateSubDirectory(MatchName);
    return;
  }
  FTgtFileName = TargetNameFor(MatchName, Run.TargetIsDir);
  Run.Unprobed = Run.GiveOutTarget(FTgtFileName);
  rtl::TFileInfo Existing;
  if (!Run.Unprobed && !Run.TargetDir.Lookup(FTgtFileName, Existing) &&
      Existing.Kind != rtl::TFileKind::Directory) {
    // Copying a file onto itself under another name would truncate it first:
    // refuse it like an entry spelled as the target.
    if (rtl::SameFile(FSrcFileName, FTgtFileName)) {
      if (FTransferType == ctMove)
        MoveToSelfError();
      else
        CopyToSelfError();
      return;
    }
    LookUpTarget();
    TgtFileExists();
    if (Aborted() || !FOverwriteIfExist) return;
  }
  CopyOneFile(Run);
}

bool TQuindle::TRun::GiveOutTarget(const std::string& TgtFileName) {
  if (!TargetStartedEmpty) return false;
  const std::string& Dir = TargetDir.Path();
  std::string Key = TgtFileName.size() > Dir.size() && TgtFileName.compare(0, Dir.size(), Dir) == 0
                        ? TgtFileName.substr(Dir.size())
                        : std::string();
  // A name a file system may take for another spelling beyond ASCII case
  // (other scripts, short-name aliases, trailing dots and spaces), or one
  // outside the directory, ends the skipping for the rest of the run.
  const bool Plain = !Key.empty() && Key.back() != '.' && Key.back() != ' ' &&
                     std::none_of(Key.begin(), Key.end(), [](char C) {
                       return static_cast<unsigned char>(C) >= 0x80 || C == '~' || C == ':' ||
                              rtl::IsPathDelimiter(C);
                     });
  if (!Plain) {
    TargetStartedEmpty = false;
    GivenOut.clear();
    return false;
  }
  std::transform(Key.begin(), Key.end(), Key.begin(), [](char C) {
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
  });
  return GivenOut.insert(std::move(Key)).second;
}

// A matched directory is created empty under the target; its content is not copied.
void TQuindle::CreateSubDirectory(const std::string& MatchName) {
  const std::string SubDir = rtl::ExtractFileDir(FTargetFilename) + rtl::PathDelim + MatchName;
  if (!rtl::CreateDir(SubDir)) CannotCreateTgtDir(SubDir);
  rtl::TDateTime Date = FSrcDate;
  int32_t Attr = FSrcAttr;
  DoSetAttr(SubDir, Attr, Date);
  rtl::FileSetAttr(SubDir, Attr);  // the date is not applied to a directory
}

std::string TQuindle::TargetNameFor(const std::string& MatchName, bool TargetIsDir) const {
  if (!TargetIsDir) return FTargetFilename;
  const std::string Dir = rtl::ExtractFilePath(FTargetFilename);
  if (FTransferType == ctLZCopy) {
    std::string Expanded;
    if (rtl::GetExpandedNameA(FSrcFileName, Expanded) == 1)
      return Dir + rtl::ExtractFileName(Expanded);
  }
  return Dir + rtl::ExtractFileName(MatchName);
}

// Reads the size, date and attributes of the existing target, hidden and
// system files included, for the overwrite question.
void TQuindle::LookUpTarget() {
  constexpr int32_t Mask = rtl::faReadOnly | rtl::faHidden | rtl::faSysFile | rtl::faArchive;
  if (FindExact(FTgtFileName, Mask, FTgtSearch)) {
    FTgtSize = FTgtSearch.Size;
    FTgtDate = rtl::FileDateToDateTime(FTgtSearch.Time);
    FTgtAttr = static_cast<uint8_t>(FTgtSearch.Attr & 0xFF);
  } else {
    FTgtSize = 0;
    FTgtDate = 0;
    FTgtAttr = 0;
  }
}

void TQuindle::CopyOneFile(TRun& Run) {
  Run.StartFile();
  DoBeforeCopyFile(FSrcFileName, FTgtFileName);
  ReadOnlyRestorer ReadOnly(FSrcFileName, FSrcAttr);
  // Not HasAttr: it counts a name it cannot query (one holding '*' or '?', or
  // a source that has gone) as read-only, and the restore would then make a
  // writable source read-only.
  if (FTransferType == ctMove && rtl::FileGetReadOnly(FSrcFileName) == rtl::faReadOnly)
    ReadOnly.Clear();
  if (FValidate) Run.SrcCRC = ChecksumOf(FSrcFileName, static_cast<uint64_t>(FSrcSize));
  if (FAborted) return;
  Transfer(Run);
  if (FAborted || Run.Declined) return;
  if (FValidate && !Run.Validated) {
    Run.Validated = true;
    const std::string TgtCRC = ChecksumOf(FTgtFileName, static_cast<uint64_t>(FSrcSize));
    if (FAborted) return;
    if (Run.SrcCRC == kCrcError || TgtCRC == kCrcError || Run.SrcCRC != TgtCRC) FailValidation();
  }
  ReadOnly.Restore();
  DoAfterCopyFile(FSrcFileName, FTgtFileName);
}

std::string TQuindle::ChecksumOf(const std::string& FileName, uint64_t Total) {
  bool Stopped = false;
  const detail::TCrcProgress Progress = [&](uint64_t Done) {
    TByteProgress P;
    P.Phase = TByteProgress::TPhase::Validate;
    P.Done = Done;
    P.Total = Total;
    return ByteProgress(P);
  };
  return detail::FileCRC(FileName, Progress, Stopped);
}

bool TQuindle::VerifyCopy(TRun& Run) {
  if (!FValidate) return true;
  Run.Validated = true;
  const std::string TgtCRC = ChecksumOf(FTgtFileName, static_cast<uint64_t>(FSrcSize));
  if (FAborted) return false;
  if (Run.SrcCRC != kCrcError && TgtCRC != kCrcError && Run.SrcCRC == TgtCRC) return true;
  FailValidation();
  return false;
}

void TQuindle::Transfer(TRun& Run) {
  const detail::TTransferFile File = Run.CurrentFile();
  switch (FTransferType) {
    case ctStream:
      detail::StreamCopy(File);
      break;
    case ctBlock:
      detail::BlockCopy(File);
      break;
    case ctLZCopy:
      detail::LZExpandCopy(File);
      break;
    case ctMove:
      detail::MoveCopy(File);
      break;
  }
}

}  // namespace quindle
