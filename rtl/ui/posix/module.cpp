// SPDX-License-Identifier: MIT
// Modules on POSIX: a module is a loaded ELF object, known by its base address.
#include <dlfcn.h>

#include <cerrno>

#include "rtl/ui/resources.h"

namespace rtl {

HINSTANCE FindHInstance(const void* Address) {
  Dl_info Info{};
  if (Address == nullptr || dladdr(Address, &Info) == 0) return nullptr;
  return Info.dli_fbase;
}

std::string ProgramName() {
  return program_invocation_short_name;
}

}  // namespace rtl
