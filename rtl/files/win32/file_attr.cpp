// SPDX-License-Identifier: MIT
// FileGetAttr and FileSetAttr: the read-only, hidden, system and archive bits
// are the file system's own attributes on Windows.
#include <cerrno>
#include <string>

#include "rtl/files/fileutils.h"
#include "rtl/files/win32/sys_call.h"
#include "rtl/files/win32/win_api.h"

namespace rtl::detail {

// The attributes are read from the file system in one call each, so there is
// nothing for an attribute cache to keep.
struct AttributeCacheData {};

}  // namespace rtl::detail

namespace rtl {
namespace {

// Bits SetFileAttributesW takes that this layer has no word for but must not
// throw away when it sets the four it has.
constexpr DWORD kKeptBits = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE;

DWORD AttributesOf(const std::wstring& Name) {
  return GetFileAttributesW(Name.c_str());
}

}  // namespace

TAttributeCache::TAttributeCache() = default;
TAttributeCache::~TAttributeCache() = default;

int32_t FileGetAttr(const std::string& FileName) {
  std::wstring Name;
  if (FileName.find_first_of("*?") != std::string::npos || !win32::SystemName(FileName, Name))
    return -1;
  const DWORD A = AttributesOf(Name);
  return A == INVALID_FILE_ATTRIBUTES ? -1 : win32::AttrWord(A);
}

int32_t FileGetReadOnly(const std::string& FileName) {
  std::wstring Name;
  if (!win32::SystemName(FileName, Name)) return -1;
  const DWORD A = AttributesOf(Name);
  if (A == INVALID_FILE_ATTRIBUTES) return -1;
  return (A & FILE_ATTRIBUTE_READONLY) != 0 ? faReadOnly : 0;
}

int32_t FileSetAttr(const std::string& FileName, int32_t Attr) {
  std::wstring Name;
  if (!win32::SystemName(FileName, Name)) return ENOENT;
  const DWORD Old = AttributesOf(Name);
  if (Old == INVALID_FILE_ATTRIBUTES) return win32::LastError().value();
  const DWORD Mask = win32::kSettableBits | kKeptBits;
  const DWORD New = (static_cast<DWORD>(Attr) & win32::kSettableBits) | (Old & kKeptBits);
  // Unchanged attributes are left alone: nothing is written to the file.
  if (New == (Old & Mask)) return 0;
  return win32::SetFileAttributes(Name.c_str(), New != 0 ? New : FILE_ATTRIBUTE_NORMAL)
             ? 0
             : win32::LastError().value();
}

// A new file gets the archive bit from the file system, so a word without it
// must still be applied.
bool NewFilesFollowUmask(const std::string&) {
  return false;
}

}  // namespace rtl
