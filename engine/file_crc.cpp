// SPDX-License-Identifier: MIT
#include "engine/file_crc.h"

#include <zlib.h>

#ifdef QUINDLE_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "engine/quindle.h"
#include "rtl/core/memory.h"
#include "rtl/files/handles.h"

namespace quindle {

namespace {

// Reading a cached file is a copy out of the page cache, and one core copies
// only so fast; two cores copy about twice as fast. A file larger than one
// chunk is therefore read by several threads in rounds: in each round reader K
// takes the K-th of the next chunks, so the reads stay in file order (like one
// sequential reader with a deeper queue, which also suits a spinning disk).
// Each reader checksums its chunk while the chunk is still in its core's
// cache, and at the end of the round the chunks' CRCs are chained in order
// (zlib's crc32_combine). A file of one chunk or less is read on the caller's
// thread alone and starts no thread.
constexpr int32_t kChunk = 1024 * 1024;
constexpr unsigned kMaxReaders = 4;

// The CRC-32 of Size bytes at Data, continuing from Crc. libdeflate's is the
// fastest where it is packaged; the Windows builds take zlib's, about twice
// as fast as a slicing-by-8 table of our own (docs/PERFORMANCE.md).
uint32_t ChunkCrc(uint32_t Crc, const void* Data, size_t Size) {
#ifdef QUINDLE_HAVE_LIBDEFLATE
  return libdeflate_crc32(Crc, Data, Size);
#else
  return static_cast<uint32_t>(
      crc32(Crc, static_cast<const Bytef*>(Data), static_cast<uInt>(Size)));
#endif
}

// Where the readers of one file meet at the end of each round: the last to
// arrive runs the round's completion, then all go on. A mutex and a condition
// variable rather than std::barrier, whose waits on atomics GCC 12's library
// can leave asleep for good where the system has no futex (the Windows
// builds hung in the checksum now and then).
template <class Completion>
class TRoundBarrier {
 public:
  TRoundBarrier(std::ptrdiff_t Count, Completion Done) : FCount(Count), FDone(std::move(Done)) {}

  void ArriveAndWait() {
    std::unique_lock Lock(FLock);
    const uint64_t Round = FRound;
    if (++FArrived == FCount) {
      EndRound();
      return;
    }
    FWake.wait(Lock, [&] { return FRound != Round; });
  }
  // Arrives for this round and leaves the later ones.
  void ArriveAndDrop() {
    std::unique_lock Lock(FLock);
    if (FArrived == --FCount) EndRound();
  }

 private:
  void EndRound() {
    FDone();
    FArrived = 0;
    ++FRound;
    FWake.notify_all();
  }

  std::mutex FLock;
  std::condition_variable FWake;
  std::ptrdiff_t FCount;
  std::ptrdiff_t FArrived = 0;
  uint64_t FRound = 0;
  Completion FDone;
};

// The readers of one file and the checksum of what they have read so far.
class TRoundReader {
 public:
  // Readers threads (the caller included) read on from Offset, where Crc is
  // the checksum of everything before it.
  TRoundReader(rtl::THandle File, const std::vector<void*>& Buffers, uint32_t Crc, int64_t Offset,
               const detail::TCrcProgress& Progress)
      : FFile(File),
        FProgress(Progress),
        FBuffers(Buffers),
        FChunks(Buffers.size()),
        FCrc(Crc),
        FOffset(Offset),
        FBarrier(static_cast<std::ptrdiff_t>(Buffers.size()), TEndRound{this}) {}

  // Reader K's share of every round, until the rounds end.
  void Run(size_t K) {
    do {
      TChunk& C = FChunks[K];
      std::error_code Error;
      C.Got = static_cast<int32_t>(rtl::ReadAt(FFile, FBuffers[K], kChunk,
                                               FOffset + static_cast<int64_t>(K) * kChunk, Error));
      C.Crc = C.Got > 0 ? ChunkCrc(0, FBuffers[K], static_cast<size_t>(C.Got)) : 0;
      FBarrier.ArriveAndWait();
      // The caller's reader tells the progress between rounds; the others
      // read on meanwhile and wait for it at the barrier. A stop or an
      // exception ends the rounds at the next barrier.
      if (K == 0 && !FFailed && FProgress && !FStopped && !FFailure) {
        try {
          if (!FProgress(static_cast<uint64_t>(FOffset))) FStopped = true;
        } catch (...) {
          FFailure = std::current_exception();
        }
      }
    } while (!FDone);
  }

  // Called instead of Run by the caller for each reader whose thread could not
  // be started; the first round is then thrown away and nothing more is read.
  void Abandon() {
    FAbandoned = true;
    FBarrier.ArriveAndDrop();
  }

  bool Abandoned() const { return FAbandoned; }
  bool Failed() const { return FFailed; }
  bool Stopped() const { return FStopped; }
  // What the progress function raised, if it did.
  std::exception_ptr Failure() const { return FFailure; }
  uint32_t Crc() const { return FCrc; }

 private:
  struct TChunk {
    int32_t Got = 0;
    uint32_t Crc = 0;
  };

  // Runs once per round, on one reader while the others wait: chains the
  // round's chunks in file order up to the first short one, which marks the end
  // of the file as a sequential reader would have found it.
  struct TEndRound {
    TRoundReader* R;
    void operator()() noexcept {
      if (R->FAbandoned || R->FStopped || R->FFailure) {
        R->FDone = true;
        return;
      }
      for (const TChunk& C : R->FChunks) {
        if (C.Got < 0) {
          R->FFailed = R->FDone = true;
          return;
        }
        R->FCrc = static_cast<uint32_t>(crc32_combine(R->FCrc, C.Crc, C.Got));
        R->FOffset += C.Got;
        if (C.Got < kChunk) {
          R->FDone = true;
          return;
        }
      }
    }
  };

  rtl::THandle FFile;
  const detail::TCrcProgress& FProgress;
  const std::vector<void*>& FBuffers;
  std::vector<TChunk> FChunks;
  uint32_t FCrc;
  int64_t FOffset;
  bool FDone = false;
  bool FFailed = false;
  bool FAbandoned = false;
  bool FStopped = false;
  std::exception_ptr FFailure;
  TRoundBarrier<TEndRound> FBarrier;
};

// Checksums File from Offset on, where Crc covers what lies before, with one
// reader per buffer. False when a read fails or Progress stops it (Stopped).
bool ChecksumInRounds(rtl::THandle File, const std::vector<void*>& Buffers, int64_t Offset,
                      uint32_t& Crc, const detail::TCrcProgress& Progress, bool& Stopped) {
  TRoundReader Reader(File, Buffers, Crc, Offset, Progress);
  std::vector<std::jthread> Threads;
  for (size_t K = 1; K < Buffers.size(); ++K) {
    try {
      Threads.emplace_back([&Reader, K] { Reader.Run(K); });
    } catch (const std::system_error&) {
      for (; K < Buffers.size(); ++K) Reader.Abandon();
    }
  }
  Reader.Run(0);
  for (std::jthread& T : Threads) T.join();
  if (Reader.Failure()) std::rethrow_exception(Reader.Failure());
  if (Reader.Stopped()) {
    Stopped = true;
    return false;
  }
  if (!Reader.Abandoned()) {
    Crc = Reader.Crc();
    return !Reader.Failed();
  }
  // No threads to be had: go on alone from where the rounds started.
  std::vector<void*> One(1, Buffers[0]);
  return ChecksumInRounds(File, One, Offset, Crc, Progress, Stopped);
}

class TBuffers {
 public:
  ~TBuffers() {
    for (void* P : FList) rtl::FreeMem(P);
  }
  // Up to Count zero-filled chunk buffers; false when not even one is to be had.
  bool Obtain(unsigned Count) {
    try {
      while (FList.size() < Count) {
        FList.push_back(nullptr);
        FList.back() = rtl::AllocMem(kChunk);
      }
    } catch (const rtl::EOutOfMemory&) {
      FList.pop_back();
    }
    return !FList.empty();
  }
  const std::vector<void*>& List() const { return FList; }

 private:
  std::vector<void*> FList;
};

// A pipe cannot be read at an offset: it is read in turn until a read gives
// nothing, its writers having closed it.
bool ChecksumInTurn(rtl::THandle File, void* Buffer, uint32_t& Crc, uint64_t Done,
                    const detail::TCrcProgress& Progress, bool& Stopped) {
  for (;;) {
    std::error_code Error;
    const int64_t N = rtl::ReadFull(File, Buffer, kChunk, Error);
    if (N <= 0) return N == 0;
    Crc = ChunkCrc(Crc, Buffer, static_cast<size_t>(N));
    Done += static_cast<uint64_t>(N);
    if (Progress && !Progress(Done)) {
      Stopped = true;
      return false;
    }
  }
}

unsigned ReaderCount() {
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxReaders);
}

}  // namespace

namespace detail {

std::string FileCRC(const std::string& FileName, unsigned Readers) {
  bool Stopped = false;
  return FileCRC(FileName, Readers, TCrcProgress(), Stopped);
}

std::string FileCRC(const std::string& FileName, unsigned Readers, const TCrcProgress& Progress,
                    bool& Stopped) {
  Stopped = false;
  std::string Result = "Error";
  TBuffers Buffers;
  if (!Buffers.Obtain(std::max(Readers, 1u))) return Result;
  rtl::TFileHandle F;
  if (rtl::OpenFile(FileName, rtl::TAccess::Read, F)) return Result;
  // The first chunk alone: most files end within it.
  std::error_code Error;
  const auto N = static_cast<int32_t>(rtl::ReadAt(F.Get(), Buffers.List()[0], kChunk, 0, Error));
  uint32_t Crc = N > 0 ? ChunkCrc(0, Buffers.List()[0], static_cast<size_t>(N)) : 0;
  if (N >= 0 && Progress && !Progress(static_cast<uint64_t>(N))) {
    Stopped = true;
    return Result;
  }
  bool Ok;
  if (N < 0 && Error == std::errc::invalid_seek)
    Ok = ChecksumInTurn(F.Get(), Buffers.List()[0], Crc, 0, Progress, Stopped);
  else
    Ok = N >= 0 &&
         (N < kChunk || ChecksumInRounds(F.Get(), Buffers.List(), N, Crc, Progress, Stopped));
  if (Ok) Result = rtl::IntToHex(Crc, 8);
  return Result;
}

std::string FileCRC(const std::string& FileName, const TCrcProgress& Progress, bool& Stopped) {
  return FileCRC(FileName, ReaderCount(), Progress, Stopped);
}

}  // namespace detail

std::string FileCRC(const std::string& FileName) {
  return detail::FileCRC(FileName, ReaderCount());
}

}  // namespace quindle
