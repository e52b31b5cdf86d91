// SPDX-License-Identifier: MIT
// The move: a rename where one is possible, otherwise a block copy followed
// by deleting the source.
#include "engine/quindle.h"
#include "engine/transfer.h"

namespace quindle::detail {

namespace {

// The drive a name lies on: its letter, when it starts with a letter and a
// colon. POSIX names have none, so any two of them count as one drive and the
// rename is tried (relative names included, whose first characters say
// nothing about where they lie); a rename across file systems fails and the
// move falls back to a copy.
std::string DriveOf(const std::string& Name) {
  return Name.size() >= 2 && Name[1] == ':' ? Name.substr(0, 1) : std::string();
}

}  // namespace

// A move restarts Progress from 0 for every file. The rename never replaces
// an existing file, so a move onto an existing target, or across file
// systems, goes through the copy, which overwrites the target. Outside the
// block copy nothing is guarded: an application handler's exception leaves
// the move and the run.
void MoveCopy(const TTransferFile& File) {
  File.Progress.Set(0);
  File.Progress.Changed();
  if (rtl::CompareText(DriveOf(File.SrcFileName), DriveOf(File.TgtFileName)) != 0 ||
      !rtl::RenameFile(File.SrcFileName, File.TgtFileName)) {
    CopyAndDelete(File);
    return;
  }
  TTargetStamp Stamp(File);
  Stamp.CallSetAttr();
  // Opened without truncating. Read access is enough to set the date of a
  // file one owns, and serves where write access is refused.
  rtl::THandle Target = rtl::FileOpen(File.TgtFileName, rtl::fmOpenWrite);
  if (Target == rtl::InvalidHandle) Target = rtl::FileOpen(File.TgtFileName, rtl::fmOpenRead);
  if (Target != rtl::InvalidHandle) {
    Stamp.SetDate(Target);
    rtl::FileClose(Target);
  }
  Stamp.ApplyAttr(false);
}

// The source is deleted only when the block copy reported nothing, its data
// are on the disk with their date, the target is a regular file that is
// there, and, with Validate on, its checksum is the source's; each way of
// falling short keeps the source and is reported once.
void CopyAndDelete(const TTransferFile& File) {
  if (HasAttr(File.SrcFileName, rtl::faReadOnly)) {
    File.Events.MoveFileError(TMoveFailure::SourceReadOnly);
    return;
  }
  File.Progress.FileStep();
  File.Progress.Changed();
  TCopyExtras Extras;
  Extras.Sync = true;
  if (BlockCopy(File, &Extras) && rtl::FileExists(File.TgtFileName)) {
    if (!Extras.TargetRegular) {
      File.Events.MoveFileError(TMoveFailure::TargetNotRegular);
    } else if (Extras.DateError) {
      File.Events.MoveFileError(TMoveFailure::DateNotSet, Extras.DateError, File.TgtFileName);
    } else if (File.Events.CopyVerified()) {
      if (const std::error_code E = rtl::RemoveFile(File.SrcFileName))
        File.Events.MoveFileError(TMoveFailure::SourceNotDeleted, E, File.SrcFileName);
    }
  }
  if (File.Progress.SingleEntry()) File.Progress.Set(100);
  File.Progress.Changed();
}

}  // namespace quindle::detail
