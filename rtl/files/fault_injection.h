// SPDX-License-Identifier: MIT
// Fault injection, for tests: a hook that the back end consults before each
// call it makes to the system for the handle interface and the file
// services, and that can make that call fail or transfer fewer bytes, as a
// failing disk, a full file system or a signal would.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>

#include "rtl/files/export.h"

namespace rtl::detail {

enum class TFaultOp : uint8_t {
  Open,    // opening or creating a file
  Read,    // a read, at the position or at an offset
  Write,   // a write
  Copy,    // a copy the kernel makes between two files
  Close,   // closing a handle
  Sync,    // putting data on the disk
  Rename,  // renaming or replacing a file
  Delete,  // deleting a file
  Date,    // setting a file's date
  Attr,    // setting a file's attributes
};

// What the call does instead of its work: fail with Error (an interrupted
// call is retried by the layer as it would be for real), or, when Error is
// empty, transfer at most ShortCount bytes (reads and writes).
struct TFaultAction {
  std::error_code Error;
  int64_t ShortCount = 0;
};

// Called with the kind of each call; an action for the calls to disturb,
// nullopt for the others. Installed process-wide; nullptr removes it. Only
// for tests: install it while no operation runs.
using TFaultHook = std::function<std::optional<TFaultAction>(TFaultOp)>;
QUINDLE_RTL_FILES_EXPORT void SetFaultHook(TFaultHook Hook);

// For the back ends: the action the installed hook asks for the call Op, or
// nullopt (also when no hook is installed, which costs one atomic load).
QUINDLE_RTL_FILES_EXPORT extern std::atomic<bool> FaultHookSet;
QUINDLE_RTL_FILES_EXPORT std::optional<TFaultAction> ConsultFaultHook(TFaultOp Op);
inline std::optional<TFaultAction> Fault(TFaultOp Op) {
  if (!FaultHookSet.load(std::memory_order_relaxed)) return std::nullopt;
  return ConsultFaultHook(Op);
}

}  // namespace rtl::detail
