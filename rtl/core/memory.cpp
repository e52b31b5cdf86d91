// SPDX-License-Identifier: MIT
#include "rtl/core/memory.h"

#include <cstdlib>

#include "rtl/core/classes.h"

namespace rtl {

void* GetMem(size_t Size) {
  if (Size == 0) return nullptr;
  void* P = std::malloc(Size);
  if (P == nullptr) throw EOutOfMemory("Out of memory");
  return P;
}

void* AllocMem(size_t Size) {
  if (Size == 0) return nullptr;
  void* P = std::calloc(1, Size);
  if (P == nullptr) throw EOutOfMemory("Out of memory");
  return P;
}

void FreeMem(void* P) {
  std::free(P);
}

}  // namespace rtl
