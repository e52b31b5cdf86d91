// SPDX-License-Identifier: MIT
#include "rtl/ui/modules.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace rtl {

namespace {

struct TModuleList {
  std::mutex Lock;
  TLibModule* Head = nullptr;
};

// Never destroyed: modules unregister during their own unloading, which may
// come after this library's static objects are gone.
TModuleList& List() {
  static TModuleList* Instance = new TModuleList;
  return *Instance;
}

}  // namespace

void RegisterModule(TLibModule* Module) {
  if (Module == nullptr) return;
  TModuleList& L = List();
  std::lock_guard Guard(L.Lock);
  for (TLibModule* M = L.Head; M != nullptr; M = M->Next)
    if (M == Module) return;
  Module->Next = L.Head;
  L.Head = Module;
}

void UnregisterModule(TLibModule* Module) {
  TModuleList& L = List();
  std::lock_guard Guard(L.Lock);
  for (TLibModule** Link = &L.Head; *Link != nullptr; Link = &(*Link)->Next)
    if (*Link == Module) {
      *Link = Module->Next;
      Module->Next = nullptr;
      return;
    }
}

std::vector<const TLibModule*> ModuleList() {
  TModuleList& L = List();
  std::lock_guard Guard(L.Lock);
  std::vector<const TLibModule*> Result;
  for (const TLibModule* M = L.Head; M != nullptr; M = M->Next) Result.push_back(M);
  return Result;
}

HINSTANCE FindResourceHInstance(HINSTANCE Instance) {
  TModuleList& L = List();
  std::lock_guard Guard(L.Lock);
  for (const TLibModule* M = L.Head; M != nullptr; M = M->Next)
    if (M->Instance == Instance && M->ResInstance != nullptr) return M->ResInstance;
  return Instance;
}

const TResourceEntry* FindModuleResource(HINSTANCE Instance, std::string_view Type,
                                         std::string_view Name) {
  return FindResource(FindResourceHInstance(Instance), Type, Name);
}

std::string UserLanguage() {
  std::string Value;
  for (const char* Variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* V = std::getenv(Variable);
    if (V != nullptr && *V != '\0') {
      Value = V;
      break;
    }
  }
  Value = Value.substr(0, Value.find_first_of(".@"));
  if (Value == "C" || Value == "POSIX") return std::string();
  return Value;
}

std::vector<std::string> ResourceModuleNames(const std::string& ModuleFileName,
                                             const std::string& Language) {
  std::vector<std::string> Names;
  // Only a language name made of letters, digits and '_' is used, so that no
  // environment can make the name climb out of the module's folder.
  const bool Plain = !Language.empty() && std::all_of(Language.begin(), Language.end(), [](char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
  });
  if (ModuleFileName.empty() || !Plain) return Names;
  Names.push_back(ModuleFileName + "." + Language);
  const size_t Territory = Language.find('_');
  if (Territory != std::string::npos && Territory > 0)
    Names.push_back(ModuleFileName + "." + Language.substr(0, Territory));
  return Names;
}

HINSTANCE LoadResourceModule(const std::string& ModuleFileName) {
  for (const std::string& Name : ResourceModuleNames(ModuleFileName, UserLanguage()))
    if (ModuleFileExists(Name))
      if (HINSTANCE Instance = LoadLibrary(Name)) return Instance;
  return nullptr;
}

}  // namespace rtl
