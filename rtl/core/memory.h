// SPDX-License-Identifier: MIT
// Plain memory blocks of the platform layer.
#pragma once

#include <cstddef>
#include <memory>

#include "rtl/core/export.h"

namespace rtl {

// A block of Size bytes with undefined content; nullptr for a size of 0.
// Raises EOutOfMemory when the block cannot be obtained.
QUINDLE_RTL_CORE_EXPORT void* GetMem(size_t Size);
// A block of Size bytes, every byte 0; otherwise as GetMem.
QUINDLE_RTL_CORE_EXPORT void* AllocMem(size_t Size);
// Releases a block from GetMem or AllocMem; nullptr is accepted and ignored.
QUINDLE_RTL_CORE_EXPORT void FreeMem(void* P);

struct TFreeMemDeleter {
  void operator()(void* P) const { FreeMem(P); }
};
// A block from GetMem or AllocMem, released when the owner goes.
using TMemBlock = std::unique_ptr<void, TFreeMemDeleter>;

}  // namespace rtl
