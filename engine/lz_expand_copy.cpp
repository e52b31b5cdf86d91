// SPDX-License-Identifier: MIT
// The LZ expansion: the LZ library expands the whole source into the target.
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
        return TTransferBlockFile(File.SrcFileName, kLZRecSize, TTransferBlockFile::Existing);
      },
      [&] { return TTransferBlockFile(File.TgtFileName, kLZRecSize, TTransferBlockFile::Create); },
      [&](TTransferBlockFile& Source, TTransferBlockFile& Target, TTargetStamp& Stamp) {
        File.Progress.FileStep();
        File.Progress.Changed();
        // What was expanded before a failure stays, and still gets its date
        // and attributes.
        if (rtl::LZCopy(Source.Handle(), Target.Handle()) < 0) File.Events.LZCopyError();
        if (File.Progress.SingleEntry()) File.Progress.Set(100);
        File.Progress.Changed();
        Stamp.Stamp(Target.Handle());
      });
}

}  // namespace quindle::detail
