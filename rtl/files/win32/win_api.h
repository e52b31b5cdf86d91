// SPDX-License-Identifier: MIT
// Internals shared by the Windows back end: UTF-8 names to the wide names the
// system takes, the system's errors as errno values, and file times.
#pragma once

#include <windows.h>
// The wide-character macros of <windows.h> that would rename the layer's own
// functions (rtl::CreateFile, rtl::DeleteFile, rtl::ReplaceFile, ...).
#undef CreateFile
#undef DeleteFile
#undef MoveFileEx
#undef SetFileAttributes
#undef ReplaceFile
#undef FindResource

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace rtl::win32 {

// UTF-16 of a UTF-8 text; false for a text that is not valid UTF-8.
bool Widen(std::string_view Text, std::wstring& Out);
// UTF-8 of a UTF-16 text (an unpaired surrogate becomes U+FFFD).
std::string Narrow(std::wstring_view Text);

// True when a part of Name is one of the names Windows keeps for devices
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9), with or without an extension
// ("aux.txt") and in any case. Opening such a name reaches the device, not a
// file, so the layer refuses it; names that ask for the device or the raw
// file system explicitly ("\\.\", "\\?\") are taken as they are.
bool HasReservedPart(std::string_view Name);

// The name to give the system for Name: the wide form, made absolute and
// prefixed with "\\?\" when it is too long for the classic path limit. False
// for a name no call should be given: empty, holding a NUL byte, not valid
// UTF-8, or with a reserved part.
bool SystemName(const std::string& Name, std::wstring& Out);

// The errno value that stands for a system error code (EIO for those
// without a closer one).
int ErrnoOf(DWORD Code);
inline std::error_code ErrorOf(int Errno) {
  return {Errno, std::generic_category()};
}
// GetLastError() as an error code (or the fault the test hook injected).
std::error_code LastError();

// Packed file date-time (100 ns since 1970 UTC) and FILETIME (100 ns since
// 1601 UTC).
constexpr int64_t kEpochDifference = 116444736000000000;
inline int64_t PackedOf(const FILETIME& T) {
  return static_cast<int64_t>((uint64_t{T.dwHighDateTime} << 32) | T.dwLowDateTime) -
         kEpochDifference;
}
inline FILETIME FileTimeOf(int64_t Packed) {
  const uint64_t V = static_cast<uint64_t>(Packed + kEpochDifference);
  return FILETIME{static_cast<DWORD>(V & 0xFFFFFFFFu), static_cast<DWORD>(V >> 32)};
}

// The four attribute bits a program sets on Windows; the directory bit and
// the system's own bits are not settable.
constexpr DWORD kSettableBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
// The attribute word of the layer for the system's attributes.
inline int32_t AttrWord(DWORD Attributes) {
  return static_cast<int32_t>(Attributes & (kSettableBits | FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace rtl::win32
