// SPDX-License-Identifier: MIT
// The pieces the transfer methods share, and the component's members that
// keep the methods' names: each runs the method on the current file with a
// run of its own, outside any copy run.
#include "engine/transfer.h"

#include <algorithm>
#include <cmath>

#include "engine/run.h"

namespace quindle {

namespace detail {

void TProgressSink::FileStep() {
  const int Entries = FEntries.Count();
  if (Entries <= 1) {
    FPercent = 0;
    return;
  }
  FStep = static_cast<int32_t>(std::nearbyint(100.0 / static_cast<double>(Entries)));
  FPercent = static_cast<int32_t>(std::min<int64_t>(int64_t{FPercent} + FStep, 100));
}

void TTransferFile::Chunk(TByteProgress::TPhase Phase, uint64_t Done, uint64_t Total) const {
  TByteProgress P;
  P.Phase = Phase;
  P.Done = Done;
  P.Total = Total;
  if (!Events.ByteProgress(P)) throw TTransferAborted();
}

uint32_t NewTargetPermissions(const rtl::TFileInfo& Source) {
  return (Source.Permissions & 0777) | 0200;
}

void TTargetStamp::CallSetAttr() {
  FAttr = FFile.Attr;
  FDate = FFile.Date;
  FFile.Events.SetAttr(FFile.TgtFileName, FAttr, FDate);
}

// A date that is still the one the search read for the source is stamped
// from that packed time as it is: exact also in the hour that daylight saving
// repeats, and without the way back through local time, which looks the time
// zone up again (a stat of /etc/localtime) for every file.
std::error_code TTargetStamp::SetDate(rtl::THandle Target) const {
  if (!FTargetRegular) return {};
  const bool Unchanged = rtl::FileDateToDateTime(FFile.SearchTime) == FDate;
  int64_t Age = FFile.SearchTime;
  if (!Unchanged) {
    // Not a date the file system can hold: no packed time stands for it.
    rtl::TCivilDateTime Civil;
    if (!rtl::DecodeDateTime(FDate, Civil)) return {};
    Age = rtl::DateTimeToFileDate(FDate);
  }
  if (const int32_t Rc = rtl::FileSetDate(Target, Age))
    return std::error_code(Rc, std::generic_category());
  return {};
}

void TTargetStamp::ApplyAttr(bool NewFile) const {
  constexpr int32_t kAppliedBits =
      rtl::faReadOnly | rtl::faHidden | rtl::faSysFile | rtl::faArchive;
  if (!FTargetRegular) return;
  if (!NewFile || !FFile.NewTargetsPlain || (FAttr & kAppliedBits) != 0)
    rtl::FileSetAttr(FFile.TgtFileName, FAttr);
}

TTransferBlockFile::TTransferBlockFile(const std::string& FileName, const rtl::TDirectory* In,
                                       int64_t RecSize, TOpen How) {
  AssignFile(FileName, In);
  if (How == Create)
    RewritFile(RecSize);
  else
    ResetFile(RecSize);
}

TTransferBlockFile::TTransferBlockFile(const std::string& FileName, const rtl::TDirectory* In,
                                       int64_t RecSize, rtl::TCreateMode How,
                                       uint32_t Permissions) {
  AssignFile(FileName, In);
  RewritFile(RecSize, How, Permissions);
}

}  // namespace detail

void TQuindle::StreamCopy() {
  TRun Run(*this);
  detail::StreamCopy(Run.CurrentFile());
}

void TQuindle::BlockCopy() {
  TRun Run(*this);
  detail::BlockCopy(Run.CurrentFile());
}

void TQuindle::LZExpandCopy() {
  TRun Run(*this);
  detail::LZExpandCopy(Run.CurrentFile());
}

void TQuindle::MoveCopy() {
  TRun Run(*this);
  detail::MoveCopy(Run.CurrentFile());
}

void TQuindle::CopyAndDelete() {
  TRun Run(*this);
  detail::CopyAndDelete(Run.CurrentFile());
}

}  // namespace quindle
