// SPDX-License-Identifier: MIT
// The state one run keeps to itself, and the way its transfer methods reach
// the component's dispatchers.
#pragma once

#include <exception>
#include <string>
#include <unordered_set>

#include "engine/quindle.h"
#include "engine/transfer.h"

namespace quindle {

class TQuindle::TRun final : public detail::TTransferEvents {
 public:
  explicit TRun(TQuindle& Q) : Q(Q), Progress(Q.FProgress, *Q.FSourceFilenames, *this) {}
  TRun(const TRun&) = delete;
  TRun& operator=(const TRun&) = delete;

  // The current file, as the run filled the component's fields for it.
  detail::TTransferFile CurrentFile() {
    return {Q.FSrcFileName,    Q.FTgtFileName, Q.FSrcAttr,      Q.FSrcDate,
            Q.FSrcSearch.Time, Q.FSrcSize,     NewTargetsPlain, !Q.FOverwriteIfExist || Unprobed,
            Progress,          *this,          &SourceDir,      &TargetDir};
  }

  void ProgressChange() override { Q.ProgressChange(); }
  void SetAttr(const std::string& FileName, int32_t& Attr, rtl::TDateTime& Date) override {
    Q.DoSetAttr(FileName, Attr, Date);
  }
  void OpenSrcError(const std::exception& Cause) override { Q.OpenSrcError(&Cause); }
  void OpenTgtError(const std::exception& Cause) override { Q.OpenTgtError(&Cause); }
  void LZCopyError() override { Q.LZCopyError(); }
  void MoveFileError(detail::TMoveFailure Why, const std::error_code& Error,
                     const std::string& FileName) override {
    Q.MoveFileError(Why, Error, FileName);
  }
  void TargetAppeared() override {
    Declined = true;
    Q.OverwriteCancelled();
  }
  bool ByteProgress(const TByteProgress& P) override { return Q.ByteProgress(P); }
  bool CopyVerified() override { return Q.VerifyCopy(*this); }

  // The current file's state in the per-file sequence, set afresh for each.
  void StartFile() {
    Declined = false;
    Validated = false;
    SrcCRC.clear();
  }

  // Set by the target classification.
  bool TargetIsDir = false;
  // The target directory, open for the whole run, and the directory of the
  // entries being searched, open while consecutive entries lie in it: files
  // are opened, created and looked up relative to them. Names that do not
  // lie directly in them (a handler changed a property) go by their path.
  rtl::TDirectory TargetDir;
  rtl::TDirectory SourceDir;
  // The target directory held nothing when the run began. A name the run
  // has not given out there before cannot have been made by the run, so it
  // is not looked up; whatever something else puts there meanwhile is found
  // by the exclusive create and left alone.
  bool TargetStartedEmpty = false;
  // The current file's target was not looked up, for that reason.
  bool Unprobed = false;

  // Notes that the run gives TgtFileName out as a target name. True when the
  // name needs no look-up: the target directory started empty, the name lies
  // directly in it and was not given out before, in any spelling that a file
  // system ignoring case might take for the same name.
  bool GiveOutTarget(const std::string& TgtFileName);

  // New files in the target's directory get the permissions asked for less
  // the umask (no default access control list there).
  bool NewTargetsPlain = false;
  // The target appeared after the run found none, and was left alone.
  bool Declined = false;
  // The copy was checked already (a move checks its copy before deleting the
  // source).
  bool Validated = false;
  // The source's checksum, taken before the transfer when Validate is on.
  std::string SrcCRC;

 private:
  TQuindle& Q;
  // The target names given out so far in the target directory, in ASCII
  // lower case; kept only while the directory started empty.
  std::unordered_set<std::string> GivenOut;
  // Progress with the run's step, set to 0 when the run starts.
  detail::TProgressSink Progress;
};

}  // namespace quindle
