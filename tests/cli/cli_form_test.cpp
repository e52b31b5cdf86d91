// SPDX-License-Identifier: MIT
// The quindle command with form files: saving the settings, reading them
// back, options and operands overriding them, and forms that cannot be read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

namespace fs = std::filesystem;

class CliFormTest : public QuindleFolderTest {
 protected:
  std::string Form(const std::string& Name) { return ReadFile(Dir / Name); }
};

bool Contains(const std::string& Text, const std::string& Part) {
  return Text.find(Part) != std::string::npos;
}

TEST_F(CliFormTest, SavedSettingsReadBackUnchanged) {
  TProcessResult R =
      Run({"--save-form", "a.qfm", "-m", "block", "-V", "-n", "-d", "-a", "hidden,system"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  const std::string A = Form("a.qfm");
  for (const char* Line :
       {"object Quindle1: TQuindle\n", "CopyType = ctBlock\n", "CreateTgtDir = True\n",
        "SrcFileTypes.Hidden = True\n", "SrcFileTypes.System = True\n",
        "SrcFileTypes.Normal = False\n", "OverwriteIfExist = False\n", "Validate = True\n"})
    EXPECT_TRUE(Contains(A, Line)) << Line << " in\n" << A;

  R = Run({"--form", "a.qfm", "--save-form", "b.qfm"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(Form("b.qfm"), A);
}

TEST_F(CliFormTest, SavingWithOperandsAlsoCopies) {
  TProcessResult R = Run({"--save-form", "a.qfm", "-d", "src/a.txt", "src/b.txt", "out/"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(ReadFile(Dir / "out/a.txt"), "alpha\n");
  EXPECT_EQ(ReadFile(Dir / "out/b.txt"), "bravo\n");
  const std::string A = Form("a.qfm");
  // Saved before the run, which appends '/' to a directory target it finds.
  EXPECT_TRUE(Contains(A, "TargetFilename = 'out/'")) << A;
  EXPECT_TRUE(Contains(A, "'src/a.txt'")) << A;
  EXPECT_TRUE(Contains(A, "'src/b.txt'")) << A;

  // Without operands a second save copies nothing and writes the same text.
  fs::remove_all(Dir.path() / "out");
  R = Run({"--form", "a.qfm", "--save-form", "b.qfm"});
  ASSERT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(Form("b.qfm"), A);
  EXPECT_FALSE(Exists("out"));

  // Without --save-form the form's own sources and target are copied.
  R = Run({"--form", "a.qfm"});
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_EQ(R.Out, "src/b.txt -> out/b.txt\nsrc/a.txt -> out/a.txt\n");
}

TEST_F(CliFormTest, CommandLineOverridesTheForm) {
  ASSERT_EQ(Run({"--save-form", "a.qfm", "-m", "block", "-V", "-d", "src/a.txt", "out/"}).Status,
            0);
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;  // after --form a.qfm --save-form c.qfm
    std::vector<std::string> Present;
    std::vector<std::string> Absent;
  };
  const std::vector<TCase> Cases = {
      {"method", {"-m", "move"}, {"CopyType = ctMove", "Validate = True", "'src/a.txt'"}, {}},
      {"attributes", {"-a", "archive"}, {"SrcFileTypes.Archive = True", "CopyType = ctBlock"}, {}},
      {"no overwrite", {"-n"}, {"OverwriteIfExist = False", "CreateTgtDir = True"}, {}},
      {"target only", {"other/"}, {"TargetFilename = 'other/'", "'src/a.txt'"}, {"'out/'"}},
      {"sources and target",
       {"src/b.txt", "third/"},
       {"'src/b.txt'", "TargetFilename = 'third/'"},
       {"'src/a.txt'"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::vector<std::string> Args = {"--form", "a.qfm", "--save-form", "c.qfm"};
    Args.insert(Args.end(), C.Args.begin(), C.Args.end());
    const TProcessResult R = Run(Args);
    EXPECT_EQ(R.Status, 0) << R.Err;
    const std::string Text = Form("c.qfm");
    for (const std::string& P : C.Present) EXPECT_TRUE(Contains(Text, P)) << P << "\n" << Text;
    for (const std::string& P : C.Absent) EXPECT_FALSE(Contains(Text, P)) << P << "\n" << Text;
  }
  // The last case had sources and target, so it ran: a block copy into a
  // directory the form's CreateTgtDir let it create.
  EXPECT_EQ(ReadFile(Dir / "third/b.txt"), "bravo\n");
  EXPECT_FALSE(Exists("other"));
}

TEST_F(CliFormTest, UnreadableFormsAreUsageErrors) {
  WriteFile(Dir / "syntax.qfm",
            "object Quindle1: TQuindle\n"
            "  CopyType = ctBlock\n"
            "  Validate = = True\n"
            "end\n");
  WriteFile(Dir / "property.qfm",
            "object Quindle1: TQuindle\n"
            "  Validate = True\n"
            "  NoSuchProperty = 1\n"
            "end\n");
  fs::create_directories(Dir.path() / "adir.qfm");
  // Collections nested 13,000 deep, one level a line: refused where the
  // 201st level opens, instead of overflowing the stack.
  std::string Deep = "object Quindle1: TQuindle\n  X = <\n";
  for (int I = 0; I < 13000; ++I) Deep += "item X = <\n";
  WriteFile(Dir / "deep.qfm", Deep);
  // One byte past 16 MiB: refused on the line where the limit falls.
  std::string Big = "object Quindle1: TQuindle\n  SourceFilenames.Strings = (\n";
  while (Big.size() <= (size_t{16} << 20)) Big += "    '" + std::string(93, 'x') + "'\n";
  WriteFile(Dir / "big.qfm", Big);
  const auto BigLine = 1 + std::count(Big.begin(), Big.begin() + (16 << 20), '\n');
  struct TCase {
    const char* File;
    std::string Part;  // expected in the message
  };
  const std::vector<TCase> Cases = {
      {"syntax.qfm", "syntax.qfm: Line 3"},
      {"property.qfm", "property.qfm: Line 3"},
      {"missing.qfm", "missing.qfm"},
      {"adir.qfm", "adir.qfm"},
      {"deep.qfm", "deep.qfm: Line 201,"},
      {"big.qfm", "big.qfm: Line " + std::to_string(BigLine) + ","},
      {"/dev/zero", "/dev/zero: Line 1,"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.File);
    const TProcessResult R = Run({"--form", C.File, "src/a.txt", "out/"});
    EXPECT_EQ(R.Status, 2);
    EXPECT_EQ(R.Err.rfind("quindle: ", 0), 0u) << R.Err;
    EXPECT_TRUE(Contains(R.Err, C.Part)) << R.Err;
    EXPECT_EQ(R.Err.find('\n'), R.Err.size() - 1) << "one line: " << R.Err;
    EXPECT_FALSE(Exists("out"));
  }
}

TEST_F(CliFormTest, UnwritableSaveTargetFails) {
  fs::create_directories(Dir.path() / "adir");
  const TProcessResult R = Run({"--save-form", "adir", "src/a.txt", "out/"});
  EXPECT_EQ(R.Status, 1);
  EXPECT_TRUE(Contains(R.Err, "quindle: ")) << R.Err;
  EXPECT_FALSE(Exists("out"));
}

}  // namespace
}  // namespace quindle::testing
