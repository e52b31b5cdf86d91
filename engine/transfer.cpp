// SPDX-License-Identifier: MIT
// The four transfer methods: stream copy, block copy, LZ expansion and move.
//
// StreamCopy, BlockCopy and LZExpandCopy guard their work with two nested
// handlers. The source handler reports by OpenSrcError whatever escapes the
// stretch from opening the source to releasing it, an exception from the
// application's OnOpenTgtError handler included. The target handler reports by
// OpenTgtError whatever fails between creating the target and the end of the
// closing step, exceptions from OnProgressChange and OnSetAttr handlers
// included; a target that was created is closed first, with its attributes
// applied, and left in place. Every failure is reported exactly once.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <memory>
#include <utility>

#include "engine/quindle.h"
#include "rtl/core/memory.h"
#include "rtl/files/block_file.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/streams.h"

namespace quindle {

namespace {

constexpr int64_t kBlockSize = 49152;  // bytes per block of BlockCopy
constexpr int64_t kLZRecSize = 128;

// The closing step: on every way out of the target handler's stretch, normal
// or not, it closes the target and then applies the attribute cell by name.
// Being destroyed before the handler runs, it closes a partial target before
// the failure is reported. A file that this transfer created (NewFile) in a
// directory whose new files take the umask already has every attribute a word
// without read-only, hidden, system and archive asks for; such a word is not
// applied again.
template <class CloseFn>
class ClosingStep {
 public:
  ClosingStep(CloseFn Close, const std::string& FileName, const int32_t& Attr, bool NewFile)
      : Close(std::move(Close)), FileName(FileName), Attr(Attr), NewFile(NewFile) {}
  ~ClosingStep() {
    Close();
    if (!NewFile || (Attr & kAppliedBits) != 0) rtl::FileSetAttr(FileName, Attr);
  }
  ClosingStep(const ClosingStep&) = delete;
  ClosingStep& operator=(const ClosingStep&) = delete;

 private:
  static constexpr int32_t kAppliedBits =
      rtl::faReadOnly | rtl::faHidden | rtl::faSysFile | rtl::faArchive;
  CloseFn Close;
  const std::string& FileName;
  const int32_t& Attr;
  bool NewFile;
};

// Part * 100 / Whole with the fraction dropped, capped at 100; 0 for an empty
// whole. Exact for any 64-bit size.
int32_t Percent(int64_t Part, int64_t Whole) {
  if (Whole <= 0 || Part <= 0) return 0;
  if (Part >= Whole) return 100;
  return static_cast<int32_t>(static_cast<__int128>(Part) * 100 / Whole);
}

// The per-file progress step. With one entry Progress restarts from 0 for
// every file; with N entries it climbs by 100 / N, rounded to the nearest
// integer with a half going to the even neighbour (8 entries give 12, 200 and
// more give 0), and stays at 100 once there.
void AdvanceProgress(int Entries, int32_t& Progress, int32_t& Step) {
  if (Entries <= 1) {
    Progress = 0;
    return;
  }
  Step = static_cast<int32_t>(std::nearbyint(100.0 / static_cast<double>(Entries)));
  Progress = static_cast<int32_t>(std::min<int64_t>(int64_t{Progress} + Step, 100));
}

// Sets the last-write time on the open target, after its last write, so that
// closing it cannot disturb the time. A date that is still the one the search
// read for the source (SearchTime) is stamped from that packed time as it is:
// exact also in the hour that daylight saving repeats, and without the way
// back through local time, which looks the time zone up again (a stat of
// /etc/localtime) for every file.
void SetTargetDate(rtl::THandle Target, rtl::TDateTime Date, int64_t SearchTime) {
  const bool Unchanged = rtl::FileDateToDateTime(SearchTime) == Date;
  rtl::FileSetDate(Target, Unchanged ? SearchTime : rtl::DateTimeToFileDate(Date));
}

// The drive a name lies on: its letter, when it starts with a letter and a
// colon. POSIX names have none, so any two of them count as one drive and the
// rename is tried (relative names included, whose first characters say
// nothing about where they lie); a rename across file systems fails and the
// move falls back to a copy.
std::string DriveOf(const std::string& Name) {
  return Name.size() >= 2 && Name[1] == ':' ? Name.substr(0, 1) : std::string();
}

}  // namespace

void TQuindle::DoSetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date) {
  if (FOnSetAttr) FOnSetAttr(this, FileName, Attr, Date);
}

// A failure inside the target handler can come before the attribute cell is
// filled for this file; the closing step then applies the current file's own
// attributes (FSrcAttr), never a value left over from an earlier file or
// directory. Each method therefore fills the cell before opening anything.

void TQuindle::StreamCopy() {
  FSetAttrValue = FSrcAttr;
  try {
    rtl::TFileStream Source(FSrcFileName, rtl::fmOpenRead);
    try {
      auto Target = std::make_unique<rtl::TFileStream>(FTgtFileName, rtl::fmCreate);
      ClosingStep Closing([&Target] { Target.reset(); }, FTgtFileName, FSetAttrValue,
                          Target->Created() && FNewTargetsPlain);
      AdvanceProgress(FSourceFilenames->Count(), FProgress, FProgressStep);
      ProgressChange();
      // The size the source had when it was opened, a moment ago, not the one
      // the search saw. CopyFrom reads a count of 0 as "the whole source"; an
      // empty source has nothing to copy either way.
      const int64_t Size = Source.OpenedSize();
      if (Size > 0) Target->CopyFrom(Source, Size);
      if (FSourceFilenames->Count() < 2) FProgress = 100;
      ProgressChange();
      FSetAttrValue = FSrcAttr;
      FSetDateValue = FSrcDate;
      DoSetAttr(FTgtFileName, FSetAttrValue, FSetDateValue);
      SetTargetDate(Target->Handle(), FSetDateValue, FSrcSearch.Time);
    } catch (const std::exception&) {
      OpenTgtError();
    }
  } catch (const std::exception&) {
    OpenSrcError();
  }
}

// One read, one progress notification and one write per block of 49,152
// bytes, until the first short read; a source whose size is a multiple of the
// block size ends with an empty pass. Sets FTransferFailed when it reports a
// failure, or when closing the target fails, so that a move keeps its source.
void TQuindle::BlockCopy() {
  FTransferFailed = false;
  FSetAttrValue = FSrcAttr;
  try {
    rtl::TBlockFile Source;
    Source.AssignFile(FSrcFileName);
    Source.ResetFile(1);  // read-only: a copy has no business writing its source
    try {
      rtl::TBlockFile Target;
      Target.AssignFile(FTgtFileName);
      Target.RewritFile(1);
      ClosingStep Closing([this, &Target] { FTransferFailed |= !Target.CloseFile(); }, FTgtFileName,
                          FSetAttrValue, Target.Created() && FNewTargetsPlain);
      const bool SingleEntry = FSourceFilenames->Count() < 2;
      AdvanceProgress(FSourceFilenames->Count(), FProgress, FProgressStep);
      ProgressChange();
      // Declared after the closing step, so it is released before the target closes.
      rtl::TMemBlock Buffer(rtl::GetMem(kBlockSize));
      int64_t Total = 0;
      int64_t Got = 0;
      do {
        Got = Source.BlockRead(Buffer.get(), kBlockSize);
        Total += Got;
        if (SingleEntry) FProgress = Percent(Total, FSrcSize);
        ProgressChange();
        Target.BlockWrite(Buffer.get(), Got);
      } while (Got == kBlockSize);
      FSetAttrValue = FSrcAttr;
      FSetDateValue = FSrcDate;
      DoSetAttr(FTgtFileName, FSetAttrValue, FSetDateValue);
      SetTargetDate(Target.Handle(), FSetDateValue, FSrcSearch.Time);
    } catch (const std::exception&) {
      FTransferFailed = true;
      OpenTgtError();
    }
  } catch (const std::exception&) {
    FTransferFailed = true;
    OpenSrcError();
  }
}

void TQuindle::LZExpandCopy() {
  FSetAttrValue = FSrcAttr;
  try {
    rtl::TBlockFile Source;
    Source.AssignFile(FSrcFileName);
    Source.ResetFile(kLZRecSize);
    try {
      rtl::TBlockFile Target;
      Target.AssignFile(FTgtFileName);
      Target.RewritFile(kLZRecSize);
      ClosingStep Closing([&Target] { Target.CloseFile(); }, FTgtFileName, FSetAttrValue,
                          Target.Created() && FNewTargetsPlain);
      AdvanceProgress(FSourceFilenames->Count(), FProgress, FProgressStep);
      ProgressChange();
      // What was expanded before a failure stays, and still gets its date and
      // attributes.
      if (rtl::LZCopy(Source.Handle(), Target.Handle()) < 0) LZCopyError();
      if (FSourceFilenames->Count() < 2) FProgress = 100;
      ProgressChange();
      FSetAttrValue = FSrcAttr;
      FSetDateValue = FSrcDate;
      DoSetAttr(FTgtFileName, FSetAttrValue, FSetDateValue);
      SetTargetDate(Target.Handle(), FSetDateValue, FSrcSearch.Time);
    } catch (const std::exception&) {
      OpenTgtError();
    }
  } catch (const std::exception&) {
    OpenSrcError();
  }
}

// A move restarts Progress from 0 for every file. It renames when both names
// start with the same character (a drive letter on Windows; on POSIX every
// full name starts with the separator) and copies then deletes otherwise. The
// rename never replaces an existing file, so a move onto an existing target,
// or across file systems, goes through the copy, which overwrites the target.
void TQuindle::MoveCopy() {
  FProgress = 0;
  ProgressChange();
  if (rtl::CompareText(DriveOf(FSrcFileName), DriveOf(FTgtFileName)) != 0 ||
      !rtl::RenameFile(FSrcFileName, FTgtFileName)) {
    CopyAndDelete();
    return;
  }
  FSetAttrValue = FSrcAttr;
  FSetDateValue = FSrcDate;
  DoSetAttr(FTgtFileName, FSetAttrValue, FSetDateValue);
  // Opened without truncating. Read access is enough to set the date of a
  // file one owns, and serves where write access is refused.
  rtl::THandle Target = rtl::FileOpen(FTgtFileName, rtl::fmOpenWrite);
  if (Target < 0) Target = rtl::FileOpen(FTgtFileName, rtl::fmOpenRead);
  if (Target >= 0) {
    SetTargetDate(Target, FSetDateValue, FSrcSearch.Time);
    rtl::FileClose(Target);
  }
  rtl::FileSetAttr(FTgtFileName, FSetAttrValue);
}

// Has no handler of its own: an application handler's exception outside the
// block copy leaves the move and the run. The source is deleted only when the
// block copy reported nothing and the target is there.
void TQuindle::CopyAndDelete() {
  if (HasAttr(FSrcFileName, rtl::faReadOnly)) {
    MoveFileError();
    return;
  }
  AdvanceProgress(FSourceFilenames->Count(), FProgress, FProgressStep);
  ProgressChange();
  BlockCopy();
  if (!FTransferFailed && rtl::FileExists(FTgtFileName)) rtl::DeleteFile(FSrcFileName);
  if (FSourceFilenames->Count() < 2) FProgress = 100;
  ProgressChange();
}

}  // namespace quindle
