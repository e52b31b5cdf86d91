// SPDX-License-Identifier: MIT
// The current directory, directories, rename, delete and the error mode.
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/win32/sys_call.h"
#include "rtl/files/win32/win_api.h"

namespace rtl {
namespace {

DWORD AttributesOf(const std::string& Name) {
  std::wstring Wide;
  if (!win32::SystemName(Name, Wide)) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(Wide.c_str());
}

}  // namespace

std::string GetCurrentDir() {
  const DWORD Len = GetCurrentDirectoryW(0, nullptr);
  if (Len == 0) return {};
  std::wstring Dir(Len, L'\0');
  const DWORD Got = GetCurrentDirectoryW(Len, Dir.data());
  if (Got == 0 || Got >= Len) return {};
  Dir.resize(Got);
  return win32::Narrow(Dir);
}

bool SetCurrentDir(const std::string& Dir) {
  std::wstring Wide;
  return win32::SystemName(Dir, Wide) && SetCurrentDirectoryW(Wide.c_str());
}

bool CreateDir(const std::string& Dir) {
  std::wstring Wide;
  return win32::SystemName(Dir, Wide) && CreateDirectoryW(Wide.c_str(), nullptr);
}

bool FileExists(const std::string& FileName) {
  const DWORD A = AttributesOf(FileName);
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& Name) {
  const DWORD A = AttributesOf(Name);
  return A != INVALID_FILE_ATTRIBUTES && (A & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Windows has no right to enter a directory apart from reading it.
bool DirectoryEnterable(const std::string& Name) {
  return DirectoryExists(Name);
}

bool DeleteFile(const std::string& FileName) {
  std::wstring Wide;
  return win32::SystemName(FileName, Wide) && win32::DeleteFile(Wide.c_str());
}

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  std::wstring From, To;
  // Without MOVEFILE_REPLACE_EXISTING an existing NewName fails the call,
  // and without MOVEFILE_COPY_ALLOWED so does another volume: the caller
  // copies then.
  return win32::SystemName(OldName, From) && win32::SystemName(NewName, To) &&
         win32::MoveFileEx(From.c_str(), To.c_str(), 0);
}

uint32_t SetErrorMode(uint32_t Mode) {
  return ::SetErrorMode(Mode);
}

}  // namespace rtl
