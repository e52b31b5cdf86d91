// SPDX-License-Identifier: MIT
// The fault-injection hook, shared by the back ends.
#include "rtl/files/fault_injection.h"

#include <mutex>

namespace rtl::detail {

std::atomic<bool> FaultHookSet{false};

namespace {

std::mutex HookLock;

// Never destroyed, so that a call made while the process exits still finds it.
TFaultHook& Hook() {
  static TFaultHook* Instance = new TFaultHook;
  return *Instance;
}

}  // namespace

std::optional<TFaultAction> ConsultFaultHook(TFaultOp Op) {
  std::lock_guard Guard(HookLock);
  if (!Hook()) return std::nullopt;
  return Hook()(Op);
}

void SetFaultHook(TFaultHook NewHook) {
  std::lock_guard Guard(HookLock);
  Hook() = std::move(NewHook);
  FaultHookSet.store(static_cast<bool>(Hook()), std::memory_order_relaxed);
}

}  // namespace rtl::detail
