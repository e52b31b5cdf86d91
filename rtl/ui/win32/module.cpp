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

#include <algorithm>
#include <string>

#include "rtl/ui/resources.h"

namespace rtl {

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
  std::wstring Path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD Len = GetModuleFileNameW(nullptr, Path.data(), static_cast<DWORD>(Path.size()));
    if (Len == 0) return {};
    if (Len < Path.size()) {
      Path.resize(Len);
      break;
    }
    Path.resize(Path.size() * 2);
  }
  std::wstring Name = Path.substr(Path.find_last_of(L"\\/") + 1);
  if (Name.size() > 4 && _wcsicmp(Name.c_str() + Name.size() - 4, L".exe") == 0)
    Name.resize(Name.size() - 4);
  const int Size = static_cast<int>(Name.size());
  const int Len = WideCharToMultiByte(CP_UTF8, 0, Name.data(), Size, nullptr, 0, nullptr, nullptr);
  std::string Result(static_cast<size_t>(std::max(Len, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Name.data(), Size, Result.data(), Len, nullptr, nullptr);
  return Result;
}

}  // namespace rtl
