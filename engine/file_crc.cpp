#include <libdeflate.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "engine/quindle.h"
#include "rtl/memory.h"

namespace quindle {

namespace {

// Reading a cached file (a copy out of the page cache) and checksumming it
// cost about the same; a file of more than one chunk is therefore checksummed
// on a second thread while the next chunk is read, so that the whole takes
// about as long as the reads alone. A smaller file is done in one go on the
// caller's thread, which costs no thread start per file.
constexpr int32_t kChunk = 1024 * 1024;

class TBufferGuard {
 public:
  explicit TBufferGuard(void* P) : FP(P) {}
  ~TBufferGuard() { rtl::FreeMem(FP); }
  TBufferGuard(const TBufferGuard&) = delete;
  TBufferGuard& operator=(const TBufferGuard&) = delete;

 private:
  void* FP;
};

// Chains libdeflate's CRC over the chunks handed to it, one at a time, on a
// thread of its own. libdeflate takes and returns the complemented register
// (0 for no data), so the value chains from chunk to chunk and is the
// checksum itself at the end.
class TCrcWorker {
 public:
  TCrcWorker() : FThread([this] { Run(); }) {}
  ~TCrcWorker() {
    {
      std::lock_guard<std::mutex> L(FMutex);
      FStop = true;
    }
    FChanged.notify_all();
    FThread.join();
  }
  TCrcWorker(const TCrcWorker&) = delete;
  TCrcWorker& operator=(const TCrcWorker&) = delete;

  // Waits until the previous chunk is done, then hands this one over; the
  // caller must leave Data alone until the next Submit or Wait returns.
  void Submit(const void* Data, size_t Size) {
    std::unique_lock<std::mutex> L(FMutex);
    FChanged.wait(L, [this] { return !FBusy; });
    FData = Data;
    FSize = Size;
    FBusy = true;
    FChanged.notify_all();
  }

  // The checksum of everything handed over, once the last chunk is done.
  uint32_t Wait() {
    std::unique_lock<std::mutex> L(FMutex);
    FChanged.wait(L, [this] { return !FBusy; });
    return FCrc;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> L(FMutex);
    for (;;) {
      FChanged.wait(L, [this] { return FBusy || FStop; });
      if (!FBusy) return;
      const void* Data = FData;
      const size_t Size = FSize;
      uint32_t Crc = FCrc;
      L.unlock();
      Crc = libdeflate_crc32(Crc, Data, Size);
      L.lock();
      FCrc = Crc;
      FBusy = false;
      FChanged.notify_all();
    }
  }

  std::mutex FMutex;
  std::condition_variable FChanged;
  const void* FData = nullptr;
  size_t FSize = 0;
  uint32_t FCrc = 0;
  bool FBusy = false;
  bool FStop = false;
  std::thread FThread;  // last, so that it starts once the rest is set up
};

// Reads the rest of the file into two alternating buffers, checksumming one
// on the worker while the other is filled. False when a read fails.
bool ChecksumOverlapped(rtl::THandle F, void* Buffers[2], int32_t FirstCount, uint32_t& Crc) {
  TCrcWorker Worker;
  int Current = 0;
  int32_t N = FirstCount;
  while (N > 0) {
    Worker.Submit(Buffers[Current], static_cast<size_t>(N));
    Current ^= 1;
    N = rtl::FileRead(F, Buffers[Current], kChunk);
  }
  Crc = Worker.Wait();
  return N == 0;
}

}  // namespace

std::string FileCRC(const std::string& FileName) {
  std::string Result = "Error";
  void* Buffers[2] = {nullptr, nullptr};
  try {
    Buffers[0] = rtl::AllocMem(kChunk);
    Buffers[1] = rtl::AllocMem(kChunk);
  } catch (const rtl::EOutOfMemory&) {
    rtl::FreeMem(Buffers[0]);
    return Result;
  }
  TBufferGuard Guard0(Buffers[0]);
  TBufferGuard Guard1(Buffers[1]);

  const rtl::THandle F = rtl::FileOpen(FileName, rtl::fmOpenRead);
  if (F < 0) return Result;
  uint32_t Crc = 0;
  bool Failed = false;
  int32_t N = rtl::FileRead(F, Buffers[0], kChunk);
  bool Done = false;
  if (N == kChunk) {
    try {
      Failed = !ChecksumOverlapped(F, Buffers, N, Crc);
      Done = true;
    } catch (const std::system_error&) {
      // No thread to be had: go on alone.
    }
  }
  while (!Done && N > 0) {
    Crc = libdeflate_crc32(Crc, Buffers[0], static_cast<size_t>(N));
    N = rtl::FileRead(F, Buffers[0], kChunk);
  }
  if (!Done && N < 0) Failed = true;
  rtl::FileClose(F);
  if (!Failed) Result = rtl::IntToHex(Crc, 8);
  return Result;
}

}  // namespace quindle
