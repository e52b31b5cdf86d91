#include <libdeflate.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/quindle.h"
#include "rtl/memory.h"

namespace quindle {

namespace {

// The checksum itself costs far less than copying the file out of the page
// cache, so the read calls set the pace: 256 KiB (still within a second-level
// cache) needs an eighth of the calls that 32 KiB needs and takes about 13%
// less time on a cached 1 GiB file (docs/PERFORMANCE.md, "Checksum").
constexpr int32_t kCrcBufferSize = 256 * 1024;

class TBufferGuard {
 public:
  explicit TBufferGuard(void* P) : FP(P) {}
  ~TBufferGuard() { rtl::FreeMem(FP); }
  TBufferGuard(const TBufferGuard&) = delete;
  TBufferGuard& operator=(const TBufferGuard&) = delete;

 private:
  void* FP;
};

}  // namespace

std::string FileCRC(const std::string& FileName) {
  std::string Result = "Error";
  void* Buffer = nullptr;
  try {
    Buffer = rtl::AllocMem(kCrcBufferSize);
  } catch (const rtl::EOutOfMemory&) {
    return Result;
  }
  TBufferGuard Guard(Buffer);

  const rtl::THandle F = rtl::FileOpen(FileName, rtl::fmOpenRead);
  if (F < 0) return Result;
  // libdeflate keeps the register preset and the final complement inside the
  // call: it takes and returns the complemented register, 0 for no data, so
  // its value is the checksum itself and chunks chain through it.
  uint32_t Crc = 0;
  bool Failed = false;
  for (;;) {
    const int32_t N = rtl::FileRead(F, Buffer, kCrcBufferSize);
    if (N < 0) Failed = true;
    if (N <= 0) break;
    Crc = libdeflate_crc32(Crc, Buffer, static_cast<size_t>(N));
  }
  rtl::FileClose(F);
  if (!Failed) Result = rtl::IntToHex(Crc, 8);
  return Result;
}

}  // namespace quindle
