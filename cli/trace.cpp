// SPDX-License-Identifier: MIT
#include "cli/trace.h"

#include <ostream>

namespace quindle::cli {

namespace {

constexpr char kHex[] = "0123456789abcdef";

// The length of the valid UTF-8 sequence at S[Pos] (1 to 4), or 0 when the
// byte there does not start one. Overlong forms, surrogates and values above
// U+10FFFF are not valid.
size_t Utf8Length(const std::string& S, size_t Pos) {
  const auto B = [&](size_t I) { return static_cast<unsigned char>(S[Pos + I]); };
  const unsigned char Lead = B(0);
  size_t Length = 0;
  unsigned char Low = 0x80, High = 0xBF;  // the range of the second byte
  if (Lead < 0x80) return 1;
  if (Lead >= 0xC2 && Lead <= 0xDF) {
    Length = 2;
  } else if (Lead >= 0xE0 && Lead <= 0xEF) {
    Length = 3;
    if (Lead == 0xE0) Low = 0xA0;
    if (Lead == 0xED) High = 0x9F;
  } else if (Lead >= 0xF0 && Lead <= 0xF4) {
    Length = 4;
    if (Lead == 0xF0) Low = 0x90;
    if (Lead == 0xF4) High = 0x8F;
  } else {
    return 0;
  }
  if (Pos + Length > S.size()) return 0;
  if (B(1) < Low || B(1) > High) return 0;
  for (size_t I = 2; I < Length; ++I)
    if ((B(I) & 0xC0) != 0x80) return 0;
  return Length;
}

}  // namespace

std::string JsonEscape(const std::string& S) {
  std::string Out;
  Out.reserve(S.size() + 8);
  for (size_t Pos = 0; Pos < S.size();) {
    const auto C = static_cast<unsigned char>(S[Pos]);
    const size_t Length = Utf8Length(S, Pos);
    if (Length == 0) {
      Out += "\\udc";
      Out += kHex[C >> 4];
      Out += kHex[C & 15];
      ++Pos;
      continue;
    }
    if (Length > 1) {
      Out.append(S, Pos, Length);
    } else if (C == '"' || C == '\\') {
      Out += '\\';
      Out += static_cast<char>(C);
    } else if (C == '\n') {
      Out += "\\n";
    } else if (C == '\r') {
      Out += "\\r";
    } else if (C == '\t') {
      Out += "\\t";
    } else if (C < 0x20 || C == 0x7F) {
      Out += "\\u00";
      Out += kHex[C >> 4];
      Out += kHex[C & 15];
    } else {
      Out += static_cast<char>(C);
    }
    Pos += Length;
  }
  return Out;
}

void TTraceWriter::Line(const std::string& Name, const std::vector<TField>& Fields) {
  std::string L = R"({"event":")" + JsonEscape(Name) + '"';
  for (const TField& F : Fields) {
    L += ",\"";
    L += F.Key;
    L += "\":";
    L += F.Numeric ? std::to_string(F.Number) : '"' + JsonEscape(F.Text) + '"';
  }
  L += "}\n";
  FOut << L << std::flush;
}

void TTraceWriter::Event(const std::string& Name, int32_t Progress) {
  Line(Name, {{"progress", int64_t{Progress}}});
}

void TTraceWriter::FileEvent(const std::string& Name, int32_t Progress, const std::string& Source,
                             const std::string& Target) {
  Line(Name, {{"progress", int64_t{Progress}}, {"source", Source}, {"target", Target}});
}

void TTraceWriter::SetAttr(int32_t Progress, const std::string& File, int32_t Attr) {
  Line("OnSetAttr", {{"progress", int64_t{Progress}}, {"file", File}, {"attr", int64_t{Attr}}});
}

void TTraceWriter::Message(const std::string& Text) {
  Line("message", {{"text", Text}});
}

}  // namespace quindle::cli
