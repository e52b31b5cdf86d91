// SPDX-License-Identifier: MIT
// LZCopy: SZDD expansion, or a plain copy of anything that is not compressed.

#include <cstring>
#include <memory>
#include <new>

#include "rtl/files/handles.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_format.h"

namespace rtl {
namespace {

using namespace szdd;

constexpr size_t kInputSize = 256 * 1024;
// Output is flushed once this much is pending; the window (the last 4096 bytes
// written) stays in front of it, so matches never need a modulo.
constexpr size_t kOutputSize = 256 * 1024;
// Room behind the flush limit for one more group, plus the over-copy of a
// fixed-size match copy.
constexpr size_t kOutputSlack = kMaxGroupOutput + kMaxMatch;

// A handle that is not open for that direction fails with "bad file
// descriptor": that is a bad handle, not a failing disk.
int64_t ReadError(const std::error_code& E) {
  return E == std::errc::bad_file_descriptor ? LZERROR_BADINHANDLE : LZERROR_READ;
}
int64_t WriteError(const std::error_code& E) {
  return E == std::errc::bad_file_descriptor ? LZERROR_BADOUTHANDLE : LZERROR_WRITE;
}

// The source, read through one large buffer.
class Input {
 public:
  Input(THandle fd, uint8_t* buf) : fd_(fd), buf_(buf) {}

  // Makes at least `want` bytes available unless the stream ends first,
  // filling the buffer. Returns the number available, or an LZERROR_ value.
  int64_t Fill(size_t want) {
    if (size_t(end_ - pos_) >= want || eof_) return int64_t(end_ - pos_);
    size_t kept = end_ - pos_;
    std::memmove(buf_, buf_ + pos_, kept);
    pos_ = 0;
    end_ = kept;
    std::error_code error;
    const int64_t n = ReadFull(fd_, buf_ + end_, int64_t(kInputSize - end_), error);
    if (n < 0) return ReadError(error);
    eof_ = size_t(n) < kInputSize - end_;
    end_ += size_t(n);
    read_ += n;
    return int64_t(end_ - pos_);
  }
  const uint8_t* Data() const { return buf_ + pos_; }
  const uint8_t* End() const { return buf_ + end_; }
  void Consume(size_t n) { pos_ += n; }
  void ConsumeTo(const uint8_t* p) { pos_ = p - buf_; }
  // Bytes read from the source so far.
  int64_t Read() const { return read_; }

 private:
  THandle fd_;
  uint8_t* buf_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool eof_ = false;
  int64_t read_ = 0;
};

// The output area: [window of 4096 bytes][pending output][slack].
class Output {
 public:
  Output(THandle fd, uint8_t* buf) : cur(buf + kWindowSize), fd_(fd), buf_(buf) {
    std::memset(buf_, kFill, kWindowSize);
  }

  uint8_t* cur;  // next byte to write; the decoder advances it

  uint8_t* Limit() const { return buf_ + kWindowSize + kOutputSize; }
  // Window position of the byte at p, as the format numbers them.
  uint32_t PosOf(const uint8_t* p) const { return uint32_t(p - buf_) + bias_; }

  // 0, or an LZERROR_ value.
  int64_t Flush() {
    size_t pending = cur - (buf_ + kWindowSize);
    if (pending == 0) return 0;
    if (std::error_code e = WriteAll(fd_, buf_ + kWindowSize, int64_t(pending)))
      return WriteError(e);
    written_ += static_cast<int64_t>(pending);
    bias_ += static_cast<uint32_t>(pending);
    std::memmove(buf_, cur - kWindowSize, kWindowSize);
    cur = buf_ + kWindowSize;
    return 0;
  }
  int64_t Written() const { return written_; }

 private:
  THandle fd_;
  uint8_t* buf_;
  uint32_t bias_ = kStartPos - kWindowSize;  // wraps; only the low 12 bits matter
  int64_t written_ = 0;
};

// Copies one match. The distance back is 1..4096: a match starting at the
// position about to be written reads the byte written 4096 earlier.
inline uint8_t* CopyMatch(const Output& out, uint8_t* cur, const uint8_t* token) {
  uint32_t off = token[0] | ((token[1] & 0xF0u) << 4);
  uint32_t len = (token[1] & 0x0Fu) + kMinMatch;
  size_t dist = ((out.PosOf(cur) - off - 1) & kWindowMask) + 1;
  const uint8_t* from = cur - dist;
  if (dist >= kMaxMatch) {
    std::memcpy(cur, from, kMaxMatch);
  } else {
    for (uint32_t i = 0; i < len; ++i) cur[i] = from[i];  // overlap repeats the pattern
  }
  return cur + len;
}

// Decodes whole groups while a full group's input is buffered and the output
// has room. Returns the input position reached.
const uint8_t* DecodeFast(Output& out, const uint8_t* in, const uint8_t* inEnd) {
  uint8_t* cur = out.cur;
  uint8_t* limit = out.Limit();
  while (inEnd - in >= ptrdiff_t(kMaxGroupInput) && cur < limit) {
    uint32_t ctrl = *in++;
    if (ctrl == 0xFF) {  // eight literals: common in poorly compressible data
      std::memcpy(cur, in, 8);
      cur += 8;
      in += 8;
      continue;
    }
    for (int bit = 0; bit < 8; ++bit, ctrl >>= 1) {
      if (ctrl & 1) {
        *cur++ = *in++;
      } else {
        cur = CopyMatch(out, cur, in);
        in += 2;
      }
    }
  }
  out.cur = cur;
  return in;
}

// Decodes the last groups of the stream, checking every token against the end
// of the input; a token cut short ends the data. Returns the input consumed.
const uint8_t* DecodeTail(Output& out, const uint8_t* in, const uint8_t* inEnd) {
  uint32_t ctrl = *in++;
  for (int bit = 0; bit < 8; ++bit, ctrl >>= 1) {
    if (ctrl & 1) {
      if (in == inEnd) break;
      *out.cur++ = *in++;
    } else {
      if (inEnd - in < 2) return inEnd;
      out.cur = CopyMatch(out, out.cur, in);
      in += 2;
    }
  }
  return in;
}

int64_t Expand(Input& in, Output& out, const TLZProgress& progress) {
  for (;;) {
    if (out.cur >= out.Limit()) {
      if (int64_t failed = out.Flush()) return failed;
      if (progress && !progress(in.Read())) return LZERROR_STOPPED;
    }
    int64_t avail = in.Fill(kMaxGroupInput);
    if (avail < 0) return avail;
    if (avail == 0) break;
    if (size_t(avail) >= kMaxGroupInput) {
      in.ConsumeTo(DecodeFast(out, in.Data(), in.End()));
    } else {
      in.ConsumeTo(DecodeTail(out, in.Data(), in.End()));
    }
  }
  if (int64_t failed = out.Flush()) return failed;
  return out.Written();
}

// Copies what is buffered and the rest of the source unchanged; buf (the input
// buffer) is reused once its content has been written.
int64_t CopyPlain(Input& in, uint8_t* buf, THandle source, THandle target,
                  const TLZProgress& progress) {
  int64_t total = in.End() - in.Data();
  if (std::error_code e = WriteAll(target, in.Data(), total)) return WriteError(e);
  for (;;) {
    if (progress && !progress(total)) return LZERROR_STOPPED;
    std::error_code error;
    const int64_t n = ReadFull(source, buf, int64_t(kInputSize), error);
    if (n < 0) return ReadError(error);
    if (n == 0) return total;
    if (std::error_code e = WriteAll(target, buf, n)) return WriteError(e);
    total += n;
  }
}

// A handle that is not open at all is refused before anything is read.
int32_t CheckHandles(THandle source, THandle target) {
  TFileInfo info;
  if (GetFileInfo(source, info)) return LZERROR_BADINHANDLE;
  if (GetFileInfo(target, info)) return LZERROR_BADOUTHANDLE;
  return 0;
}

}  // namespace

int64_t LZCopy(THandle hSource, THandle hTarget) {
  return LZCopy(hSource, hTarget, TLZProgress());
}

int64_t LZCopy(THandle hSource, THandle hTarget, const TLZProgress& Progress) {
  if (int32_t bad = CheckHandles(hSource, hTarget)) return bad;
  std::unique_ptr<uint8_t[]> inBuf(new (std::nothrow) uint8_t[kInputSize]);
  if (!inBuf) return LZERROR_GLOBALLOC;
  Input in(hSource, inBuf.get());
  int64_t avail = in.Fill(kHeaderSize);
  if (avail < 0) return avail;

  const uint8_t* head = in.Data();
  bool magic = size_t(avail) >= kMagicSize && std::memcmp(head, kMagic, kMagicSize) == 0;
  if (magic && size_t(avail) > kModeOffset && head[kModeOffset] != kModeA) {
    return LZERROR_UNKNOWNALG;
  }
  // Shorter than a header: nothing to expand, so it is treated as plain data.
  if (!magic || size_t(avail) < kHeaderSize) {
    return CopyPlain(in, inBuf.get(), hSource, hTarget, Progress);
  }
  in.Consume(kHeaderSize);

  std::unique_ptr<uint8_t[]> outBuf(new (std::nothrow)
                                        uint8_t[kWindowSize + kOutputSize + kOutputSlack]);
  if (!outBuf) return LZERROR_GLOBALLOC;
  Output out(hTarget, outBuf.get());
  return Expand(in, out, Progress);
}

}  // namespace rtl
