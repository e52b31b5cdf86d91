// SPDX-License-Identifier: MIT
// How much memory reading a form file takes: every allocation of this program
// is counted, and reading a form may take only a bounded multiple of its size,
// whatever the text is made of.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/form_file.h"
#include "rtl/core/form_parser.h"
#include "support/test_support.h"

namespace {

std::atomic<size_t> Live{0};
std::atomic<size_t> Peak{0};

void* Allocate(size_t Size) {
  void* P = std::malloc(Size == 0 ? 1 : Size);
  if (P == nullptr) throw std::bad_alloc();
  const size_t Now = Live += malloc_usable_size(P);
  for (size_t Old = Peak; Now > Old && !Peak.compare_exchange_weak(Old, Now);) {
  }
  return P;
}

void Release(void* P) noexcept {
  if (P == nullptr) return;
  Live -= malloc_usable_size(P);
  std::free(P);
}

}  // namespace

void* operator new(size_t Size) {
  return Allocate(Size);
}
void* operator new[](size_t Size) {
  return Allocate(Size);
}
void operator delete(void* P) noexcept {
  Release(P);
}
void operator delete[](void* P) noexcept {
  Release(P);
}
void operator delete(void* P, size_t) noexcept {
  Release(P);
}
void operator delete[](void* P, size_t) noexcept {
  Release(P);
}

namespace {

using quindle::testing::TempDir;
using quindle::testing::WriteFile;

std::string Repeat(const std::string& Piece, size_t Size) {
  std::string S;
  S.reserve(Size + Piece.size());
  while (S.size() < Size) S += Piece;
  return S;
}

TEST(FormFileMemory, ReadingTakesABoundedMultipleOfTheFileSize) {
  constexpr size_t Size = size_t{4} << 20;
  // Generous for what a form needs; far below what a tree of tiny values took.
  constexpr size_t Bound = 48 * Size + (size_t{32} << 20);
  const struct {
    const char* Case;
    std::string Text;
    bool Valid;
  } Cases[] = {
      {"empty strings",
       "object Q: TQuindle\nSourceFilenames.Strings = (" + Repeat("'' ", Size) + ")\nend\n", false},
      {"numbers", "object Q: TQuindle\nX = (" + Repeat("0 ", Size) + ")\nend\n", false},
      {"characters", "object Q: TQuindle\nX = " + Repeat("#1", Size) + "\nend\n", false},
      {"set members", "object Q: TQuindle\nX = [" + Repeat("a,", Size) + "a]\nend\n", false},
      {"properties", "object Q: TQuindle\n" + Repeat("A=0\n", Size) + "end\n", false},
      {"collection items", "object Q: TQuindle\nX = <" + Repeat("item end ", Size) + ">\nend\n",
       false},
      {"source names",
       "object Q: TQuindle\nSourceFilenames.Strings = (" + Repeat("'in/report-2024.txt' ", Size) +
           ")\nend\n",
       true},
  };
  TempDir Dir;
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Case);
    WriteFile(Dir / "form.qfm", C.Text);
    quindle::TQuindle Quindle(nullptr);
    const size_t Before = Live;
    Peak = Before;
    bool Read = true;
    try {
      quindle::LoadQuindleForm(Quindle, Dir / "form.qfm");
    } catch (const rtl::EParserError& E) {
      Read = false;
      EXPECT_NE(std::string(E.what()).find("Line "), std::string::npos) << E.what();
    }
    EXPECT_EQ(Read, C.Valid);
    if (C.Valid) {
      EXPECT_GT(Quindle.SourceFilenames()->Count(), 100000);
    }
    EXPECT_LE(Peak - Before, Bound) << "MiB: " << ((Peak - Before) >> 20);
  }
}

}  // namespace
