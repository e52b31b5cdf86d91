// SPDX-License-Identifier: MIT
// A plain program for the checksum's figures where Google Benchmark is not
// built (the Windows builds under Wine):
//
//   crc_driver file NAME      FileCRC of NAME, and the seconds it took
//   crc_driver memory MIB     zlib's crc32 against a slicing-by-8 table
//                             version of our own, over MIB MiB in memory
//
// bench/wine_compare.sh runs it; docs/PERFORMANCE.md records the figures.
#include <zlib.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/quindle.h"

namespace {

using Clock = std::chrono::steady_clock;

// Slicing-by-8: eight tables, eight bytes per step.
struct TSlicing {
  std::array<std::array<uint32_t, 256>, 8> T{};
  TSlicing() {
    for (uint32_t I = 0; I < 256; ++I) {
      uint32_t C = I;
      for (int K = 0; K < 8; ++K) C = (C >> 1) ^ (0xEDB88320u & (0u - (C & 1)));
      T[0][I] = C;
    }
    for (uint32_t I = 0; I < 256; ++I)
      for (size_t S = 1; S < 8; ++S) T[S][I] = (T[S - 1][I] >> 8) ^ T[0][T[S - 1][I] & 0xFF];
  }
  uint32_t operator()(uint32_t Crc, const unsigned char* P, size_t N) const {
    Crc = ~Crc;
    for (; N >= 8; N -= 8, P += 8) {
      uint32_t Lo, Hi;
      std::memcpy(&Lo, P, 4);
      std::memcpy(&Hi, P + 4, 4);
      Lo ^= Crc;
      Crc = T[7][Lo & 0xFF] ^ T[6][(Lo >> 8) & 0xFF] ^ T[5][(Lo >> 16) & 0xFF] ^ T[4][Lo >> 24] ^
            T[3][Hi & 0xFF] ^ T[2][(Hi >> 8) & 0xFF] ^ T[1][(Hi >> 16) & 0xFF] ^ T[0][Hi >> 24];
    }
    while (N-- > 0) Crc = (Crc >> 8) ^ T[0][(Crc ^ *P++) & 0xFF];
    return ~Crc;
  }
};

double Seconds(Clock::time_point Start) {
  return std::chrono::duration<double>(Clock::now() - Start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "file") == 0) {
    const auto Start = Clock::now();
    const std::string Crc = quindle::FileCRC(argv[2]);
    std::printf("%s %.3f s\n", Crc.c_str(), Seconds(Start));
    return Crc == "Error" ? 1 : 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "memory") == 0) {
    const size_t Size = static_cast<size_t>(std::atol(argv[2])) << 20;
    std::vector<unsigned char> Data(Size);
    uint32_t X = 1;
    for (auto& B : Data) B = static_cast<unsigned char>((X = X * 1103515245u + 12345u) >> 24);
    const TSlicing Slicing;
    for (int Round = 0; Round < 3; ++Round) {
      auto Start = Clock::now();
      const auto Z = static_cast<uint32_t>(crc32(0, Data.data(), static_cast<uInt>(Size)));
      const double Zs = Seconds(Start);
      Start = Clock::now();
      const uint32_t S = Slicing(0, Data.data(), Size);
      const double Ss = Seconds(Start);
      std::printf("zlib %.0f MiB/s  slicing-by-8 %.0f MiB/s  %s\n", (Size >> 20) / Zs,
                  (Size >> 20) / Ss, Z == S ? "same CRC" : "CRCs DIFFER");
      if (Z != S) return 1;
    }
    return 0;
  }
  std::fprintf(stderr, "usage: %s file NAME | memory MIB\n", argv[0]);
  return 2;
}
