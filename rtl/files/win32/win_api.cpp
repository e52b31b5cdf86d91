// SPDX-License-Identifier: MIT
#include "rtl/files/win32/win_api.h"

#include <cerrno>
#include <cwctype>

#include "rtl/files/win32/sys_call.h"

namespace rtl::win32 {
namespace {

// Names shorter than this go to the system as they are. CreateDirectoryW
// refuses 248 characters and more (room for an 8.3 name below MAX_PATH).
constexpr size_t kClassicLimit = 248;

char Upper(char C) {
  return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}

bool Reserved(std::string_view Part) {
  // The device name is what comes before the first dot, less trailing blanks.
  Part = Part.substr(0, Part.find('.'));
  while (!Part.empty() && Part.back() == ' ') Part.remove_suffix(1);
  std::string Name;
  for (char C : Part) Name.push_back(Upper(C));
  if (Name == "CON" || Name == "PRN" || Name == "AUX" || Name == "NUL") return true;
  return Name.size() == 4 && (Name.starts_with("COM") || Name.starts_with("LPT")) &&
         Name[3] >= '1' && Name[3] <= '9';
}

}  // namespace

bool Widen(std::string_view Text, std::wstring& Out) {
  Out.clear();
  if (Text.empty()) return true;
  const int Size = static_cast<int>(Text.size());
  const int Len = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), Size, nullptr, 0);
  if (Len <= 0) return false;
  Out.resize(static_cast<size_t>(Len));
  return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Text.data(), Size, Out.data(), Len) ==
         Len;
}

std::string Narrow(std::wstring_view Text) {
  if (Text.empty()) return {};
  const int Size = static_cast<int>(Text.size());
  const int Len = WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, nullptr, 0, nullptr, nullptr);
  if (Len <= 0) return {};
  std::string Out(static_cast<size_t>(Len), '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, Out.data(), Len, nullptr, nullptr);
  return Out;
}

bool HasReservedPart(std::string_view Name) {
  if (Name.starts_with("\\\\.\\") || Name.starts_with("\\\\?\\")) return false;
  if (Name.size() >= 2 && Name[1] == ':') Name.remove_prefix(2);
  while (!Name.empty()) {
    const size_t End = Name.find_first_of("\\/");
    if (Reserved(Name.substr(0, End))) return true;
    if (End == std::string_view::npos) break;
    Name.remove_prefix(End + 1);
  }
  return false;
}

bool SystemName(const std::string& Name, std::wstring& Out) {
  if (Name.empty() || Name.find('\0') != std::string::npos || HasReservedPart(Name)) return false;
  if (!Widen(Name, Out)) return false;
  if (Out.size() < kClassicLimit || Out.starts_with(L"\\\\?\\")) return true;
  // The long form takes a full name with backslashes and no "." or ".."
  // parts, which GetFullPathNameW gives.
  const DWORD Len = GetFullPathNameW(Out.c_str(), 0, nullptr, nullptr);
  if (Len == 0) return false;
  std::wstring Full(Len, L'\0');
  const DWORD Got = GetFullPathNameW(Out.c_str(), Len, Full.data(), nullptr);
  if (Got == 0 || Got >= Len) return false;
  Full.resize(Got);
  if (Full.starts_with(L"\\\\?\\") || Full.starts_with(L"\\\\.\\")) {
    Out = std::move(Full);
  } else if (Full.starts_with(L"\\\\")) {
    Out = L"\\\\?\\UNC\\" + Full.substr(2);
  } else {
    Out = L"\\\\?\\" + Full;
  }
  return true;
}

int ErrnoOf(DWORD Code) {
  switch (Code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_NO_MORE_FILES:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_CANNOT_MAKE:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_INVALID_PARAMETER:
    case ERROR_NEGATIVE_SEEK:
      return EINVAL;
    case ERROR_SEEK_ON_DEVICE:
      return ESPIPE;
    case ERROR_NOT_SUPPORTED:
      return ENOTSUP;
    case ERROR_CALL_NOT_IMPLEMENTED:
      return ENOSYS;
    case ERROR_BUSY:
    case ERROR_NOT_READY:
      return EBUSY;
    case ERROR_OPERATION_ABORTED:
      return ECANCELED;
    case ERROR_CANT_RESOLVE_FILENAME:
      return ELOOP;
    default:
      return EIO;
  }
}

std::error_code LastError() {
  const DWORD Code = GetLastError();
  if (Code == kInjectedFault) return InjectedError();
  return ErrorOf(ErrnoOf(Code));
}

}  // namespace rtl::win32
