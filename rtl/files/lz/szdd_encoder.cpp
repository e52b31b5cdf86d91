// SPDX-License-Identifier: MIT
// SZDDCompress: greedy LZ77 with hash chains over the SZDD window.

#include "rtl/files/lz/szdd_encoder.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "rtl/files/lz/szdd_format.h"

namespace rtl {
namespace {

using namespace szdd;

constexpr int kHashBits = 15;
constexpr int kMaxChain = 48;
// A distance of 4096 would read the window slot being written; every expander
// handles that alike, but nothing is lost by staying one short of it.
constexpr size_t kMaxDistance = kWindowSize - 1;

struct Match {
  size_t length = 0;
  size_t distance = 0;
};

// Finds matches in `text`, whose first 4096 bytes are the window's initial
// spaces. Positions must be inserted in order; prev_ is a ring of one window.
class Matcher {
 public:
  explicit Matcher(const std::string& text) : text_(text), head_(size_t(1) << kHashBits, -1) {}

  void Insert(size_t q) {
    if (q + kMinMatch > text_.size()) return;
    uint32_t h = Hash(q);
    prev_[q & kWindowMask] = head_[h];
    head_[h] = static_cast<int64_t>(q);
  }

  Match Find(size_t q) const {
    Match best;
    size_t maxLen = std::min<size_t>(kMaxMatch, text_.size() - q);
    if (maxLen < kMinMatch) return best;
    int64_t limit = q > kMaxDistance ? int64_t(q - kMaxDistance) : 0;
    const char* here = text_.data() + q;
    int64_t cand = head_[Hash(q)];
    for (int depth = kMaxChain; cand >= limit && depth > 0; --depth) {
      const char* there = text_.data() + cand;
      if (there[best.length] == here[best.length]) {
        size_t len = 0;
        while (len < maxLen && there[len] == here[len]) ++len;
        if (len > best.length) {
          best = {len, q - size_t(cand)};
          if (len == maxLen) break;
        }
      }
      cand = prev_[size_t(cand) & kWindowMask];
    }
    if (best.length < kMinMatch) best = {};
    return best;
  }

 private:
  uint32_t Hash(size_t q) const {
    auto b = [&](size_t i) { return uint32_t(uint8_t(text_[q + i])); };
    return ((b(0) | b(1) << 8 | b(2) << 16) * 2654435761u) >> (32 - kHashBits);
  }

  const std::string& text_;
  std::vector<int64_t> head_;
  int64_t prev_[kWindowSize] = {};
};

// Appends tokens, each group of eight behind its control byte.
class TokenWriter {
 public:
  explicit TokenWriter(std::string& out) : out_(out) {}

  void Literal(char c) {
    Next(true);
    out_.push_back(c);
  }
  // windowPos: where the match starts in the expander's window.
  void Copy(uint32_t windowPos, size_t length) {
    Next(false);
    out_.push_back(char(windowPos & 0xFF));
    out_.push_back(char(((windowPos >> 4) & 0xF0) | (length - kMinMatch)));
  }

 private:
  void Next(bool literal) {
    if (bits_ == 8) {
      control_ = out_.size();
      out_.push_back(0);
      bits_ = 0;
    }
    if (literal) out_[control_] = char(uint8_t(out_[control_]) | (1u << bits_));
    ++bits_;
  }

  std::string& out_;
  size_t control_ = 0;
  int bits_ = 8;
};

void AppendHeader(std::string& out, size_t size, char missingChar) {
  out.append(reinterpret_cast<const char*>(kMagic), kMagicSize);
  out.push_back(char(kModeA));
  out.push_back(missingChar);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(char((uint64_t(size) >> shift) & 0xFF));
}

}  // namespace

std::string SZDDCompress(std::string_view Data, char MissingChar) {
  std::string out;
  out.reserve(kHeaderSize + Data.size() + Data.size() / 8 + 2);
  AppendHeader(out, Data.size(), MissingChar);

  std::string text(kWindowSize, char(kFill));
  text.append(Data);
  Matcher matcher(text);
  for (size_t q = 0; q < kWindowSize; ++q) matcher.Insert(q);

  TokenWriter tokens(out);
  size_t q = kWindowSize;
  while (q < text.size()) {
    Match m = matcher.Find(q);
    if (m.length == 0) {
      tokens.Literal(text[q]);
      matcher.Insert(q++);
      continue;
    }
    uint32_t pos = uint32_t(kStartPos + (q - kWindowSize));
    tokens.Copy((pos - uint32_t(m.distance)) & kWindowMask, m.length);
    for (size_t end = q + m.length; q < end; ++q) matcher.Insert(q);
  }
  return out;
}

}  // namespace rtl
