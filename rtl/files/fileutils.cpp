// SPDX-License-Identifier: MIT
// The platform-neutral part of the file services: name splitting. The
// file-system calls live in the back end.
#include "rtl/files/fileutils.h"

#include <limits>

#include "rtl/files/handles.h"

namespace rtl {
namespace {

// A separator, or the delimiter that ends a drive where names have drives.
constexpr bool EndsPart(char C) {
  return IsPathDelimiter(C) || (DriveDelim != '\0' && C == DriveDelim);
}

size_t LastDelimiter(const std::string& FileName) {
  for (size_t I = FileName.size(); I > 0; --I)
    if (EndsPart(FileName[I - 1])) return I - 1;
  return std::string::npos;
}

}  // namespace

std::string ExtractFileName(const std::string& FileName) {
  const size_t Last = LastDelimiter(FileName);
  return Last == std::string::npos ? FileName : FileName.substr(Last + 1);
}

std::string ExtractFilePath(const std::string& FileName) {
  const size_t Last = LastDelimiter(FileName);
  return Last == std::string::npos ? std::string() : FileName.substr(0, Last + 1);
}

std::string ExtractFileDir(const std::string& FileName) {
  std::string Dir = ExtractFilePath(FileName);
  // "/" and the doubled separator of "a//b" are kept: removing them would
  // name another directory; so is the separator right after a drive.
  if (Dir.size() > 1 && IsPathDelimiter(Dir.back()) && !EndsPart(Dir[Dir.size() - 2]))
    Dir.pop_back();
  return Dir;
}

THandle FileOpen(const std::string& FileName, uint32_t Mode) {
  static constexpr TAccess kAccess[] = {TAccess::Read, TAccess::Write, TAccess::ReadWrite};
  if ((Mode & 3) == 3) return InvalidHandle;
  TFileHandle Handle;
  if (OpenFile(FileName, kAccess[Mode & 3], Handle)) return InvalidHandle;
  return Handle.Release();
}

int32_t FileRead(THandle Handle, void* Buffer, int32_t Count) {
  if (Count < 0 || (Buffer == nullptr && Count > 0)) return -1;
  std::error_code Error;
  return static_cast<int32_t>(ReadFull(Handle, Buffer, Count, Error));
}

int32_t FileReadAt(THandle Handle, void* Buffer, int32_t Count, int64_t Offset) {
  if (Count < 0 || (Buffer == nullptr && Count > 0)) return -1;
  std::error_code Error;
  return static_cast<int32_t>(ReadAt(Handle, Buffer, Count, Offset, Error));
}

void FileClose(THandle Handle) {
  TFileHandle(Handle).Close();
}

}  // namespace rtl
