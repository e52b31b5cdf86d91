// SPDX-License-Identifier: MIT
// The user.DOSATTRIB extended attribute, where Samba and Wine keep the DOS
// attribute bits that POSIX has no place for (hidden, system, archive).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rtl/files/export.h"

namespace rtl::posix {

inline constexpr char kDosAttribName[] = "user.DOSATTRIB";

// The attribute word held in a raw attribute value: the text form "0x" + hex
// (with or without a NUL after it) or Samba's binary form, versions 1 to 5.
// std::nullopt for anything else, and for a binary value whose attribute field
// is marked as not valid.
QUINDLE_RTL_FILES_EXPORT std::optional<uint32_t> ParseDosAttrib(std::string_view Value);

// The text form this layer writes: "0x", lower-case hex digits, a NUL byte.
QUINDLE_RTL_FILES_EXPORT std::string FormatDosAttrib(uint32_t Attr);

// The stored word of a file (symbolic links followed); std::nullopt when the
// attribute is absent, unreadable, not recognised, or the file system keeps
// no extended attributes.
QUINDLE_RTL_FILES_EXPORT std::optional<uint32_t> ReadDosAttrib(const std::string& FileName);

// The same for a file whose stat data (symbolic links followed) is St. While
// a TAttributeCache lives on this thread, the word is read once per file and
// reused as long as the file's device, inode and change time are those of St.
QUINDLE_RTL_FILES_EXPORT std::optional<uint32_t> ReadDosAttrib(const std::string& FileName,
                                                               const struct stat& St);

// Drops what the cache holds for the file of St; called after writing its word.
QUINDLE_RTL_FILES_EXPORT void ForgetDosAttrib(const struct stat& St);

// Stores Attr in the text form, or removes the attribute when Attr is 0.
// 0 on success (also when the file system keeps no extended attributes, where
// there is nothing to store), otherwise an errno value.
QUINDLE_RTL_FILES_EXPORT int WriteDosAttrib(const std::string& FileName, uint32_t Attr);

}  // namespace rtl::posix
