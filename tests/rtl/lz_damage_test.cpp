// SPDX-License-Identifier: MIT
// LZCopy on damaged input, bad handles, failing targets and interrupted writes.

#include <gtest/gtest.h>

#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <atomic>
#include <filesystem>
#include <random>
#include <thread>

#include "rtl/files/handles.h"
#include "rtl/files/lz/lz.h"
#include "rtl/files/lz/szdd_encoder.h"

namespace {

using namespace quindle::testing;

const std::string kText = [] {
  std::string s;
  for (int i = 0; s.size() < 20000; ++i) s += "line " + std::to_string(i * 7 % 113) + " of text\n";
  return s;
}();

// LZCopy from a file holding `content` into a fresh file; its result. The
// target then holds exactly as many bytes as a non-negative result says.
int64_t ExpandBytes(const TempDir& dir, const std::string& content) {
  WriteFile(dir / "in", content);
  rtl::TFileHandle in, out;
  EXPECT_FALSE(rtl::OpenFile(dir / "in", rtl::TAccess::Read, in));
  EXPECT_FALSE(rtl::CreateFile(dir / "out", rtl::TCreateMode::CreateOrTruncate, out));
  int64_t result = rtl::LZCopy(in.Get(), out.Get());
  in.Close();
  out.Close();
  if (result >= 0) {
    EXPECT_EQ(std::filesystem::file_size(dir / "out"), uint64_t(result));
  }
  return result;
}

TEST(LZCopyDamage, DamagedStreamsEndCleanly) {
  const std::string packed = rtl::SZDDCompress(kText, 't');
  std::string modeB = packed;
  modeB[8] = 'B';
  struct Case {
    const char* name;
    std::string input;
    int64_t result;  // -100: any size, checked against the target only
  } cases[] = {
      {"header_only", packed.substr(0, 14), 0},
      {"garbage_after_header", packed.substr(0, 14) + RandomBytes(5000, 3), -100},
      {"unknown_mode", modeB, rtl::LZERROR_UNKNOWNALG},
      {"unknown_mode_short", modeB.substr(0, 9), rtl::LZERROR_UNKNOWNALG},
      // Found by fuzz_lz: mode 0 and a header cut after the length's first
      // bytes is refused like any other mode, not copied as plain data.
      {"mode_zero_cut_header", std::string("SZDD\x88\xF0\x27\x33\0\0\x01\x61", 12),
       rtl::LZERROR_UNKNOWNALG},
      {"magic_and_mode_only", packed.substr(0, 9), 9},  // too short to be compressed
      {"magic_only", packed.substr(0, 8), 8},
      {"empty", "", 0},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int64_t got = ExpandBytes(dir, c.input);
    if (c.result == -100) {
      EXPECT_GE(got, 0);
    } else {
      EXPECT_EQ(got, c.result);
    }
    if (c.result >= 0 && c.result == int64_t(c.input.size())) {
      EXPECT_EQ(ReadFile(dir / "out"), c.input);  // too short to be compressed: copied
    }
  }
}

// Cut anywhere, a stream still expands to a prefix of the data.
TEST(LZCopyDamage, TruncatedStreamGivesAPrefix) {
  const std::string data = kText.substr(0, 3000);
  const std::string packed = rtl::SZDDCompress(data);
  TempDir dir;
  int64_t previous = 0;
  for (size_t cut = 14; cut <= packed.size(); ++cut) {
    int64_t got = ExpandBytes(dir, packed.substr(0, cut));
    ASSERT_GE(got, previous) << cut;
    ASSERT_EQ(ReadFile(dir / "out"), data.substr(0, size_t(got))) << cut;
    previous = got;
  }
  EXPECT_EQ(previous, int64_t(data.size()));
}

// Random corruption must never crash or read outside a buffer (run this
// suite under the sanitizers too).
TEST(LZCopyDamage, RandomMutationsNeverCrash) {
  const std::string packed = rtl::SZDDCompress(kText, 't');
  std::mt19937 gen(42);
  TempDir dir;
  for (int round = 0; round < 400; ++round) {
    std::string input = packed;
    int edits = 1 + int(gen() % 20);
    for (int i = 0; i < edits; ++i) input[14 + gen() % (input.size() - 14)] = char(gen());
    if (round % 4 == 0) input.resize(14 + gen() % (input.size() - 14));
    int64_t got = ExpandBytes(dir, input);
    ASSERT_GE(got, 0) << round;
    // Each input byte yields at most 18/2 output bytes, so garbage stays bounded.
    ASSERT_LE(got, int64_t(input.size()) * 9) << round;
  }
}

#if QUINDLE_TEST_POSIX
int OpenTarget(const std::string& name) {
  return ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
}

TEST(LZCopyDamage, BadHandlesAndFailingTargets) {
  TempDir dir;
  WriteFile(dir / "packed", rtl::SZDDCompress(kText));
  WriteFile(dir / "plain", kText);
  std::filesystem::create_directory(dir / "folder");
  auto openIn = [&](const char* name, int flags) { return ::open((dir / name).c_str(), flags); };
  const int closed = 987;  // a number no open file uses; a closed one would be reused
  ASSERT_EQ(::fcntl(closed, F_GETFD), -1);

  struct Case {
    const char* name;
    int source;
    int target;
    int64_t result;
  } cases[] = {
      {"no_source", -1, OpenTarget(dir / "t1"), rtl::LZERROR_BADINHANDLE},
      {"closed_source", closed, OpenTarget(dir / "t2"), rtl::LZERROR_BADINHANDLE},
      {"write_only_source", openIn("plain", O_WRONLY), OpenTarget(dir / "t3"),
       rtl::LZERROR_BADINHANDLE},
      {"no_target", openIn("packed", O_RDONLY), -1, rtl::LZERROR_BADOUTHANDLE},
      {"read_only_target", openIn("packed", O_RDONLY), openIn("plain", O_RDONLY),
       rtl::LZERROR_BADOUTHANDLE},
      {"directory_source", openIn("folder", O_RDONLY), OpenTarget(dir / "t4"), rtl::LZERROR_READ},
      {"full_target_expanding", openIn("packed", O_RDONLY), ::open("/dev/full", O_WRONLY),
       rtl::LZERROR_WRITE},
      {"full_target_copying", openIn("plain", O_RDONLY), ::open("/dev/full", O_WRONLY),
       rtl::LZERROR_WRITE},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::LZCopy(c.source, c.target), c.result) << c.name;
    if (c.source >= 0 && c.source != closed) ::close(c.source);
    if (c.target >= 0) ::close(c.target);
  }
}

std::atomic<int> gSignals{0};
void CountSignal(int) {
  gSignals.fetch_add(1, std::memory_order_relaxed);
}

// A signal handler installed without SA_RESTART makes blocking writes to a
// slow pipe return early (short counts, EINTR); no byte may be lost.
TEST(LZCopyDamage, SurvivesInterruptedAndShortWrites) {
  std::string data;
  for (int i = 0; data.size() < (4u << 20); ++i) data += kText.substr(size_t(i % 97), 500);
  TempDir dir;
  WriteFile(dir / "packed", rtl::SZDDCompress(data));

  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  sigset_t alarm, old;
  sigemptyset(&alarm);
  sigaddset(&alarm, SIGALRM);
  pthread_sigmask(SIG_BLOCK, &alarm, &old);  // the reader inherits the block
  std::string received;
  std::thread reader([&] {
    char buf[16384];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) {
      received.append(buf, size_t(n));
      ::usleep(20);
    }
  });
  pthread_sigmask(SIG_SETMASK, &old, nullptr);

  struct sigaction sa = {}, oldSa;
  sa.sa_handler = CountSignal;  // no SA_RESTART
  sigaction(SIGALRM, &sa, &oldSa);
  itimerval every = {{0, 200}, {0, 200}}, off = {};
  setitimer(ITIMER_REAL, &every, nullptr);

  int in = ::open((dir / "packed").c_str(), O_RDONLY);
  int64_t result = rtl::LZCopy(in, fds[1]);
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &oldSa, nullptr);
  ::close(in);
  ::close(fds[1]);
  reader.join();
  ::close(fds[0]);

  EXPECT_GT(gSignals.load(), 0) << "no signal arrived during the copy";
  EXPECT_EQ(result, int64_t(data.size()));
  EXPECT_TRUE(received == data);
}
#endif

}  // namespace
