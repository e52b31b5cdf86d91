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

void TTargetStamp::CallSetAttr() {
  FAttr = FFile.Attr;
  FDate = FFile.Date;
  FFile.Events.SetAttr(FFile.TgtFileName, FAttr, FDate);
}

// A date that is still the one the search read for the source is stamped
// from that packed time as it is: exact also in the hour that daylight saving
// repeats, and without the way back through local time, which looks the time
// zone up again (a stat of /etc/localtime) for every file.
void TTargetStamp::SetDate(rtl::THandle Target) const {
  const bool Unchanged = rtl::FileDateToDateTime(FFile.SearchTime) == FDate;
  rtl::FileSetDate(Target, Unchanged ? FFile.SearchTime : rtl::DateTimeToFileDate(FDate));
}

void TTargetStamp::ApplyAttr(bool NewFile) const {
  constexpr int32_t kAppliedBits =
      rtl::faReadOnly | rtl::faHidden | rtl::faSysFile | rtl::faArchive;
  if (!NewFile || !FFile.NewTargetsPlain || (FAttr & kAppliedBits) != 0)
    rtl::FileSetAttr(FFile.TgtFileName, FAttr);
}

TTransferBlockFile::TTransferBlockFile(const std::string& FileName, int64_t RecSize, TOpen How) {
  AssignFile(FileName);
  if (How == Create)
    RewritFile(RecSize);
  else
    ResetFile(RecSize);
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
