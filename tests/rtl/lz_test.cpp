// SPDX-License-Identifier: MIT
// LZCopy and SZDDCompress against each other, against libmspack and the
// mscompress tools, and against real files made by the original compressor.

#include "rtl/files/lz/lz.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>

#include "rtl/files/handles.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"

#ifdef QUINDLE_HAVE_MSPACK
#include <mspack.h>
#endif
#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using namespace quindle::testing;

// Expands (or copies) the file `from` into a new file `to`; LZCopy's result.
int64_t ExpandFile(const std::string& from, const std::string& to, int64_t skip = 0) {
  rtl::TFileHandle in, out;
  EXPECT_FALSE(rtl::OpenFile(from, rtl::TAccess::Read, in));
  EXPECT_FALSE(rtl::CreateFile(to, rtl::TCreateMode::CreateOrTruncate, out));
  std::error_code error;
  if (skip) rtl::SeekHandle(in.Get(), skip, rtl::soBeginning, error);
  return rtl::LZCopy(in.Get(), out.Get());
}

// Text-like data: words drawn from a small vocabulary, so it compresses the
// way real text does without being a plain repetition.
std::string Words(size_t size, uint32_t seed) {
  static const char* const kWords[] = {"copy ",   "file ",    "target ", "source ", "the ", "of ",
                                       "expand ", "window\n", "name ",   "0123 ",   "LZ ",  "a "};
  std::mt19937 gen(seed);
  std::string s;
  while (s.size() < size) s += kWords[gen() % std::size(kWords)];
  s.resize(size);
  return s;
}

bool HaveCommand(const char* name) {
  if (!QUINDLE_TEST_POSIX) return false;  // the tools are Debian's
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

#ifdef QUINDLE_HAVE_MSPACK
// libmspack's SZDD decoder, an independent implementation of the format
// (not packaged for MinGW: the Windows builds go without it).
bool MspackExpand(const std::string& from, const std::string& to) {
  msszdd_decompressor* d = mspack_create_szdd_decompressor(nullptr);
  if (!d) return false;
  msszddd_header* h = d->open(d, from.c_str());
  int err = h ? d->extract(d, h, to.c_str()) : MSPACK_ERR_OPEN;
  if (h) d->close(d, h);
  mspack_destroy_szdd_decompressor(d);
  return err == MSPACK_ERR_OK;
}
#endif

struct RoundTrip {
  const char* name;
  std::string data;
  double maxRatio;  // compressed size / input size must stay at or below this
};

void PrintTo(const RoundTrip& c, std::ostream* os) {
  *os << c.name;
}

// maxRatio: a match token (2 bytes and a control bit) yields at most 18 bytes,
// so 0.125 means nearly every token is a longest match.
std::vector<RoundTrip> RoundTrips() {
  return {
      {"empty", "", 0},
      {"one_byte", "x", 15},
      {"fifteen_bytes", "abcdefghijklmno", 1.2},
      {"repeated_text", std::string(50, 'a') + Words(3000, 7) + Words(3000, 7), 0.45},
      {"run_longer_than_18", std::string(1000, 'q'), 0.125},
      {"window_size", Words(4096, 1), 0.6},
      {"window_size_plus_1", Words(4097, 2), 0.6},
      {"output_buffer_size", Words(65536, 3), 0.5},
      {"output_buffer_plus_1", Words(65537, 4), 0.5},
      {"large_text", Words(200000, 5), 0.5},
      {"several_flushes", Words(600000, 6), 0.5},
      {"random_bytes", RandomBytes(100000, 9), 1.13},
      {"all_spaces", std::string(20000, ' '), 0.125},
      {"all_zero", std::string(70000, '\0'), 0.125},
  };
}

class LZRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(LZRoundTrip, ExpandsToTheInputLikeIndependentDecoders) {
  const RoundTrip& c = GetParam();
  TempDir dir;
  std::string packed = rtl::SZDDCompress(c.data, 't');
  WriteFile(dir / "in.tx_", packed);
  if (!c.data.empty()) {
    EXPECT_LE(packed.size() - 14, c.maxRatio * double(c.data.size())) << "matches not found";
  }

  ASSERT_EQ(ExpandFile(dir / "in.tx_", dir / "out"), int64_t(c.data.size()));
  EXPECT_TRUE(ReadFile(dir / "out") == c.data);

#ifdef QUINDLE_HAVE_MSPACK
  ASSERT_TRUE(MspackExpand(dir / "in.tx_", dir / "mspack.out"));
  EXPECT_TRUE(ReadFile(dir / "mspack.out") == c.data) << "libmspack disagrees";
#endif

  if (HaveCommand("msexpand")) {
    std::string cmd = "msexpand < '" + (dir / "in.tx_") + "' > '" + (dir / "ms.out") + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_TRUE(ReadFile(dir / "ms.out") == c.data) << "msexpand disagrees";
  }
}

// Compressed by a third party: mscompress picks its own matches.
TEST_P(LZRoundTrip, ExpandsWhatMscompressMade) {
  const RoundTrip& c = GetParam();
  if (c.data.size() < 16) GTEST_SKIP() << "mscompress mishandles inputs under 16 bytes";
  if (!HaveCommand("mscompress")) GTEST_SKIP() << "mscompress not installed";
  TempDir dir;
  WriteFile(dir / "data", c.data);
  ASSERT_EQ(std::system(("cd '" + dir.path().string() + "' && mscompress data").c_str()), 0);
  ASSERT_EQ(ExpandFile(dir / "data_", dir / "out"), int64_t(c.data.size()));
  EXPECT_TRUE(ReadFile(dir / "out") == c.data);
}

INSTANTIATE_TEST_SUITE_P(Inputs, LZRoundTrip, ::testing::ValuesIn(RoundTrips()),
                         [](const auto& info) { return std::string(info.param.name); });

// Files made by the original COMPRESS tool, with their known expansions.
TEST(LZCopy, ExpandsCorpusFiles) {
  std::filesystem::path corpus = CorpusDir();
  if (corpus.empty() || !std::filesystem::is_directory(corpus / "szdd")) GTEST_SKIP();
  corpus /= "szdd";
  const std::pair<const char*, const char*> files[] = {
      {"wine-lzexpand-testfile.xx_", "wine-lzexpand-testfile.expected"},  // header length wrong
      {"MUANGELO.CN_", "MUANGELO.CNT"},
      {"GLOBE3.AN_", "GLOBE3.ANI"},    // wraps the window several times
      {"TBSETUP.DA_", "TBSETUP.DAT"},  // matches into the initial spaces
      {"UNINSTAL.LN_", "UNINSTAL.LNG"},
      {"mscompress-test.txt_", "mscompress-test.txt"},
      {"libmspack-kwaj-f00.kwj", "libmspack-kwaj-f00.kwj"},  // KWAJ: copied unchanged
  };
  TempDir dir;
  for (const auto& [packed, expected] : files) {
    SCOPED_TRACE(packed);
    std::string want = ReadFile((corpus / expected).string());
    EXPECT_EQ(ExpandFile((corpus / packed).string(), dir / "out"), int64_t(want.size()));
    EXPECT_TRUE(ReadFile(dir / "out") == want);
  }
}

// The header's length is not trusted: the data decides where output ends.
TEST(LZCopy, IgnoresTheHeaderLength) {
  TempDir dir;
  std::string data = Words(10000, 11);
  for (uint32_t claimed : {0u, 20u, 0xFFFFFFFFu}) {
    std::string packed = rtl::SZDDCompress(data);
    for (int i = 0; i < 4; ++i) packed[10 + i] = char(claimed >> (8 * i));
    WriteFile(dir / "in", packed);
    EXPECT_EQ(ExpandFile(dir / "in", dir / "out"), int64_t(data.size())) << claimed;
    EXPECT_TRUE(ReadFile(dir / "out") == data) << claimed;
  }
}

TEST(LZCopy, StartsAtTheSourcePosition) {
  TempDir dir;
  std::string data = Words(5000, 12);
  const std::string prefix = "SZDD-looking junk before the stream";
  WriteFile(dir / "packed", prefix + rtl::SZDDCompress(data));
  EXPECT_EQ(ExpandFile(dir / "packed", dir / "out", int64_t(prefix.size())), int64_t(data.size()));
  EXPECT_TRUE(ReadFile(dir / "out") == data);

  WriteFile(dir / "plain", prefix + data);
  EXPECT_EQ(ExpandFile(dir / "plain", dir / "out", int64_t(prefix.size())), int64_t(data.size()));
  EXPECT_TRUE(ReadFile(dir / "out") == data);
}

#if QUINDLE_TEST_POSIX
// A pipe cannot seek: the header bytes read for detection must not be lost.
TEST(LZCopy, ReadsFromPipes) {
  TempDir dir;
  std::string data = Words(30000, 13);
  for (const std::string& input : {rtl::SZDDCompress(data), data, data.substr(0, 10)}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], input.data(), input.size()), ssize_t(input.size()));
    ::close(fds[1]);
    int out = ::open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int64_t want = input == data.substr(0, 10) ? 10 : int64_t(data.size());
    EXPECT_EQ(rtl::LZCopy(fds[0], out), want);
    ::close(fds[0]);
    ::close(out);
    EXPECT_TRUE(ReadFile(dir / "out") == data.substr(0, size_t(want)));
  }
}

#endif

}  // namespace
