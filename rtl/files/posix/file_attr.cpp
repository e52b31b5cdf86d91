// SPDX-License-Identifier: MIT
// FileGetAttr and FileSetAttr: read-only lives in the permission bits, the
// directory bit in the file type, hidden/system/archive in user.DOSATTRIB.
#include "rtl/files/posix/file_attr.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/dosattrib.h"
#include "rtl/files/posix/sys_call.h"

namespace rtl::posix {
namespace {

constexpr uint32_t kStoredBits = faHidden | faSysFile | faArchive;
// Bits Samba keeps that this layer has no use for but must not throw away
// when it rewrites the attribute: everything above the six DOS bits.
constexpr uint32_t kForeignBits = ~uint32_t{0x3F};
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// The name's last component, ignoring trailing separators ("dir/.x/" -> ".x").
std::string_view LastComponent(std::string_view Name) {
  while (Name.size() > 1 && Name.back() == PathDelim) Name.remove_suffix(1);
  const size_t Slash = Name.rfind(PathDelim);
  return Slash == std::string_view::npos ? Name : Name.substr(Slash + 1);
}

// Read-only changes write bits only: setting it clears every write bit, and
// clearing it gives back the owner's write bit alone, so that a file nobody
// else could write before does not become writable by the group or others.
int SetReadOnly(const std::string& FileName, const struct stat& St, bool ReadOnly) {
  const mode_t Mode = St.st_mode & 07777;
  mode_t NewMode = Mode;
  if (ReadOnly)
    NewMode = Mode & ~kWriteBits;
  else if ((Mode & kWriteBits) == 0)
    NewMode = Mode | S_IWUSR;
  if (NewMode == Mode) return 0;
  return posix::Chmod(FileName.c_str(), NewMode) == 0 ? 0 : errno;
}

int SetStoredBits(const std::string& FileName, const struct stat& St, uint32_t Attr) {
  const std::optional<uint32_t> Old = ReadDosAttrib(FileName, St);
  const uint32_t Wanted = Attr & kStoredBits;
  // An unchanged value is left alone, so that a record Samba wrote (with its
  // creation time) survives a copy run that sets the same bits again.
  if (Wanted == (Old.value_or(0) & kStoredBits)) return 0;
  uint32_t Value = Wanted | (Old.value_or(0) & kForeignBits);
  if (Value != 0) {
    // Samba and Wine readers expect the whole word, as Samba writes it.
    if (S_ISDIR(St.st_mode)) Value |= faDirectory;
    if (Attr & faReadOnly) Value |= faReadOnly;
  }
  ForgetDosAttrib(St);
  return WriteDosAttrib(FileName, Value);
}

}  // namespace

bool UsableName(std::string_view Name) {
  return !Name.empty() && Name.find('\0') == std::string_view::npos;
}

bool DotName(std::string_view Name) {
  return !Name.empty() && Name[0] == '.' && Name != "." && Name != "..";
}

int32_t AttrFromStat(const std::string& FileName, std::string_view Last, const struct stat& St) {
  int32_t Attr = 0;
  if (S_ISDIR(St.st_mode)) Attr |= faDirectory;
  if ((St.st_mode & kWriteBits) == 0) Attr |= faReadOnly;
  if (const std::optional<uint32_t> Stored = ReadDosAttrib(FileName, St)) {
    Attr |= static_cast<int32_t>(*Stored & kStoredBits);
  }
  if (DotName(Last)) Attr |= faHidden;
  return Attr;
}

int64_t PackedMTime(const struct stat& St) {
  return static_cast<int64_t>(St.st_mtim.tv_sec) * 1000000 + St.st_mtim.tv_nsec / 1000;
}

}  // namespace rtl::posix

namespace rtl {

int32_t FileGetAttr(const std::string& FileName) {
  if (!posix::UsableName(FileName) || FileName.find_first_of("*?") != std::string::npos) return -1;
  struct stat St;
  if (stat(FileName.c_str(), &St) != 0) return -1;
  return posix::AttrFromStat(FileName, posix::LastComponent(FileName), St);
}

int32_t FileGetReadOnly(const std::string& FileName) {
  struct stat St;
  if (!posix::UsableName(FileName) || stat(FileName.c_str(), &St) != 0) return -1;
  return (St.st_mode & posix::kWriteBits) == 0 ? faReadOnly : 0;
}

int32_t FileSetAttr(const std::string& FileName, int32_t Attr) {
  if (!posix::UsableName(FileName)) return ENOENT;
  struct stat St;
  if (stat(FileName.c_str(), &St) != 0) return errno;
  const uint32_t Bits = static_cast<uint32_t>(Attr);
  if (const int Rc = posix::SetReadOnly(FileName, St, (Bits & faReadOnly) != 0)) return Rc;
  return posix::SetStoredBits(FileName, St, Bits);
}

bool NewFilesFollowUmask(const std::string& Dir) {
  if (!Dir.empty() && !posix::UsableName(Dir)) return false;
  const ssize_t Len =
      getxattr(Dir.empty() ? "." : Dir.c_str(), "system.posix_acl_default", nullptr, 0);
  return Len < 0 && (errno == ENODATA || errno == EOPNOTSUPP);
}

}  // namespace rtl
