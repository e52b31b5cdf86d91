// The platform-neutral part of the file services: name splitting and the
// text helpers. The file-system calls live in the back end (posix/).
#include "rtl/sysutils.h"

#include <locale.h>
#include <wctype.h>

#include <atomic>
#include <cstdio>
#include <optional>

namespace rtl {
namespace {

std::atomic<uint32_t> ErrorMode{0};

// Case mapping follows Unicode whatever locale the application runs in.
locale_t Utf8Locale() {
  static const locale_t Loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  return Loc;
}

// Decodes one well-formed UTF-8 sequence at Pos (no overlong forms, no
// surrogates); std::nullopt for a byte that does not start one.
std::optional<char32_t> DecodeUtf8(const std::string& S, size_t Pos, size_t& Len) {
  const auto B0 = static_cast<unsigned char>(S[Pos]);
  char32_t Min;
  if (B0 < 0x80) {
    Len = 1;
    return B0;
  } else if ((B0 & 0xE0) == 0xC0) {
    Len = 2, Min = 0x80;
  } else if ((B0 & 0xF0) == 0xE0) {
    Len = 3, Min = 0x800;
  } else if ((B0 & 0xF8) == 0xF0) {
    Len = 4, Min = 0x10000;
  } else {
    return std::nullopt;
  }
  if (Pos + Len > S.size()) return std::nullopt;
  char32_t C = B0 & (0x7F >> Len);
  for (size_t I = 1; I < Len; ++I) {
    const auto B = static_cast<unsigned char>(S[Pos + I]);
    if ((B & 0xC0) != 0x80) return std::nullopt;
    C = (C << 6) | (B & 0x3F);
  }
  if (C < Min || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF)) return std::nullopt;
  return C;
}

void EncodeUtf8(char32_t C, std::string& Out) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

// Bytes that are not well-formed UTF-8 are copied unchanged.
std::string MapCase(const std::string& S, bool Upper) {
  const locale_t Loc = Utf8Locale();
  std::string Out;
  Out.reserve(S.size());
  for (size_t Pos = 0; Pos < S.size();) {
    size_t Len = 1;
    const std::optional<char32_t> C = DecodeUtf8(S, Pos, Len);
    if (!C) {
      Out += S[Pos++];
      continue;
    }
    char32_t Mapped = *C;
    if (Loc != locale_t{}) {
      const auto W = static_cast<wint_t>(*C);
      Mapped = static_cast<char32_t>(Upper ? towupper_l(W, Loc) : towlower_l(W, Loc));
    } else if (*C < 0x80) {
      if (Upper && *C >= 'a' && *C <= 'z') Mapped = *C - 32;
      if (!Upper && *C >= 'A' && *C <= 'Z') Mapped = *C + 32;
    }
    EncodeUtf8(Mapped, Out);
    Pos += Len;
  }
  return Out;
}

}  // namespace

std::string ExtractFileName(const std::string& FileName) {
  const size_t Slash = FileName.rfind(PathDelim);
  return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

std::string ExtractFilePath(const std::string& FileName) {
  const size_t Slash = FileName.rfind(PathDelim);
  return Slash == std::string::npos ? std::string() : FileName.substr(0, Slash + 1);
}

std::string ExtractFileDir(const std::string& FileName) {
  std::string Dir = ExtractFilePath(FileName);
  // "/" and the doubled separator of "a//b" are kept: removing them would
  // name another directory.
  if (Dir.size() > 1 && Dir[Dir.size() - 2] != PathDelim) Dir.pop_back();
  return Dir;
}

uint32_t SetErrorMode(uint32_t Mode) {
  return ErrorMode.exchange(Mode);
}

std::string IntToStr(int64_t Value) {
  return std::to_string(Value);
}

std::string IntToHex(int64_t Value, int Digits) {
  char Text[17];
  const int Len = std::snprintf(Text, sizeof Text, "%llX",
                                static_cast<unsigned long long>(static_cast<uint64_t>(Value)));
  std::string Result(Text, static_cast<size_t>(Len));
  if (Digits > Len) Result.insert(0, static_cast<size_t>(Digits - Len), '0');
  return Result;
}

std::string AnsiLowerCase(const std::string& S) {
  return MapCase(S, false);
}

std::string AnsiUpperCase(const std::string& S) {
  return MapCase(S, true);
}

int CompareText(const std::string& S1, const std::string& S2) {
  const size_t N = std::min(S1.size(), S2.size());
  for (size_t I = 0; I < N; ++I) {
    int A = static_cast<unsigned char>(S1[I]);
    int B = static_cast<unsigned char>(S2[I]);
    if (A >= 'A' && A <= 'Z') A += 32;
    if (B >= 'A' && B <= 'Z') B += 32;
    if (A != B) return A - B;
  }
  return S1.size() < S2.size() ? -1 : S1.size() > S2.size() ? 1 : 0;
}

}  // namespace rtl
