// SPDX-License-Identifier: MIT
// The stream copy: the whole file in one stream-to-stream copy, with two
// progress notifications.
#include "engine/transfer.h"
#include "rtl/files/streams.h"

namespace quindle::detail {

bool StreamCopy(const TTransferFile& File) {
  return GuardedCopy(
      File, [&] { return rtl::TFileStream(File.SrcFileName, rtl::fmOpenRead); },
      [&] { return rtl::TFileStream(File.TgtFileName, rtl::fmCreate); },
      [&](rtl::TFileStream& Source, rtl::TFileStream& Target, TTargetStamp& Stamp) {
        File.Progress.FileStep();
        File.Progress.Changed();
        // The size the source had when it was opened, a moment ago, not the
        // one the search saw. CopyFrom reads a count of 0 as "the whole
        // source"; an empty source has nothing to copy either way.
        const int64_t Size = Source.OpenedSize();
        if (Size > 0) Target.CopyFrom(Source, Size);
        if (File.Progress.SingleEntry()) File.Progress.Set(100);
        File.Progress.Changed();
        Stamp.Stamp(Target.Handle());
      });
}

}  // namespace quindle::detail
