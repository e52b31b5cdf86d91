// SPDX-License-Identifier: MIT
// Modules on POSIX: a module is a loaded ELF object, known by its base address.
#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <mutex>

#include "rtl/ui/modules.h"
#include "rtl/ui/resources.h"

namespace rtl {

namespace {

struct TLoaded {
  void* Handle;
  int Count;
};

struct TLoader {
  std::mutex Lock;
  std::map<HINSTANCE, TLoaded> Modules;  // by instance
};

TLoader& Loader() {
  static TLoader* Instance = new TLoader;
  return *Instance;
}

thread_local std::string LastError;

// The base address of the object behind a dlopen handle: the one dladdr
// gives for its dynamic section, as FindHInstance gives for its code.
HINSTANCE BaseOf(void* Handle) {
  link_map* Map = nullptr;
  if (dlinfo(Handle, RTLD_DI_LINKMAP, &Map) != 0 || Map == nullptr) return nullptr;
  return FindHInstance(Map->l_ld);
}

std::string FullName(const char* Name) {
  if (Name == nullptr || *Name == '\0') return std::string();
  char Resolved[PATH_MAX];
  if (realpath(Name, Resolved) != nullptr) return Resolved;
  return Name;
}

}  // namespace

HINSTANCE FindHInstance(const void* Address) {
  Dl_info Info{};
  if (Address == nullptr || dladdr(Address, &Info) == 0) return nullptr;
  return Info.dli_fbase;
}

std::string ProgramName() {
  return program_invocation_short_name;
}

HINSTANCE LoadLibrary(const std::string& FileName) {
  void* Handle = dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (Handle == nullptr) {
    const char* Error = dlerror();
    LastError = Error != nullptr ? Error : FileName + ": cannot be loaded";
    return nullptr;
  }
  const HINSTANCE Instance = BaseOf(Handle);
  if (Instance == nullptr) {
    dlclose(Handle);
    LastError = FileName + ": the loaded module has no address";
    return nullptr;
  }
  TLoader& L = Loader();
  std::lock_guard Guard(L.Lock);
  auto [It, New] = L.Modules.try_emplace(Instance, TLoaded{Handle, 0});
  ++It->second.Count;
  return Instance;
}

std::string LoadError() {
  return LastError;
}

bool FreeLibrary(HINSTANCE Instance) {
  void* Handle = nullptr;
  {
    TLoader& L = Loader();
    std::lock_guard Guard(L.Lock);
    auto It = L.Modules.find(Instance);
    if (It == L.Modules.end()) return false;
    Handle = It->second.Handle;
    if (--It->second.Count == 0) L.Modules.erase(It);
  }
  // Outside the lock: unloading runs the module's own finalisation, which
  // may ask the loader about itself.
  dlclose(Handle);
  return true;
}

void* GetProcAddress(HINSTANCE Instance, const std::string& Name) {
  void* Handle = nullptr;
  {
    TLoader& L = Loader();
    std::lock_guard Guard(L.Lock);
    auto It = L.Modules.find(Instance);
    if (It == L.Modules.end()) return nullptr;
    Handle = It->second.Handle;
  }
  return dlsym(Handle, Name.c_str());
}

std::string GetModuleFileName(HINSTANCE Instance) {
  Dl_info Info{};
  if (Instance == nullptr || dladdr(Instance, &Info) == 0) return std::string();
  // The program is listed under the name it was started by, which may be
  // bare or relative to a directory left since.
  if (void* Program = dlopen(nullptr, RTLD_NOW); Program != nullptr) {
    const bool IsProgram = BaseOf(Program) == Info.dli_fbase;
    dlclose(Program);
    if (IsProgram) {
      char Path[PATH_MAX];
      const ssize_t N = readlink("/proc/self/exe", Path, sizeof Path - 1);
      if (N > 0) return std::string(Path, static_cast<size_t>(N));
    }
  }
  return FullName(Info.dli_fname);
}

bool ModuleFileExists(const std::string& FileName) {
  struct stat St {};
  return stat(FileName.c_str(), &St) == 0 && S_ISREG(St.st_mode);
}

}  // namespace rtl
