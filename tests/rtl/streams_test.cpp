// SPDX-License-Identifier: MIT
#include "rtl/files/streams.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

#include "rtl/core/memory.h"
#include "rtl/files/block_file.h"
#include "rtl/files/fault_injection.h"
#include "support/test_support.h"

#if QUINDLE_TEST_POSIX
#include <sys/stat.h>
#endif

#ifdef __SANITIZE_ADDRESS__
// Let a refused allocation come back as a null pointer, as it does without
// the sanitizer, so the out-of-memory path can be tested.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace {

using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;
using rtl::TFileStream;

TEST(FileStream, OpenAndCreateFailuresNameTheFileAndTheReason) {
  TempDir Dir;
  std::filesystem::create_directory(Dir.path() / "sub");
  struct Case {
    std::string Name;
    uint32_t Mode;
    bool CreateError;  // EFCreateError expected, otherwise EFOpenError
    std::string Reason;
  };
  const Case Cases[] = {
      {Dir / "missing", rtl::fmOpenRead, false, "No such file or directory"},
      {Dir / "missing", rtl::fmOpenReadWrite, false, "No such file or directory"},
      {Dir / "sub", rtl::fmOpenRead, false, "Is a directory"},
      {Dir / "sub", rtl::fmCreate, true, "Is a directory"},
      {Dir / "nofolder/target", rtl::fmCreate, true, "No such file or directory"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name + " mode " + std::to_string(C.Mode));
    try {
      TFileStream S(C.Name, C.Mode);
      ADD_FAILURE() << "opened";
    } catch (const rtl::EStreamError& E) {
      const bool IsCreate = dynamic_cast<const rtl::EFCreateError*>(&E) != nullptr;
      const bool IsOpen = dynamic_cast<const rtl::EFOpenError*>(&E) != nullptr;
      EXPECT_EQ(IsCreate, C.CreateError);
      EXPECT_EQ(IsOpen, !C.CreateError);
      EXPECT_NE(E.Message().find("\"" + C.Name + "\""), std::string::npos) << E.Message();
      EXPECT_NE(E.Message().find(C.Reason), std::string::npos) << E.Message();
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Dir.path() / "missing"));
}

TEST(FileStream, CreateTruncatesAndHonoursTheUmask) {
  TempDir Dir;
  WriteFile(Dir / "old", "a much longer old content");
#if QUINDLE_TEST_POSIX
  const mode_t Saved = umask(027);
#endif
  {
    TFileStream Old(Dir / "old", rtl::fmCreate), Fresh(Dir / "fresh", rtl::fmCreate);
    Old.Write("new", 3);
    EXPECT_EQ(Old.Size(), 3);  // the current size, not the size at opening
    EXPECT_FALSE(Old.Created());
    EXPECT_TRUE(Fresh.Created());
  }
  {
    // OpenedSize keeps the size of the moment of opening.
    TFileStream Reader(Dir / "old", rtl::fmOpenRead);
    TFileStream Writer(Dir / "old", rtl::fmOpenWrite);
    Writer.Seek(0, rtl::soEnd);
    Writer.Write("er", 2);
    EXPECT_EQ(Reader.OpenedSize(), 3);
    EXPECT_EQ(Reader.Size(), 5);
    EXPECT_FALSE(Reader.Created());
  }
#if QUINDLE_TEST_POSIX
  umask(Saved);
  EXPECT_EQ(std::filesystem::status(Dir.path() / "fresh").permissions(),
            static_cast<std::filesystem::perms>(0640));
#endif
  EXPECT_EQ(ReadFile(Dir / "old"), "newer");
}

// Both ways a copy can go: through the kernel, and through the buffered loop
// with a buffer small enough that the sizes below straddle its boundaries.
enum class Path { Kernel, Buffered, BufferedDefault };

void Copy(Path P, TFileStream& Src, TFileStream& Dst, int64_t Count) {
  if (P == Path::Kernel) {
    EXPECT_EQ(Dst.CopyFrom(Src, Count), Count == 0 ? Src.Size() : Count);
  } else {
    rtl::detail::CopyByReadWrite(Src, Dst, Count, P == Path::Buffered ? 4096 : 1 << 20);
  }
}

TEST(FileStream, CopyFromCopiesEveryByteAroundBufferBoundaries) {
  TempDir Dir;
  const size_t Sizes[] = {
      0, 1, 4095, 4096, 4097, 12288, (1 << 20) - 1, 1 << 20, (1 << 20) + 1, (3 << 20) + 5};
  for (Path P : {Path::Kernel, Path::Buffered, Path::BufferedDefault}) {
    for (size_t Size : Sizes) {
      SCOPED_TRACE("path " + std::to_string(static_cast<int>(P)) + " size " + std::to_string(Size));
      const std::string Data = quindle::testing::RandomBytes(Size, static_cast<uint32_t>(Size));
      WriteFile(Dir / "src", Data);
      {
        TFileStream Src(Dir / "src", rtl::fmOpenRead), Dst(Dir / "dst", rtl::fmCreate);
        // A whole copy (count 0) starts from the beginning wherever the source stands.
        Src.Seek(0, rtl::soEnd);
        if (P != Path::Kernel) Src.Seek(0, rtl::soBeginning);
        Copy(P, Src, Dst, P == Path::Kernel ? 0 : static_cast<int64_t>(Size));
        EXPECT_EQ(Dst.Position(), static_cast<int64_t>(Size));
      }
      EXPECT_TRUE(ReadFile(Dir / "dst") == Data);
    }
  }
}

TEST(FileStream, CopyFromCopiesCountBytesOrRaisesByKind) {
  TempDir Dir;
  const std::string Data = quindle::testing::RandomBytes(100000);
  WriteFile(Dir / "src", Data);
  enum Outcome { Copied, ReadError, WriteError };
  struct Case {
    const char* What;
    uint32_t SrcMode;
    std::string Dst;
    uint32_t DstMode;
    int64_t From, Count;
    Outcome Expected;
  };
  const Case Cases[] = {
      {"count from the current position", rtl::fmOpenRead, Dir / "dst", rtl::fmCreate, 1000, 30000,
       Copied},
      {"source shorter than the count", rtl::fmOpenRead, Dir / "dst", rtl::fmCreate, 99990, 11,
       ReadError},
      {"source not open for reading", rtl::fmOpenWrite, Dir / "dst", rtl::fmCreate, 0, 10,
       ReadError},
      {"target failing every write", rtl::fmOpenRead, "/dev/full", rtl::fmOpenWrite, 0, 100000,
       WriteError},
      {"target not open for writing", rtl::fmOpenRead, Dir / "src", rtl::fmOpenRead, 0, 100,
       WriteError},
  };
  for (const Case& C : Cases) {
    for (Path P : {Path::Kernel, Path::Buffered}) {
      SCOPED_TRACE(std::string(C.What) + ", path " + std::to_string(static_cast<int>(P)));
      TFileStream Src(Dir / "src", C.SrcMode), Dst(C.Dst, C.DstMode);
      Src.Seek(C.From, rtl::soBeginning);
      if (C.Expected == ReadError) {
        EXPECT_THROW(Copy(P, Src, Dst, C.Count), rtl::EReadError);
      } else if (C.Expected == WriteError) {
        EXPECT_THROW(Copy(P, Src, Dst, C.Count), rtl::EWriteError);
      } else {
        Copy(P, Src, Dst, C.Count);
        EXPECT_EQ(Src.Position(), C.From + C.Count);
        EXPECT_TRUE(ReadFile(C.Dst) == Data.substr(C.From, C.Count));
      }
    }
  }
}

TEST(Memory, AllocMemIsZeroFilledAndFailuresRaise) {
  for (size_t Size : {size_t{1}, size_t{4096}, size_t{1} << 20, size_t{32} << 20}) {
    // Dirty the heap first so a reused block would show old bytes.
    void* Dirty = rtl::GetMem(Size);
    std::memset(Dirty, 0xA5, Size);
    rtl::FreeMem(Dirty);
    auto* P = static_cast<unsigned char*>(rtl::AllocMem(Size));
    ASSERT_NE(P, nullptr);
    size_t NonZero = 0;
    for (size_t I = 0; I < Size; ++I) NonZero += P[I] != 0;
    EXPECT_EQ(NonZero, 0u) << Size;
    rtl::FreeMem(P);
  }
  EXPECT_EQ(rtl::GetMem(0), nullptr);
  rtl::FreeMem(nullptr);
  const size_t Huge = std::numeric_limits<size_t>::max() / 2;
  EXPECT_THROW(rtl::GetMem(Huge), rtl::EOutOfMemory);
  EXPECT_THROW(rtl::AllocMem(Huge), rtl::EOutOfMemory);
}

}  // namespace

// A close that fails is where a write that never reached the disk shows (a
// network or quota-limited file system): a writer is told, not left to
// believe the data is safe.
TEST(FileStream, AFailingCloseIsReportedWithItsReason) {
  TempDir Dir;
  const std::error_code Quota = std::make_error_code(std::errc::no_space_on_device);
  rtl::detail::SetFaultHook(
      [&](rtl::detail::TFaultOp Op) -> std::optional<rtl::detail::TFaultAction> {
        if (Op == rtl::detail::TFaultOp::Close) return rtl::detail::TFaultAction{Quota};
        return std::nullopt;
      });
  TFileStream Stream(Dir / "t", rtl::fmCreate);
  Stream.Write("data", 4);
  try {
    Stream.Close();
    ADD_FAILURE() << "the failed close passed unnoticed";
  } catch (const rtl::EWriteError& E) {
    EXPECT_EQ(E.Code(), Quota);
    EXPECT_EQ(E.FileName(), Dir / "t");
  }
  EXPECT_NO_THROW(Stream.Close());  // closed all the same: a second close does nothing
  rtl::TBlockFile Block;
  Block.AssignFile(Dir / "b");
  Block.RewritFile(1);
  EXPECT_FALSE(Block.CloseFile());
  rtl::detail::SetFaultHook(nullptr);
}
