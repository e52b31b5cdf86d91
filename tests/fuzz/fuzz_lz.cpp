// SPDX-License-Identifier: MIT
// LZCopy on arbitrary bytes, read from a memory file or through a pipe. Plain
// data must come out unchanged; an SZDD stream that both LZCopy and libmspack
// expand must come out the same from both.
#include <fcntl.h>
#include <mspack.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fuzz_check.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_format.h"

namespace {

int MemoryFile(const uint8_t* Data, size_t Size) {
  const int Fd = memfd_create("fuzz", 0);
  FUZZ_CHECK(Fd >= 0);
  FUZZ_CHECK(quindle::fuzz::WriteAllFd(Fd, Data, Size));
  FUZZ_CHECK(lseek(Fd, 0, SEEK_SET) == 0);
  return Fd;
}

std::string Contents(int Fd) {
  std::string S;
  char Buf[65536];
  FUZZ_CHECK(lseek(Fd, 0, SEEK_SET) == 0);
  for (ssize_t N; (N = read(Fd, Buf, sizeof Buf)) > 0;) S.append(Buf, static_cast<size_t>(N));
  return S;
}

std::string FdPath(int Fd) {
  return "/proc/self/fd/" + std::to_string(Fd);
}

// libmspack's expansion of the memory file In, or false when it refuses it.
bool MspackExpand(int In, std::string& Out) {
  msszdd_decompressor* D = mspack_create_szdd_decompressor(nullptr);
  FUZZ_CHECK(D != nullptr);
  const int Target = memfd_create("mspack", 0);
  FUZZ_CHECK(Target >= 0);
  msszddd_header* H = D->open(D, FdPath(In).c_str());
  int Error = H != nullptr ? D->extract(D, H, FdPath(Target).c_str()) : MSPACK_ERR_OPEN;
  if (H != nullptr) D->close(D, H);
  mspack_destroy_szdd_decompressor(D);
  if (Error == MSPACK_ERR_OK) Out = Contents(Target);
  close(Target);
  return Error == MSPACK_ERR_OK;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A pipe whose reader stopped early must fail the write, not end the process.
  signal(SIGPIPE, SIG_IGN);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // The first byte picks the source; the rest is the stream.
  if (Size == 0) return 0;
  const bool ThroughPipe = (Data[0] & 1) != 0;
  ++Data;
  --Size;
  const int Out = memfd_create("out", 0);
  FUZZ_CHECK(Out >= 0);
  int64_t Result;
  if (ThroughPipe) {
    int Pipe[2];
    FUZZ_CHECK(pipe(Pipe) == 0);
    // What fits in the pipe is written before the copy starts; more needs a
    // writer running beside it.
    const bool Fits = Size <= static_cast<size_t>(fcntl(Pipe[1], F_GETPIPE_SZ));
    std::thread Writer;
    if (Fits) {
      FUZZ_CHECK(quindle::fuzz::WriteAllFd(Pipe[1], Data, Size));
      close(Pipe[1]);
    } else {
      Writer = std::thread([&] {
        quindle::fuzz::WriteAllFd(Pipe[1], Data, Size);
        close(Pipe[1]);
      });
    }
    Result = rtl::LZCopy(Pipe[0], Out);
    close(Pipe[0]);
    if (Writer.joinable()) Writer.join();
  } else {
    const int In = MemoryFile(Data, Size);
    Result = rtl::LZCopy(In, Out);
    close(In);
  }
  const std::string Expanded = Contents(Out);
  close(Out);

  namespace szdd = rtl::szdd;
  const bool Magic =
      Size >= szdd::kMagicSize && std::memcmp(Data, szdd::kMagic, szdd::kMagicSize) == 0;
  if (Magic && Size > szdd::kModeOffset && Data[szdd::kModeOffset] != szdd::kModeA) {
    // The mode byte alone tells that this is compressed some other way.
    FUZZ_CHECK(Result == rtl::LZERROR_UNKNOWNALG);
    return 0;
  }
  if (!Magic || Size < szdd::kHeaderSize) {
    // Not compressed: copied byte for byte.
    FUZZ_CHECK(Result == static_cast<int64_t>(Size));
    FUZZ_CHECK(Expanded.size() == Size && std::memcmp(Expanded.data(), Data, Size) == 0);
    return 0;
  }
  // Memory files and pipes never fail, so an SZDD stream always expands.
  FUZZ_CHECK(Result >= 0);
  FUZZ_CHECK(static_cast<int64_t>(Expanded.size()) == Result);
  const int In = MemoryFile(Data, Size);
  std::string Reference;
  if (MspackExpand(In, Reference)) FUZZ_CHECK(Reference == Expanded);
  close(In);
  return 0;
}
