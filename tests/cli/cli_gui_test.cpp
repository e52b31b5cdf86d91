// SPDX-License-Identifier: MIT
// The command's About box and --gui: as text in a terminal, in windows where
// there is a display (Qt's offscreen one here), and the fallback where there
// is none.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

const std::string kAboutText =
    "\nAbout\n=====\n"
    "       Quindle Component (32 Bit)\n"
    "            Version 2.00\n"
    "Copyright (c) 2026 The Quindle developers\n"
    "A component to Copy Files.\n"
    "\n<[O]K>\n";
const std::string kNoDisplay = "quindle: no display to open windows on; working in the terminal\n";

// Sets or clears environment variables for a scope; the child inherits them.
class TEnvironment {
 public:
  void Set(const char* Name, const char* Value) {
    const char* Old = std::getenv(Name);
    FSaved.push_back({Name, Old != nullptr, Old != nullptr ? Old : ""});
    if (Value == nullptr)
      unsetenv(Name);
    else
      setenv(Name, Value, 1);
  }
  ~TEnvironment() {
    for (auto It = FSaved.rbegin(); It != FSaved.rend(); ++It) {
      if (It->Had)
        setenv(It->Name.c_str(), It->Value.c_str(), 1);
      else
        unsetenv(It->Name.c_str());
    }
  }

 private:
  struct TSaved {
    std::string Name;
    bool Had;
    std::string Value;
  };
  std::vector<TSaved> FSaved;
};

// The lines the command itself wrote ("quindle: ..."), without what the
// toolkit may note on the same stream.
std::string CommandLines(const std::string& Err) {
  std::istringstream In(Err);
  std::string Line, Kept;
  while (std::getline(In, Line))
    if (Line.rfind("quindle:", 0) == 0) Kept += Line + "\n";
  return Kept;
}

struct TGuiCase {
  const char* Name;
  const char* Platform;  // QT_QPA_PLATFORM, or nullptr with no display at all
  std::vector<std::string> Args;
  int Status;
  std::string Out;
  std::string Err;  // the command's own lines
  bool Copied;      // dst/a.txt exists afterwards
};

TEST(CliGui, AboutAndRunsInWindowsOrInTheTerminal) {
  const std::vector<TGuiCase> Cases = {
      {"about as text", nullptr, {"--about"}, 0, kAboutText, "", false},
      {"about without a display", nullptr, {"--gui", "--about"}, 0, kAboutText, kNoDisplay, false},
      {"run without a display",
       nullptr,
       {"--gui", "src/a.txt", "dst/"},
       0,
       "src/a.txt -> dst/a.txt\n",
       kNoDisplay,
       true},
      {"run in a window",
       "offscreen",
       {"--gui", "-V", "src/*.txt", "dst/"},
       0,
       "src/a.txt -> dst/a.txt\nsrc/b.txt -> dst/b.txt\n",
       "",
       true},
      {"error in a window run, nobody asked",
       "offscreen",
       {"--gui", "src/*.none", "dst/"},
       1,
       "",
       "quindle: Source File src/*.none does not exist.\n",
       false},
      {"usage error before any window",
       "offscreen",
       {"--gui"},
       2,
       "",
       "quindle: missing file operand\n",
       false},
  };
  for (const TGuiCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TempDir Dir;
    std::filesystem::create_directories(Dir.path() / "src");
    std::filesystem::create_directories(Dir.path() / "dst");
    WriteFile(Dir / "src/a.txt", "alpha\n");
    WriteFile(Dir / "src/b.txt", "bravo\n");
    TEnvironment Env;
    Env.Set("QT_QPA_PLATFORM", C.Platform);
    Env.Set("DISPLAY", nullptr);
    Env.Set("WAYLAND_DISPLAY", nullptr);
    const TProcessResult R = RunQuindle(C.Args, Dir.path().string());
    EXPECT_EQ(R.Status, C.Status) << R.Err;
    EXPECT_EQ(R.Out, C.Out);
    EXPECT_EQ(CommandLines(R.Err), C.Err);
    EXPECT_EQ(std::filesystem::exists(Dir.path() / "dst/a.txt"), C.Copied);
  }
}

// Where the windows are a module of their own, a program that cannot find it
// (copied out of its tree, or installed without it) says so once and copies
// in the terminal.
TEST(CliGui, MissingWindowModuleFallsBackToTheTerminal) {
  namespace fs = std::filesystem;
  if (!fs::exists(fs::path(QUINDLE_BINARY).parent_path() / "quindle-gui-qt.so"))
    GTEST_SKIP() << "this build links its windows into the program";
  TempDir Dir;
  fs::create_directories(Dir.path() / "bin");
  fs::create_directories(Dir.path() / "src");
  fs::create_directories(Dir.path() / "dst");
  fs::copy_file(QUINDLE_BINARY, Dir.path() / "bin/quindle");
  WriteFile(Dir / "src/a.txt", "alpha\n");
  TEnvironment Env;
  Env.Set("QT_QPA_PLATFORM", "offscreen");
  const std::string Command =
      "cd '" + Dir.path().string() + "' && bin/quindle --gui src/a.txt dst/ >out 2>err";
  const int Raw = std::system(Command.c_str());
  ASSERT_TRUE(WIFEXITED(Raw));
  EXPECT_EQ(WEXITSTATUS(Raw), 0);
  EXPECT_EQ(ReadFile(Dir / "out"), "src/a.txt -> dst/a.txt\n");
  const std::string Err = CommandLines(ReadFile(Dir / "err"));
  EXPECT_EQ(Err.rfind("quindle: cannot load the window module (", 0), 0u) << Err;
  EXPECT_NE(Err.find("quindle-gui-qt.so"), std::string::npos) << Err;
  EXPECT_EQ(Err.substr(Err.find(')')), "); working in the terminal\n");
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "alpha\n");
}

}  // namespace
}  // namespace quindle::testing
