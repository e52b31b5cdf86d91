// SPDX-License-Identifier: MIT
// The stream copy: the whole file stream to stream, in chunks of 1 MiB that
// the kernel moves where it can, with two progress notifications.
#include "engine/transfer.h"
#include "rtl/files/streams.h"

namespace quindle::detail {

namespace {

constexpr int64_t kChunk = int64_t{1} << 20;

}  // namespace

bool StreamCopy(const TTransferFile& File) {
  return GuardedCopy(
      File, [&] { return rtl::TFileStream(File.SrcFileName, rtl::fmOpenRead, File.SrcDir); },
      [&](const TTargetCreation& How) {
        return rtl::TFileStream(File.TgtFileName, How.Mode, How.Permissions, File.TgtDir);
      },
      [&](rtl::TFileStream& Source, rtl::TFileStream& Target, TTargetStamp& Stamp) {
        File.Progress.FileStep();
        File.Progress.Changed();
        // Until the data end, whatever size the source claimed when it was
        // opened: a pipe or a file of /proc says 0, a file may grow.
        const uint64_t Total = static_cast<uint64_t>(std::max<int64_t>(Source.OpenedSize(), 0));
        uint64_t Done = 0;
        for (;;) {
          const int64_t Got = Target.CopyChunk(Source, kChunk);
          // The end of the data, found by a chunk that moved nothing, is no
          // progress to report.
          if (Got > 0) {
            Done += static_cast<uint64_t>(Got);
            File.Chunk(TByteProgress::TPhase::Transfer, Done, Total);
          }
          if (Got < kChunk) break;
        }
        if (File.Progress.SingleEntry()) File.Progress.Set(100);
        File.Progress.Changed();
        Stamp.Stamp(Target.Handle());
      });
}

}  // namespace quindle::detail
