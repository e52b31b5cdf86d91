// SPDX-License-Identifier: MIT
// Every transfer method delivers every byte into a FIFO whose reader is
// slower than the writer, so that the pipe fills up again and again.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "engine/quindle.h"
#include "support/test_support.h"

namespace {

using quindle::testing::RandomBytes;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

// Reads the FIFO to its end in small pieces with pauses between them.
std::string ReadSlowly(const std::string& Fifo) {
  const int Fd = ::open(Fifo.c_str(), O_RDONLY);
  std::string Data;
  if (Fd < 0) return Data;
  char Buf[4096];
  for (ssize_t N; (N = ::read(Fd, Buf, sizeof Buf)) > 0;) {
    Data.append(Buf, static_cast<size_t>(N));
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ::close(Fd);
  return Data;
}

TEST(FifoTarget, EveryMethodDeliversEveryByteToASlowReader) {
  alarm(60);  // a hang ends the test binary instead of stalling CI
  // Several times the pipe's 64 KiB, and not a multiple of any buffer.
  const std::string Data = RandomBytes(3 * 65536 + 12345, 7);
  for (quindle::TCopyType Method :
       {quindle::ctStream, quindle::ctBlock, quindle::ctLZCopy, quindle::ctMove}) {
    SCOPED_TRACE(static_cast<int>(Method));
    TempDir Dir;
    const std::string Src = Dir / "src.bin", Fifo = Dir / "fifo";
    WriteFile(Src, Data);
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    std::string Received;
    std::thread Reader([&] { Received = ReadSlowly(Fifo); });
    // The writer's open fails at once without a reader: wait for it.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));

    quindle::TQuindle Q(nullptr);
    int Errors = 0;
    for (auto Set : {&quindle::TQuindle::SetOnOpenSrcError, &quindle::TQuindle::SetOnOpenTgtError,
                     &quindle::TQuindle::SetOnLZCopyError, &quindle::TQuindle::SetOnMoveFileError})
      (Q.*Set)([&](rtl::TObject*) { ++Errors; });
    Q.SourceFilenames()->Add(Src);
    Q.SetTargetFilename(Fifo);
    Q.SetCopyType(Method);
    Q.Execute();
    Reader.join();

    // A move writes into the FIFO but keeps its source, and says so.
    EXPECT_EQ(Errors, Method == quindle::ctMove ? 1 : 0);
    EXPECT_EQ(::access(Src.c_str(), F_OK), 0);
    EXPECT_EQ(Received.size(), Data.size());
    EXPECT_TRUE(Received == Data);
  }
  alarm(0);
}

}  // namespace
