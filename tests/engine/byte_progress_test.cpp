// SPDX-License-Identifier: MIT
// OnByteProgress: the bytes of the current file during a stream copy, beside
// OnProgressChange.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "copy_run_fixture.h"

namespace quindle {
namespace {

using testing::WriteFile;

class ByteProgress : public testing::CopyRunTest {};

TEST_F(ByteProgress, StreamCopyReportsItsBytesInSteps) {
  // The stream copy moves 1 MiB at a time.
  constexpr uint64_t kMiB = 1 << 20;
  struct TCase {
    const char* Name;
    uint64_t Size;
    std::vector<uint64_t> Done;  // the reports, in order
  };
  const std::vector<TCase> Cases = {
      {"empty", 0, {}},
      {"small", 1000, {1000}},
      {"two steps and a rest", 2 * kMiB + 5, {kMiB, 2 * kMiB, 2 * kMiB + 5}},
      {"two whole steps", 2 * kMiB, {kMiB, 2 * kMiB}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    WriteFile(Src("f.bin"), std::string(C.Size, 'x'));
    Setup({Src("f.bin")}, Out("f.bin"));
    std::vector<uint64_t> Done;
    Q.SetOnByteProgress([&](rtl::TObject* Sender, const TByteProgress& P) {
      EXPECT_EQ(Sender, &Q);
      EXPECT_EQ(P.Phase, TByteProgress::TPhase::Transfer);
      EXPECT_EQ(P.Total, C.Size);
      Done.push_back(P.Done);
    });
    Q.Execute();
    EXPECT_EQ(Done, C.Done);
    EXPECT_EQ(testing::ReadFile(Out("f.bin")).size(), C.Size);
  }
}

}  // namespace
}  // namespace quindle
