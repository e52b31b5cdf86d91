// SPDX-License-Identifier: MIT
// The classic table-driven CRC-32, one table lookup per byte: the reference
// the checksum is tested against and timed beside. Header-only, so that the
// benchmarks can use it without the test library.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quindle::testing {

inline const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> Table = [] {
    std::array<uint32_t, 256> T{};
    for (uint32_t I = 0; I < 256; ++I) {
      uint32_t C = I;
      for (int K = 0; K < 8; ++K) C = (C & 1) ? 0xEDB88320u ^ (C >> 1) : C >> 1;
      T[I] = C;
    }
    return T;
  }();
  return Table;
}

// Folds Size bytes into the register R: preset it to 0xFFFFFFFF and
// complement the final value.
inline uint32_t CrcTableUpdate(uint32_t R, const unsigned char* Data, size_t Size) {
  const std::array<uint32_t, 256>& Table = CrcTable();
  for (size_t I = 0; I < Size; ++I) R = Table[(R ^ Data[I]) & 0xFF] ^ (R >> 8);
  return R;
}

}  // namespace quindle::testing
