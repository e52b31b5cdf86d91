// SPDX-License-Identifier: MIT
// The LZ expansion: the LZ library expands the whole source into the target,
// telling how far it has read after each block.
#include <algorithm>

#include "engine/transfer.h"
#include "rtl/files/lz/lz.h"

namespace quindle::detail {

namespace {

// Plays no part: the library does the reading and writing itself.
constexpr int64_t kLZRecSize = 128;

}  // namespace

bool LZExpandCopy(const TTransferFile& File) {
  return GuardedCopy(
      File,
      [&] {
        return TTransferBlockFile(File.SrcFileName, File.SrcDir, kLZRecSize,
                                  TTransferBlockFile::Existing);
      },
      [&](const TTargetCreation& How) {
        return TTransferBlockFile(File.TgtFileName, File.TgtDir, kLZRecSize, How.Mode,
                                  How.Permissions);
      },
      [&](TTransferBlockFile& Source, TTransferBlockFile& Target, TTargetStamp& Stamp) {
        File.Progress.FileStep();
        File.Progress.Changed();
        const uint64_t Total =
            static_cast<uint64_t>(std::max<int64_t>(Source.OpenedInfo().Size, 0));
        // Raises TTransferAborted through the library when the run is to stop.
        const auto Progress = [&](int64_t Read) {
          File.Chunk(TByteProgress::TPhase::Transfer, static_cast<uint64_t>(Read), Total);
          return true;
        };
        // What was expanded before a failure stays, and still gets its date
        // and attributes.
        if (rtl::LZCopy(Source.Handle(), Target.Handle(), Progress) < 0) File.Events.LZCopyError();
        if (File.Progress.SingleEntry()) File.Progress.Set(100);
        File.Progress.Changed();
        Stamp.Stamp(Target.Handle());
      });
}

}  // namespace quindle::detail
