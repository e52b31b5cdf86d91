// SPDX-License-Identifier: MIT
// A handler that throws in the middle of a transfer, or right after it, must
// not leave a descriptor open, whichever method is running.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>

#include "copy_run_fixture.h"
#include "rtl/files/lz/szdd_encoder.h"

namespace quindle {
namespace {

int OpenDescriptors() {
  int N = 0;
  for ([[maybe_unused]] const auto& E : std::filesystem::directory_iterator("/proc/self/fd")) ++N;
  return N;
}

struct Method {
  TCopyType Type;
  bool TargetExists;  // for a move: the rename is refused and the block copy runs
};
void PrintTo(const Method& M, std::ostream* Os) {
  *Os << kCopyTypes[M.Type].CommandName << (M.TargetExists ? " onto a target" : "");
}

class HandlerThrows : public testing::CopyRunTest, public ::testing::WithParamInterface<Method> {};

TEST_P(HandlerThrows, LeavesNoDescriptorOpen) {
  const auto [Type, TargetExists] = GetParam();
  for (const char* Event : {"OnProgressChange", "OnSetAttr", "OnAfterCopyFile"}) {
    SCOPED_TRACE(Event);
    // Several blocks, so that the block copy is mid-file.
    const std::string Data = testing::RandomBytes(200000);
    testing::WriteFile(Src("a.dat"), Type == ctLZCopy ? rtl::SZDDCompress(Data) : Data);
    rtl::DeleteFile(Out("a.dat"));
    if (TargetExists) testing::WriteFile(Out("a.dat"), "old");
    Q.SetCopyType(Type);
    Setup({Src("a.dat")}, Dir / "out/");
    Rec.Reset();
    int Thrown = 0;
    Rec.On(Event, [&Thrown] {
      ++Thrown;
      throw std::runtime_error("handler gave up");
    });
    const int Before = OpenDescriptors();
    try {
      Q.Execute();
    } catch (const std::runtime_error&) {
    }
    EXPECT_GT(Thrown, 0);
    EXPECT_EQ(OpenDescriptors(), Before);
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, HandlerThrows,
                         ::testing::Values(Method{ctStream, false}, Method{ctBlock, false},
                                           Method{ctLZCopy, false}, Method{ctMove, false},
                                           Method{ctMove, true}),
                         [](const auto& Info) {
                           return std::string(kCopyTypes[Info.param.Type].CommandName) +
                                  (Info.param.TargetExists ? "OntoATarget" : "");
                         });

}  // namespace
}  // namespace quindle
