// SPDX-License-Identifier: MIT
// GetExpandedNameA: the name an SZDD file records for its expanded form.

#include <cstring>
#include <string_view>

#include "rtl/files/handles.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_format.h"

namespace rtl {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiUpper(char c) {
  return c >= 'A' && c <= 'Z';
}

char MatchCase(char stored, char model) {
  if (!IsAsciiLetter(stored)) return stored;
  bool upper = IsAsciiUpper(model);
  if (upper && stored >= 'a') return char(stored - 'a' + 'A');
  if (!upper && stored <= 'Z') return char(stored - 'A' + 'a');
  return stored;
}

// Applies the stored last character to a name that ends in '_'.
std::string ExpandName(const std::string& source, char stored) {
  size_t nameStart = ExtractFilePath(source).size();
  size_t last = source.size();
  if (last == nameStart || source[last - 1] != '_') return source;
  // Only an extension is completed: "README_" is a whole name, not a cut one.
  if (source.find('.', nameStart) == std::string::npos) return source;
  // A '/' cannot end a name.
  if (IsPathDelimiter(stored)) return source;

  std::string result = source.substr(0, last - 1);
  if (stored != 0) {
    // The case follows the name's last letter: "README.TX_" gives "README.TXT".
    for (size_t i = last - 1; i > nameStart; --i) {
      if (IsAsciiLetter(source[i - 1])) {
        stored = MatchCase(stored, source[i - 1]);
        break;
      }
    }
    result += stored;
  }
  // "._" must not become the folder itself or its parent.
  const std::string_view name = std::string_view(result).substr(nameStart);
  if (name == "." || name == "..") return source;
  return result;
}

}  // namespace

int32_t GetExpandedNameA(const std::string& Source, std::string& Buffer) {
  TFileHandle file;
  TFileInfo info;
  if (OpenFile(Source, TAccess::Read, file, &info)) return LZERROR_BADINHANDLE;
  // Only a file has a header to look at: reading a FIFO or a device here
  // would take bytes that the transfer is to copy.
  uint8_t header[szdd::kHeaderSize];
  int64_t got = 0;
  if (info.Kind == TFileKind::Regular) {
    std::error_code error;
    got = ReadFull(file.Get(), header, sizeof header, error);
    if (got < 0) return LZERROR_READ;
  }
  bool compressed =
      size_t(got) == szdd::kHeaderSize && std::memcmp(header, szdd::kMagic, szdd::kMagicSize) == 0;
  Buffer = compressed ? ExpandName(Source, char(header[szdd::kMissingCharOffset])) : Source;
  return 1;
}

}  // namespace rtl
