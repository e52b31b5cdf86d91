// SPDX-License-Identifier: MIT
// Checks for the fuzz targets: a failed check prints where it failed and
// aborts, which libFuzzer reports as a crash and saves the input for.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(Cond)                                                            \
  do {                                                                              \
    if (!(Cond)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #Cond); \
      std::abort();                                                                 \
    }                                                                               \
  } while (0)

namespace quindle::fuzz {

// Writes every byte, retrying short writes; false on an error.
inline bool WriteAllFd(int Fd, const uint8_t* Data, size_t Size) {
  while (Size > 0) {
    const ssize_t N = write(Fd, Data, Size);
    if (N <= 0) return false;
    Data += N;
    Size -= static_cast<size_t>(N);
  }
  return true;
}

}  // namespace quindle::fuzz
