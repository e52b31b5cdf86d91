// SPDX-License-Identifier: MIT
// Modules on Windows: a module is a loaded executable or DLL, known by its
// base address, which is its HMODULE.
#include <windows.h>
// Names of <windows.h> that the layer's header declares in its own way.
#undef FindResource
#undef RT_RCDATA
#undef RT_BITMAP
#undef RT_GROUP_ICON
#undef EnumResourceNames
#undef LoadLibrary
#undef GetModuleFileName

#include <algorithm>
#include <string>

#include "rtl/ui/modules.h"
#include "rtl/ui/resources.h"

namespace rtl {

namespace {

thread_local std::string LastError;

std::wstring Wide(const std::string& Utf8) {
  const int Size = static_cast<int>(Utf8.size());
  const int Len = MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), Size, nullptr, 0);
  std::wstring Result(static_cast<size_t>(std::max(Len, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, Utf8.data(), Size, Result.data(), Len);
  return Result;
}

std::string Utf8(const std::wstring& Text) {
  const int Size = static_cast<int>(Text.size());
  const int Len = WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, nullptr, 0, nullptr, nullptr);
  std::string Result(static_cast<size_t>(std::max(Len, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, Result.data(), Len, nullptr, nullptr);
  return Result;
}

// The full file name of a module, however long.
std::wstring ModulePath(HMODULE Module) {
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Len = GetModuleFileNameW(Module, Path.data(), static_cast<DWORD>(Path.size()));
    if (Len == 0) return {};
    if (Len < Path.size()) {
      Path.resize(Len);
      return Path;
    }
    Path.resize(Path.size() * 2);
  }
}

HMODULE AsModule(HINSTANCE Instance) {
  return static_cast<HMODULE>(const_cast<void*>(Instance));
}

}  // namespace

// The system counts loads of one module itself, so a module loaded twice
// needs two FreeLibrary calls here as there.
HINSTANCE LoadLibrary(const std::string& FileName) {
  const HMODULE Module = LoadLibraryW(Wide(FileName).c_str());
  if (Module == nullptr)
    LastError = FileName + ": cannot be loaded (error " + std::to_string(GetLastError()) + ")";
  return Module;
}

std::string LoadError() {
  return LastError;
}

bool FreeLibrary(HINSTANCE Instance) {
  return Instance != nullptr && ::FreeLibrary(AsModule(Instance)) != 0;
}

void* GetProcAddress(HINSTANCE Instance, const std::string& Name) {
  if (Instance == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(AsModule(Instance), Name.c_str()));
}

std::string GetModuleFileName(HINSTANCE Instance) {
  if (Instance == nullptr) return {};
  return Utf8(ModulePath(AsModule(Instance)));
}

bool ModuleFileExists(const std::string& FileName) {
  const DWORD A = GetFileAttributesW(Wide(FileName).c_str());
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

HINSTANCE FindHInstance(const void* Address) {
  HMODULE Module = nullptr;
  if (Address == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                    GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                static_cast<LPCWSTR>(Address), &Module))
    return nullptr;
  return Module;
}

// The program's file name without its directory and without ".exe", so that
// messages name the command as the user types it, as on POSIX.
std::string ProgramName() {
  const std::wstring Path = ModulePath(nullptr);
  std::wstring Name = Path.substr(Path.find_last_of(L"\\/") + 1);
  if (Name.size() > 4 && _wcsicmp(Name.c_str() + Name.size() - 4, L".exe") == 0)
    Name.resize(Name.size() - 4);
  return Utf8(Name);
}

}  // namespace rtl
