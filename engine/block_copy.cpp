// SPDX-License-Identifier: MIT
// The block copy: one read, one progress notification and one write per
// block of 49,152 bytes, until the first short read; a source whose size is a
// multiple of the block size ends with an empty pass.
#include <algorithm>

#include "engine/transfer.h"
#include "rtl/core/memory.h"

namespace quindle::detail {

namespace {

constexpr int64_t kBlockSize = 49152;

// Part * 100 / Whole with the fraction dropped, capped at 100; 0 for an empty
// whole. Exact for any 64-bit size; the 128-bit product is worked out by
// hand, as 32-bit targets have no __int128.
int32_t Percent(int64_t Part, int64_t Whole) {
  if (Whole <= 0 || Part <= 0) return 0;
  if (Part >= Whole) return 100;
  // Part * 100 as a 128-bit number (Hi, Lo), then the quotient, which is
  // below 100, found bit by bit by subtracting Whole << Bit.
  const auto P = static_cast<uint64_t>(Part);
  const auto W = static_cast<uint64_t>(Whole);
  const uint64_t Low = (P & 0xFFFFFFFFu) * 100, High = (P >> 32) * 100;
  uint64_t Lo = Low + (High << 32);
  uint64_t Hi = (High >> 32) + (Lo < Low ? 1 : 0);
  int32_t Result = 0;
  for (int Bit = 6; Bit >= 0; --Bit) {
    const uint64_t DLo = W << Bit, DHi = Bit == 0 ? 0 : W >> (64 - Bit);
    if (Hi > DHi || (Hi == DHi && Lo >= DLo)) {
      Hi = Hi - DHi - (Lo < DLo ? 1 : 0);
      Lo -= DLo;
      Result |= 1 << Bit;
    }
  }
  return Result;
}

}  // namespace

bool BlockCopy(const TTransferFile& File, TCopyExtras* Extras) {
  return GuardedCopy(
      File,
      [&] {
        return TTransferBlockFile(File.SrcFileName, File.SrcDir, 1, TTransferBlockFile::Existing);
      },
      [&](const TTargetCreation& How) {
        return TTransferBlockFile(File.TgtFileName, File.TgtDir, 1, How.Mode, How.Permissions);
      },
      [&](TTransferBlockFile& Source, TTransferBlockFile& Target, TTargetStamp& Stamp) {
        const bool SingleEntry = File.Progress.SingleEntry();
        File.Progress.FileStep();
        File.Progress.Changed();
        // Obtained once both files are open; released before the target closes.
        rtl::TMemBlock Buffer(rtl::GetMem(kBlockSize));
        int64_t Total = 0;
        int64_t Got = 0;
        do {
          Got = Source.BlockRead(Buffer.get(), kBlockSize);
          Total += Got;
          if (SingleEntry) File.Progress.Set(Percent(Total, File.Size));
          File.Progress.Changed();
          Target.BlockWrite(Buffer.get(), Got);
          File.Chunk(TByteProgress::TPhase::Transfer, static_cast<uint64_t>(Total),
                     static_cast<uint64_t>(std::max<int64_t>(File.Size, 0)));
        } while (Got == kBlockSize);
        const std::error_code DateError = Stamp.Stamp(Target.Handle());
        if (Extras == nullptr) return;
        Extras->DateError = DateError;
        if (!Extras->Sync) return;
        if (const std::error_code E = rtl::SyncData(Target.Handle()))
          throw rtl::EInOutError(rtl::FileErrorText("Cannot sync", File.TgtFileName, E), E.value(),
                                 File.TgtFileName);
      },
      Extras);
}

}  // namespace quindle::detail
