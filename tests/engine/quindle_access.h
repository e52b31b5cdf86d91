// SPDX-License-Identifier: MIT
// Reaches the component's private state and steps, for tests that drive one
// piece of a run (a transfer method, a dispatcher) without the whole run.
#pragma once

#include <string>

#include "engine/quindle.h"
#include "engine/transfer.h"

namespace quindle {

class TQuindleTestAccess {
 public:
  explicit TQuindleTestAccess(TQuindle& Q) : Q(Q) {}

  // The current-file fields that the run fills before a transfer.
  // SearchTime: the packed time the search read, which the methods stamp
  // as it is while the date is unchanged.
  void SetCurrentFile(const std::string& Src, const std::string& Tgt, uint8_t Attr,
                      rtl::TDateTime Date, int64_t Size, int64_t SearchTime = 0) {
    Q.FSrcSearch.Time = SearchTime;
    Q.FSrcFileName = Src;
    Q.FTgtFileName = Tgt;
    Q.FSrcAttr = Attr;
    Q.FSrcDate = Date;
    Q.FSrcSize = Size;
  }
  void SetSrcSpec(const std::string& Spec) { Q.FSrcSpec = Spec; }
  void SetTargetFields(int64_t Size, rtl::TDateTime Date) {
    Q.FTgtSize = Size;
    Q.FTgtDate = Date;
  }
  void SetProgress(int32_t P) { Q.FProgress = P; }

  void StreamCopy() { Q.StreamCopy(); }
  void BlockCopy() { Q.BlockCopy(); }
  void LZExpandCopy() { Q.LZExpandCopy(); }
  void MoveCopy() { Q.MoveCopy(); }

  void SrcFileError() { Q.SrcFileError(); }
  void TgtFileError() { Q.TgtFileError(); }
  void CopyToSelfError() { Q.CopyToSelfError(); }
  void MoveToSelfError() { Q.MoveToSelfError(); }
  void SrcFileNotExist() { Q.SrcFileNotExist(); }
  void OpenSrcError() { Q.OpenSrcError(); }
  void OpenTgtError() { Q.OpenTgtError(); }
  void LZCopyError() { Q.LZCopyError(); }
  void MoveFileError() { Q.MoveFileError(detail::TMoveFailure::SourceReadOnly); }
  void FailValidation() { Q.FailValidation(); }
  void CannotCreateTgtDir(const std::string& Dir) { Q.CannotCreateTgtDir(Dir); }
  void DirNotExist() { Q.DirNotExist(); }
  void TgtFileExists() { Q.TgtFileExists(); }

  const std::string& Message() const { return Q.FMessage; }
  bool Aborted() const { return Q.FAborted; }
  bool Listed() const { return Q.FListed; }
  // What the run last read of an existing target, and the target directory it created.
  int64_t TgtSize() const { return Q.FTgtSize; }
  rtl::TDateTime TgtDate() const { return Q.FTgtDate; }
  uint8_t TgtAttr() const { return Q.FTgtAttr; }
  const std::string& TgtDir() const { return Q.FTgtDir; }

 private:
  TQuindle& Q;
};

}  // namespace quindle
