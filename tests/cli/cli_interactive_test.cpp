// SPDX-License-Identifier: MIT
// The quindle command with somebody there: answers to the overwrite dialog
// and the missing-directory question read from standard input, and what a
// terminal on standard error gets.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

namespace fs = std::filesystem;

class CliInteractiveTest : public QuindleFolderTest {};

size_t Count(const std::string& Text, const std::string& Part) {
  size_t N = 0;
  for (size_t Pos = Text.find(Part); Pos != std::string::npos; Pos = Text.find(Part, Pos + 1)) ++N;
  return N;
}

TEST_F(CliInteractiveTest, OverwriteDialogAnswers) {
  struct TCase {
    const char* Name;
    std::string Input;
    std::string A, B;  // dst/a.txt and dst/b.txt afterwards
    size_t Dialogs;
  };
  const std::vector<TCase> Cases = {
      {"no to both", "n\nn\n", "old a\n", "old b\n", 2},
      {"yes to both", "y\nyes\n", "alpha\n", "bravo\n", 2},
      {"no then yes", "n\ny\n", "old a\n", "bravo\n", 2},
      {"enter is yes", "\n\n", "alpha\n", "bravo\n", 2},
      {"unknown answer asks again", "maybe\nn\ny\n", "old a\n", "bravo\n", 2},
      // Cancel ends the run at the first file.
      {"escape cancels", "esc\n", "old a\n", "old b\n", 1},
      // Nobody left to answer: the close box, which means No.
      {"end of input", "", "old a\n", "old b\n", 2},
      // A line no answer could fill (a device of zeros) ends the input.
      {"overlong line ends the input", std::string(4096, 'y') + "\ny\ny\n", "old a\n", "old b\n",
       2},
      {"zeros", std::string(size_t{4} << 20, '\0'), "old a\n", "old b\n", 2},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    WriteFile(Dir / "dst/a.txt", "old a\n");
    WriteFile(Dir / "dst/b.txt", "old b\n");
    const TProcessResult R = Run({"-i", "src/*.txt", "dst/"}, C.Input);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), C.A);
    EXPECT_EQ(ReadFile(Dir / "dst/b.txt"), C.B);
    EXPECT_EQ(Count(R.Err, "Confirm File Replace"), C.Dialogs) << R.Err;
  }
}

TEST_F(CliInteractiveTest, DialogIsAskedEvenWithNoOverwrite) {
  // With -i the answers decide; -n only sets the value they replace.
  WriteFile(Dir / "dst/a.txt", "old a\n");
  const TProcessResult R = Run({"-i", "-n", "src/a.txt", "dst/"}, "y\n");
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "alpha\n");
  EXPECT_EQ(R.Out, "src/a.txt -> dst/a.txt\n");
}

TEST_F(CliInteractiveTest, MissingDirectoryQuestion) {
  struct TCase {
    std::string Input;
    bool Created;
  };
  for (const TCase& C : std::vector<TCase>{{"y\n", true}, {"n\n", false}, {"", false}}) {
    SCOPED_TRACE(C.Input);
    fs::remove_all(Dir.path() / "new");
    const TProcessResult R = Run({"-i", "src/a.txt", "new/"}, C.Input);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_NE(R.Err.find("Directory new/ does not exist. Create it?"), std::string::npos) << R.Err;
    EXPECT_EQ(Exists("new/a.txt"), C.Created);
  }
}

TEST_F(CliInteractiveTest, ErrorBoxesAreShownAndCounted) {
  const TProcessResult R = Run({"-i", "src/*.none", "dst/"}, "\n");
  EXPECT_EQ(R.Status, 1);
  EXPECT_NE(R.Err.find("Source File src/*.none does not exist."), std::string::npos) << R.Err;
}

#if QUINDLE_TEST_POSIX
// A pseudo-terminal is POSIX; a Windows console cannot be captured this way.
TEST_F(CliInteractiveTest, ProgressBarOnATerminal) {
  const std::string Long = "a-name-long-enough-to-need-shortening-" + std::string(40, 'z') + ".txt";
  WriteFile(Dir / ("src/" + Long), "long\n");
  const TProcessResult R = RunQuindleOnTerminal({"src/*.txt", "dst/"}, Dir.path().string(), 50);
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "src/" + Long + " -> dst/" + Long +
                       "\nsrc/a.txt -> dst/a.txt\nsrc/b.txt -> dst/b.txt\n");
  // The percentage of the bytes, file N of M; on a narrow terminal the name
  // keeps its room and the byte counts give way.
  EXPECT_NE(R.Err.find("[############........]  64%  3/3 src/b.txt"), std::string::npos) << R.Err;
  EXPECT_NE(R.Err.find("[####################] 100%  3/3 src/b.txt"), std::string::npos) << R.Err;
  const TProcessResult Wide =
      RunQuindleOnTerminal({"-d", "src/*.txt", "wide/"}, Dir.path().string(), 120);
  EXPECT_NE(Wide.Err.find("  64%  3/3  11 B of 17 B src/b.txt"), std::string::npos) << Wide.Err;
  // Each drawing fits the terminal, so that it never wraps; a long name
  // keeps its end.
  EXPECT_NE(R.Err.find("zzz.txt\x1b[K"), std::string::npos) << R.Err;
  size_t Start = 0;
  while ((Start = R.Err.find('\r', Start)) != std::string::npos) {
    const size_t End = R.Err.find_first_of("\r\x1b", Start + 1);
    EXPECT_LT(std::min(End, R.Err.size()) - Start - 1, 50u) << R.Err.substr(Start, End - Start);
    ++Start;
  }
  // Erased at the end.
  EXPECT_EQ(R.Err.substr(R.Err.size() - 4), "\r\x1b[K");
}

TEST_F(CliInteractiveTest, TerminalOutputOptions) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    std::string Err;  // exact
  };
  const std::vector<TCase> Cases = {
      {"quiet", {"-q", "src/a.txt", "dst/"}, ""},
      {"trace", {"--trace", "src/a.txt", "dst/"}, ""},
      // The carriage return before the name becomes a line feed.
      {"cannot create",
       {"-q", "-d", "src/a.txt", "src/a.txt/"},
       "quindle: Cannot create target directory \nsrc/a.txt\n"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TProcessResult R = RunQuindleOnTerminal(C.Args, Dir.path().string(), 80);
    EXPECT_EQ(R.Err, C.Err);
  }
}

#endif

}  // namespace
}  // namespace quindle::testing
