// SPDX-License-Identifier: MIT
#include "rtl/files/posix/dosattrib.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "rtl/files/fileutils.h"
#include "rtl/files/posix/sys_call.h"

namespace rtl::detail {

// What a TAttributeCache holds: the stored word of each file read under it,
// with the change time the file had then.
struct AttributeCacheData {
  struct KeyHash {
    size_t operator()(const std::pair<dev_t, ino_t>& K) const {
      return std::hash<uint64_t>()(static_cast<uint64_t>(K.second) * 0x9E3779B97F4A7C15u ^
                                   static_cast<uint64_t>(K.first));
    }
  };
  struct Entry {
    struct timespec ChangeTime;
    std::optional<uint32_t> Word;
  };
  std::unordered_map<std::pair<dev_t, ino_t>, Entry, KeyHash> Map;
};

}  // namespace rtl::detail

namespace rtl::posix {
namespace {

// Samba marks the fields of a version 3 to 5 record that hold real data.
constexpr uint32_t kValidAttrib = 0x1;
// No legitimate value comes near this; a larger one is not worth reading.
constexpr size_t kMaxValueSize = 64 * 1024;

std::optional<uint32_t> ParseHex(std::string_view Text) {
  if (Text.size() < 3 || Text[0] != '0' || (Text[1] != 'x' && Text[1] != 'X')) return std::nullopt;
  uint64_t Result = 0;
  for (char C : Text.substr(2)) {
    int Digit;
    if (C >= '0' && C <= '9') {
      Digit = C - '0';
    } else if (C >= 'a' && C <= 'f') {
      Digit = C - 'a' + 10;
    } else if (C >= 'A' && C <= 'F') {
      Digit = C - 'A' + 10;
    } else {
      return std::nullopt;
    }
    Result = Result * 16 + static_cast<uint64_t>(Digit);
    if (Result > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(Result);
}

uint32_t ReadLE16(std::string_view V, size_t Pos) {
  return static_cast<uint32_t>(static_cast<unsigned char>(V[Pos])) |
         static_cast<uint32_t>(static_cast<unsigned char>(V[Pos + 1])) << 8;
}

uint32_t ReadLE32(std::string_view V, size_t Pos) {
  return ReadLE16(V, Pos) | ReadLE16(V, Pos + 2) << 16;
}

// The NDR record: attrib_hex and its NUL, padding to 2, the version twice,
// padding to 4, then the version's info. Only the attribute field is taken;
// its place depends on the version alone.
std::optional<uint32_t> ParseBinary(std::string_view Value, size_t Nul) {
  size_t Pos = (Nul + 1 + 1) & ~size_t{1};
  if (Pos + 4 > Value.size()) return std::nullopt;
  const uint32_t Version = ReadLE16(Value, Pos);
  if (Version < 1 || Version > 5 || ReadLE16(Value, Pos + 2) != Version) return std::nullopt;
  Pos = (Pos + 4 + 3) & ~size_t{3};
  // v1 starts with the attribute; v2 with flags, v3-v5 with valid_flags.
  const size_t AttribPos = Version == 1 ? Pos : Pos + 4;
  if (AttribPos + 4 > Value.size()) return std::nullopt;
  if (Version >= 3 && (ReadLE32(Value, Pos) & kValidAttrib) == 0) return std::nullopt;
  return ReadLE32(Value, AttribPos);
}

}  // namespace

std::optional<uint32_t> ParseDosAttrib(std::string_view Value) {
  const size_t Nul = Value.find('\0');
  if (Nul == std::string_view::npos) return ParseHex(Value);
  // A non-empty text ending right after its NUL is the text form; anything
  // following the NUL makes it Samba's binary record.
  if (Nul + 1 == Value.size() && Nul > 0) return ParseHex(Value.substr(0, Nul));
  return ParseBinary(Value, Nul);
}

std::string FormatDosAttrib(uint32_t Attr) {
  char Text[16];
  const int Len = std::snprintf(Text, sizeof Text, "0x%x", static_cast<unsigned>(Attr));
  std::string Result(Text, static_cast<size_t>(Len));
  Result.push_back('\0');
  return Result;
}

std::optional<uint32_t> ReadDosAttrib(const std::string& FileName) {
  std::vector<char> Buffer(256);
  for (;;) {
    const ssize_t Len = getxattr(FileName.c_str(), kDosAttribName, Buffer.data(), Buffer.size());
    if (Len >= 0) return ParseDosAttrib(std::string_view(Buffer.data(), static_cast<size_t>(Len)));
    if (errno != ERANGE) return std::nullopt;
    const ssize_t Needed = getxattr(FileName.c_str(), kDosAttribName, nullptr, 0);
    if (Needed < 0 || static_cast<size_t>(Needed) > kMaxValueSize) return std::nullopt;
    // The value may grow between the two calls; the loop asks again.
    Buffer.resize(static_cast<size_t>(Needed) + 64);
  }
}

namespace {

// The cache of the outermost TAttributeCache alive on this thread, if any.
thread_local rtl::detail::AttributeCacheData* ActiveCache = nullptr;

}  // namespace

std::optional<uint32_t> ReadDosAttrib(const std::string& FileName, const struct stat& St) {
  if (ActiveCache == nullptr) return ReadDosAttrib(FileName);
  auto& Map = ActiveCache->Map;
  const auto Key = std::make_pair(St.st_dev, St.st_ino);
  if (const auto It = Map.find(Key); It != Map.end() &&
                                     It->second.ChangeTime.tv_sec == St.st_ctim.tv_sec &&
                                     It->second.ChangeTime.tv_nsec == St.st_ctim.tv_nsec)
    return It->second.Word;
  const std::optional<uint32_t> Word = ReadDosAttrib(FileName);
  Map.insert_or_assign(Key, rtl::detail::AttributeCacheData::Entry{St.st_ctim, Word});
  return Word;
}

void ForgetDosAttrib(const struct stat& St) {
  if (ActiveCache != nullptr) ActiveCache->Map.erase(std::make_pair(St.st_dev, St.st_ino));
}

int WriteDosAttrib(const std::string& FileName, uint32_t Attr) {
  int Rc;
  if (Attr == 0) {
    Rc = posix::RemoveXattr(FileName.c_str(), kDosAttribName);
    if (Rc != 0 && errno == ENODATA) return 0;
  } else {
    const std::string Text = FormatDosAttrib(Attr);
    Rc = posix::SetXattr(FileName.c_str(), kDosAttribName, Text.data(), Text.size());
  }
  if (Rc == 0) return 0;
  return errno == ENOTSUP ? 0 : errno;
}

}  // namespace rtl::posix

namespace rtl {

TAttributeCache::TAttributeCache() {
  if (posix::ActiveCache != nullptr) return;
  FData = std::make_unique<detail::AttributeCacheData>();
  posix::ActiveCache = FData.get();
}

TAttributeCache::~TAttributeCache() {
  if (FData && posix::ActiveCache == FData.get()) posix::ActiveCache = nullptr;
}

}  // namespace rtl
