// SPDX-License-Identifier: MIT
#include "engine/file_crc.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/quindle.h"
#include "support/crc_table.h"
#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using quindle::FileCRC;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

const std::array<uint32_t, 256>& kTable = quindle::testing::CrcTable();

std::string ReferenceCRC(const std::string& Data) {
  const uint32_t R = quindle::testing::CrcTableUpdate(
      0xFFFFFFFFu, reinterpret_cast<const unsigned char*>(Data.data()), Data.size());
  char Text[9];
  std::snprintf(Text, sizeof Text, "%08X", ~R);
  return Text;
}

TEST(FileCRC, ReferenceTableIsTheStandardOne) {
  EXPECT_EQ(kTable[0], 0u);
  EXPECT_EQ(kTable[1], 0x77073096u);
  EXPECT_EQ(kTable[128], 0xEDB88320u);
  EXPECT_EQ(kTable[255], 0x2D02EF8Du);
  EXPECT_EQ(ReferenceCRC("123456789"), "CBF43926");
}

// Sizes around the read chunk (1 MiB) and around whole rounds of one to four
// readers, each checked with every number of readers.
TEST(FileCRC, MatchesTheReferenceAcrossChunksAndRounds) {
  TempDir Dir;
  constexpr size_t M = 1 << 20;
  const size_t Sizes[] = {0,     1,         9,     32768, 262145,    M - 1,     M,         M + 3,
                          2 * M, 2 * M + 1, 3 * M, 4 * M, 4 * M + 1, 5 * M + 7, 8 * M - 1, 9 * M};
  for (size_t Size : Sizes) {
    const std::string Data = quindle::testing::RandomBytes(Size, static_cast<uint32_t>(Size + 1));
    WriteFile(Dir / "f", Data);
    const std::string Expected = ReferenceCRC(Data);
    for (unsigned Readers = 1; Readers <= 4; ++Readers) {
      SCOPED_TRACE(::testing::Message() << Size << " bytes, " << Readers << " readers");
      EXPECT_EQ(quindle::detail::FileCRC(Dir / "f", Readers), Expected);
    }
    const std::string Crc = FileCRC(Dir / "f");
    EXPECT_EQ(Crc.find_first_not_of("0123456789ABCDEF"), std::string::npos) << Crc;
    EXPECT_EQ(Crc, Expected) << Size;
  }
}

// The readers meet at the end of every round; hundreds of rounds in a row
// must never leave one of them asleep (a lost wake-up hangs the checksum).
TEST(FileCRC, ManyRoundsNeverLeaveAReaderWaiting) {
  TempDir Dir;
  const std::string Data = quindle::testing::RandomBytes((16 << 20) + 5, 11);
  WriteFile(Dir / "f", Data);
  const std::string Expected = ReferenceCRC(Data);
  for (int Repeat = 0; Repeat < 25; ++Repeat)
    for (unsigned Readers = 2; Readers <= 4; ++Readers)
      ASSERT_EQ(quindle::detail::FileCRC(Dir / "f", Readers), Expected) << Repeat;
}

TEST(FileCRC, KnownValuesAndFailures) {
  TempDir Dir;
  std::filesystem::create_directory(Dir.path() / "sub");
  WriteFile(Dir / "empty", "");
  WriteFile(Dir / "check", "123456789");
  WriteFile(Dir / "a", "a");
  const std::pair<std::string, std::string> Cases[] = {
      {Dir / "empty", "00000000"},
      {Dir / "check", "CBF43926"},
      {Dir / "a", "E8B7BE43"},  // letters come out upper case
      {Dir / "missing", "Error"},
      {Dir / "sub", "Error"},
      // Opens, but the first read fails (nothing is mapped at address 0).
      {"/proc/self/mem", "Error"},
  };
  for (const auto& [Name, Expected] : Cases) EXPECT_EQ(FileCRC(Name), Expected) << Name;
}

// Builds the input that a "gen" row describes; false for a description this
// reader does not know.
bool Generate(const std::string& Text, std::string& Out) {
  unsigned long Last = 0, Byte = 0, Count = 0, Crc = 0;
  char Head[16] = {};
  int Used = 0;
  const char* T = Text.c_str();
  if (std::sscanf(T, "bytes i%%256 for i in 0..%lu%n", &Last, &Used) == 1 && T[Used] == 0) {
    for (unsigned long I = 0; I <= Last; ++I) Out.push_back(static_cast<char>(I % 256));
    return true;
  }
  if (std::sscanf(T, "byte 0x%2lx repeated %lu times%n", &Byte, &Count, &Used) == 2 &&
      T[Used] == 0) {
    Out.assign(Count, static_cast<char>(Byte));
    return true;
  }
  if (std::sscanf(T, "single byte 0x%2lx%n", &Byte, &Used) == 1 && T[Used] == 0) {
    Out.assign(1, static_cast<char>(Byte));
    return true;
  }
  if (std::sscanf(T, "\"%15[0-9]\" followed by its CRC 0x%8lx little-endian", Head, &Crc) == 2) {
    Out = Head;
    for (int K = 0; K < 4; ++K) Out.push_back(static_cast<char>(Crc >> (8 * K)));
    return true;
  }
  return false;
}

#if QUINDLE_TEST_POSIX
// A pipe hands its data over in pieces: it is read to the end its writer
// makes, not to the first short read.
TEST(FileCRC, PipeIsReadUntilItsWriterCloses) {
  TempDir Dir;
  const std::string Fifo = Dir / "fifo";
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  // A reader that reads nothing lets the writer open before FileCRC does; the
  // whole of the data fits in the pipe, so the writer never waits for a reader.
  const int Idle = open(Fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(Idle, 0);
  const int Writer = open(Fifo.c_str(), O_WRONLY);
  ASSERT_GE(Writer, 0);
  const std::string Data = quindle::testing::RandomBytes(3 * 20000, 5);
  std::thread Feed([&] {
    for (size_t At = 0; At < Data.size(); At += 20000) {
      EXPECT_EQ(write(Writer, Data.data() + At, 20000), 20000);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    close(Writer);
  });
  const std::string Crc = FileCRC(Fifo);
  Feed.join();
  close(Idle);
  EXPECT_EQ(Crc, ReferenceCRC(Data));
}

#endif

TEST(FileCRC, CorpusVectors) {
  const std::filesystem::path Corpus = quindle::testing::CorpusDir();
  if (Corpus.empty() || !std::filesystem::exists(Corpus / "crc/crc32-vectors.tsv")) {
    GTEST_SKIP() << "no CRC corpus";
  }
  std::ifstream In(Corpus / "crc/crc32-vectors.tsv");
  TempDir Dir;
  int Checked = 0;
  std::string Line;
  while (std::getline(In, Line)) {
    if (Line.empty() || Line[0] == '#') continue;
    std::vector<std::string> Col;
    std::stringstream Ss(Line);
    for (std::string Field; std::getline(Ss, Field, '\t');) Col.push_back(Field);
    while (Col.size() < 4) Col.emplace_back();
    // A file's CRC always starts from a fresh register.
    if (Col[1] != "00000000") continue;
    SCOPED_TRACE(Line);
    std::string Name = Dir / "v", Data;
    if (Col[2] == "ascii") {
      Data = Col[3];
    } else if (Col[2] == "file") {
      Name = (Corpus / Col[3]).string();
      if (!std::filesystem::exists(Name)) {
        ADD_FAILURE() << "the corpus lacks " << Name;
        continue;
      }
    } else if (!Generate(Col[3], Data)) {
      ADD_FAILURE() << "unknown generator";
      continue;
    }
    if (Col[2] != "file") WriteFile(Name, Data);
    std::string Expected = Col[0];
    for (char& C : Expected) C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    EXPECT_EQ(FileCRC(Name), Expected);
    ++Checked;
  }
  EXPECT_GT(Checked, 0);
}

}  // namespace
