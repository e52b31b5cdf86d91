// SPDX-License-Identifier: MIT
// Throughput of the validation checksum and of the whole-stream copy.
//
//   crc_bench                      Google Benchmark runs on a 64 MiB cached file
//   crc_bench --crc FILE           prints FileCRC(FILE)
//   crc_bench --table FILE         prints the CRC by the per-byte table loop
//   crc_bench --copy SRC DST       copies SRC to DST with TFileStream::CopyFrom
//   crc_bench --copy-buffered SRC DST   the same through the read/write loop
//
// The command modes let bench/crc_compare.sh time them beside cat, cp and 7zz.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "rtl/files/block_file.h"
#include "rtl/files/streams.h"
#include "support/crc_table.h"

namespace {

// The checksum as first designed: 32 KiB reads, one table lookup per byte.
uint32_t TableLoopCRC(const std::string& Name) {
  const int Fd = open(Name.c_str(), O_RDONLY);
  if (Fd < 0) return 0;
  std::vector<unsigned char> Buf(32768);
  uint32_t R = 0xFFFFFFFFu;
  ssize_t N;
  while ((N = read(Fd, Buf.data(), Buf.size())) > 0) {
    R = quindle::testing::CrcTableUpdate(R, Buf.data(), static_cast<size_t>(N));
  }
  close(Fd);
  return ~R;
}

void Copy(const std::string& Src, const std::string& Dst, bool Buffered) {
  rtl::TFileStream S(Src, rtl::fmOpenRead);
  rtl::TFileStream D(Dst, rtl::fmCreate);
  if (Buffered) {
    rtl::detail::CopyByReadWrite(S, D, S.Size());
  } else {
    D.CopyFrom(S, 0);
  }
}

// A 64 MiB file of random bytes, made once and read once so it is cached.
class BenchFiles {
 public:
  static constexpr int64_t kSize = int64_t{64} << 20;
  BenchFiles() {
    std::string Pattern = (std::filesystem::temp_directory_path() / "crc-bench-XXXXXX").string();
    if (mkdtemp(Pattern.data()) == nullptr) std::abort();
    Dir = Pattern;
    std::vector<uint32_t> Data(kSize / 4);
    std::mt19937 Gen(1);
    for (auto& W : Data) W = Gen();
    std::ofstream(Source(), std::ios::binary)
        .write(reinterpret_cast<const char*>(Data.data()), kSize);
    TableLoopCRC(Source());
  }
  ~BenchFiles() { std::filesystem::remove_all(Dir); }
  std::string Source() const { return (Dir / "source").string(); }
  std::string Target() const { return (Dir / "target").string(); }

 private:
  std::filesystem::path Dir;
};

BenchFiles& Files() {
  static BenchFiles F;
  return F;
}

void BM_FileCRC(benchmark::State& State) {
  const std::string Name = Files().Source();
  for (auto _ : State) benchmark::DoNotOptimize(quindle::FileCRC(Name));
  State.SetBytesProcessed(State.iterations() * BenchFiles::kSize);
}
BENCHMARK(BM_FileCRC)->Unit(benchmark::kMillisecond);

void BM_TableLoopCRC(benchmark::State& State) {
  const std::string Name = Files().Source();
  for (auto _ : State) benchmark::DoNotOptimize(TableLoopCRC(Name));
  State.SetBytesProcessed(State.iterations() * BenchFiles::kSize);
}
BENCHMARK(BM_TableLoopCRC)->Unit(benchmark::kMillisecond);

void BM_CopyFrom(benchmark::State& State) {
  const bool Buffered = State.range(0) != 0;
  for (auto _ : State) {
    State.PauseTiming();
    std::filesystem::remove(Files().Target());
    State.ResumeTiming();
    Copy(Files().Source(), Files().Target(), Buffered);
  }
  State.SetBytesProcessed(State.iterations() * BenchFiles::kSize);
  State.SetLabel(Buffered ? "read/write loop" : "kernel copy");
}
BENCHMARK(BM_CopyFrom)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The block copy's data path: 49,152-byte blocks through block files.
void BM_BlockCopy(benchmark::State& State) {
  std::vector<char> Buf(49152);
  for (auto _ : State) {
    State.PauseTiming();
    std::filesystem::remove(Files().Target());
    State.ResumeTiming();
    rtl::TBlockFile Src, Dst;
    Src.AssignFile(Files().Source());
    Dst.AssignFile(Files().Target());
    Src.ResetFile(1);
    Dst.RewritFile(1);
    int64_t Got;
    do {
      Got = Src.BlockRead(Buf.data(), static_cast<int64_t>(Buf.size()));
      Dst.BlockWrite(Buf.data(), Got);
    } while (Got == static_cast<int64_t>(Buf.size()));
  }
  State.SetBytesProcessed(State.iterations() * BenchFiles::kSize);
}
BENCHMARK(BM_BlockCopy)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string Mode = argc > 1 ? argv[1] : "";
  if (Mode == "--crc" && argc == 3) {
    std::printf("%s\n", quindle::FileCRC(argv[2]).c_str());
    return 0;
  }
  if (Mode == "--table" && argc == 3) {
    std::printf("%08X\n", TableLoopCRC(argv[2]));
    return 0;
  }
  if ((Mode == "--copy" || Mode == "--copy-buffered") && argc == 4) {
    try {
      Copy(argv[2], argv[3], Mode == "--copy-buffered");
    } catch (const rtl::Exception& E) {
      std::fprintf(stderr, "%s\n", E.what());
      return 1;
    }
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
