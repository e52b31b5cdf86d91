// SPDX-License-Identifier: MIT
// GetExpandedNameA: the name an SZDD file records for its expanded form.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
  size_t nameStart = source.rfind(PathDelim);
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  size_t last = source.size();
  if (last == nameStart || source[last - 1] != '_') return source;
  // A '/' cannot end a name; dropping the '_' of a bare "_" would leave none.
  if (stored == PathDelim || (stored == 0 && last - 1 == nameStart)) return source;

  std::string result = source.substr(0, last - 1);
  if (stored == 0) return result;
  // The case follows the name's last letter: "README.TX_" gives "README.TXT".
  for (size_t i = last - 1; i > nameStart; --i) {
    if (IsAsciiLetter(source[i - 1])) {
      stored = MatchCase(stored, source[i - 1]);
      break;
    }
  }
  return result + stored;
}

// Reads up to `count` bytes; the number read, or -1 on failure.
ssize_t ReadHeader(int fd, uint8_t* buf, size_t count) {
  size_t got = 0;
  while (got < count) {
    ssize_t n = ::read(fd, buf + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}

}  // namespace

int32_t GetExpandedNameA(const std::string& Source, std::string& Buffer) {
  int fd = ::open(Source.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LZERROR_BADINHANDLE;
  uint8_t header[szdd::kHeaderSize];
  ssize_t got = ReadHeader(fd, header, sizeof header);
  ::close(fd);
  if (got < 0) return LZERROR_READ;

  bool compressed =
      size_t(got) == szdd::kHeaderSize && std::memcmp(header, szdd::kMagic, szdd::kMagicSize) == 0;
  Buffer = compressed ? ExpandName(Source, char(header[szdd::kMissingCharOffset])) : Source;
  return 1;
}

}  // namespace rtl
