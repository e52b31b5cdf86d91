// SPDX-License-Identifier: MIT
// The quindle command over trees: -r against cp -r, links and loops, and
// --dry-run against what the same run then does.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

namespace fs = std::filesystem;

// Every entry under Root by its relative name: a directory as "/", a file
// as its content, preceded by "ro:" when it is read-only, a link as "->".
std::map<std::string, std::string> Snapshot(const fs::path& Root) {
  std::map<std::string, std::string> Entries;
  for (auto It = fs::recursive_directory_iterator(Root); It != fs::recursive_directory_iterator();
       ++It) {
    const std::string Name = fs::relative(It->path(), Root).string();
    if (It->is_symlink())
      Entries[Name] = "->";
    else if (It->is_directory())
      Entries[Name] = "/";
    else
      Entries[Name] =
          ((It->status().permissions() & fs::perms::owner_write) == fs::perms::none ? "ro:" : "") +
          ReadFile(It->path().string());
  }
  return Entries;
}

// Three levels, hidden files and directories, a read-only file, an empty
// directory and a directory holding only a directory.
class CliRecursiveTest : public QuindleFolderTest {
 protected:
  void SetUp() override {
    QuindleFolderTest::SetUp();
    for (const char* D : {"tree/one/two/three", "tree/.hid/in", "tree/empty", "tree/only/inner"})
      fs::create_directories(Dir.path() / D);
    WriteFile(Dir / "tree/top.txt", "top\n");
    WriteFile(Dir / "tree/.dot", "dot\n");
    WriteFile(Dir / "tree/one/1.txt", "one\n");
    WriteFile(Dir / "tree/one/two/2.txt", "two\n");
    WriteFile(Dir / "tree/one/two/.2h", "two hidden\n");
    WriteFile(Dir / "tree/one/two/three/3.txt", "three\n");
    WriteFile(Dir / "tree/.hid/in/h.txt", "in hidden\n");
    WriteFile(Dir / "tree/only/inner/i.txt", "inner\n");
    WriteFile(Dir / "tree/one/ro.txt", "read only\n");
    fs::permissions(Dir / "tree/one/ro.txt",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
};

TEST_F(CliRecursiveTest, CopiesATreeAsCpDoes) {
  const std::string Cp = "cp -r '" + (Dir / "tree") + "/.' '" + (Dir / "ref") + "'";
  ASSERT_EQ(std::system(Cp.c_str()), 0);
  const TProcessResult R = Run({"-r", "-q", "-a", "any", "tree", "copy/"});
  EXPECT_EQ(R.Status, 1);  // copy/ does not exist, and there is no -d
  EXPECT_FALSE(Exists("copy"));
  for (const std::vector<std::string>& Args :
       std::vector<std::vector<std::string>>{{"-r", "-q", "-d", "-a", "any", "tree", "copy/"},
                                             // A second run finds every directory made.
                                             {"-r", "-q", "-a", "any", "tree", "copy"}}) {
    const TProcessResult Again = Run(Args);
    EXPECT_EQ(Again.Status, 0) << Again.Err;
    EXPECT_EQ(Again.Err, "");
    EXPECT_EQ(Snapshot(Dir.path() / "copy"), Snapshot(Dir.path() / "ref"));
  }
  // The default filter leaves hidden files and directories out at every level.
  const TProcessResult Plain = Run({"-r", "-q", "-d", "tree", "plain/"});
  EXPECT_EQ(Plain.Status, 0) << Plain.Err;
  const auto Files = Snapshot(Dir.path() / "plain");
  EXPECT_EQ(Files.count("one/two/three/3.txt"), 1u);
  EXPECT_EQ(Files.count("only/inner/i.txt"), 1u);
  EXPECT_EQ(Files.count("empty"), 1u);
  EXPECT_EQ(Files.count("one/two/.2h") + Files.count(".hid") + Files.count(".dot"), 0u);
  // A source whose files are all in sub-directories is walked all the same.
  const TProcessResult Inner = Run({"-r", "-q", "-d", "tree/only", "inner/"});
  EXPECT_EQ(Inner.Status, 0) << Inner.Err;
  EXPECT_EQ(ReadFile(Dir / "inner/inner/i.txt"), "inner\n");
}

TEST_F(CliRecursiveTest, LinksAndLoops) {
  fs::create_symlink("..", Dir.path() / "tree/one/up");
  fs::create_directories(Dir.path() / "elsewhere");
  WriteFile(Dir / "elsewhere/e.txt", "e\n");
  fs::create_symlink("../../elsewhere", Dir.path() / "tree/one/link");
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    int Status;
    std::string Err;
    bool Followed;  // copy/one/link/e.txt made
  };
  const std::vector<TCase> Cases = {
      {"links not followed", {"-r", "-q", "-d", "tree", "copy/"}, 0, "", false},
      {"links followed, the loop reported",
       {"-r", "-L", "-q", "-d", "tree", "copy/"},
       1,
       "quindle: directory loop: 'tree/one/up' leads back to '" +
           fs::canonical(Dir.path() / "tree").string() + "'\n",
       true},
      {"the target inside the source",
       {"-r", "-q", "-d", "tree", "tree/one/"},
       1,
       "quindle: will not copy directory 'tree/one' into itself\n",
       false},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    fs::remove_all(Dir.path() / "copy");
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, C.Status);
    EXPECT_EQ(R.Err, C.Err);
    EXPECT_EQ(Exists("copy/one/link/e.txt"), C.Followed);
  }
}

// The lines of a dry run against the same run made afterwards: every
// transfer it announces is one the run reports, every directory it will
// create exists afterwards, a skipped target is left alone, and the status
// is the same.
TEST_F(CliRecursiveTest, DryRunForetellsTheRun) {
  fs::create_directories(Dir.path() / "dst/one");
  WriteFile(Dir / "dst/top.txt", "old\n");
  WriteFile(Dir / "dst/one/1.txt", "old\n");
  struct TCase {
    std::vector<std::string> Args;
    std::string DryOut;  // exact
  };
  // In this order: each case finds what the ones before it left.
  const std::vector<TCase> Cases = {
      {{"-n", "-r", "tree", "dst/"},
       "skip-existing tree/top.txt -> dst/top.txt\n"
       "create-dir tree/empty -> dst/empty\n"
       "skip-existing tree/one/1.txt -> dst/one/1.txt\n"
       "copy tree/one/ro.txt -> dst/one/ro.txt\n"
       "create-dir tree/one/two -> dst/one/two\n"
       "copy tree/one/two/2.txt -> dst/one/two/2.txt\n"
       "create-dir tree/one/two/three -> dst/one/two/three\n"
       "copy tree/one/two/three/3.txt -> dst/one/two/three/3.txt\n"
       "create-dir tree/only -> dst/only\n"
       "create-dir tree/only/inner -> dst/only/inner\n"
       "copy tree/only/inner/i.txt -> dst/only/inner/i.txt\n"},
      // The run ends at the source without matches.
      {{"src/a.txt", "src/*.none", "src/b.txt", "dst/"}, "copy src/b.txt -> dst/b.txt\n"},
      {{"src/*.txt", "tree/top.txt", "dst/"},
       "overwrite tree/top.txt -> dst/top.txt\ncopy src/a.txt -> dst/a.txt\n"
       "overwrite src/b.txt -> dst/b.txt\n"},
      {{"-d", "src/a.txt", "new/deep/"}, "create-dir new/deep\ncopy src/a.txt -> new/deep/a.txt\n"},
      {{"-d", "-m", "move", "src/a.txt", "src/b.txt", "moved/"},
       "create-dir moved\nmove src/b.txt -> moved/b.txt\nmove src/a.txt -> moved/a.txt\n"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Args[C.Args.size() - 2]);
    const auto Before = Snapshot(Dir.path());
    std::vector<std::string> DryArgs = C.Args;
    DryArgs.insert(DryArgs.begin(), "--dry-run");
    const TProcessResult Dry = Run(DryArgs);
    EXPECT_EQ(Dry.Out, C.DryOut);
    EXPECT_EQ(Snapshot(Dir.path()), Before);  // nothing written
    const TProcessResult Real = Run(C.Args);
    EXPECT_EQ(Dry.Status, Real.Status);
    EXPECT_EQ(Dry.Err, Real.Err);
    std::istringstream Lines(Dry.Out);
    std::string Verb, Source, Arrow, Target;
    std::string Transfers;
    while (Lines >> Verb >> Source) {
      if (Verb == "create-dir" && Lines.peek() == '\n') {
        EXPECT_TRUE(fs::is_directory(Dir.path() / Source)) << Source;
        continue;
      }
      Lines >> Arrow >> Target;
      if (Verb == "create-dir")
        EXPECT_TRUE(fs::is_directory(Dir.path() / Target)) << Target;
      else if (Verb == "skip-existing")
        EXPECT_EQ(ReadFile(Dir / Target), "old\n") << Target;
      else
        Transfers += Source + " -> " + Target + "\n";
    }
    EXPECT_EQ(Real.Out, Transfers);
  }
}

// Directories copied side by side print what one after another prints, in
// the same order, errors included, end with the same status and leave the
// same tree.
TEST_F(CliRecursiveTest, SideBySideRunsPrintAsOneAfterAnother) {
  for (int I = 0; I < 24; ++I) {
    const std::string Sub = "tree/many/d" + std::to_string(I);
    fs::create_directories(Dir.path() / Sub);
    WriteFile(Dir / (Sub + "/f.txt"), Sub);
  }
  struct TCase {
    const char* Name;
    std::vector<const char*> FilesInTheWay;  // under dst, made before the run
    int Status;
  };
  const std::vector<TCase> Cases = {
      {"clean", {}, 0},
      // A file where a directory goes, and a directory where a file goes.
      {"errors on the way", {"dst/one", "dst/many/d7/f.txt/x"}, 1},
  };
  for (const TCase& C : Cases) {
    TProcessResult First;
    std::map<std::string, std::string> FirstTree;
    for (const char* Jobs : {"1", "2", "4"}) {
      SCOPED_TRACE(std::string(C.Name) + ", -j " + Jobs);
      fs::remove_all(Dir.path() / "dst");
      fs::create_directories(Dir.path() / "dst");
      for (const char* Name : C.FilesInTheWay) {
        fs::create_directories((Dir.path() / Name).parent_path());
        WriteFile(Dir / Name, "in the way\n");
      }
      const TProcessResult R = Run({"-j", Jobs, "-r", "tree", "dst/"});
      EXPECT_EQ(R.Status, C.Status);
      EXPECT_EQ(R.Err.empty(), C.Status == 0) << R.Err;
      if (std::string(Jobs) == "1") {
        First = R;
        FirstTree = Snapshot(Dir.path() / "dst");
        continue;
      }
      EXPECT_EQ(R.Out, First.Out);
      EXPECT_EQ(R.Err, First.Err);
      EXPECT_EQ(Snapshot(Dir.path() / "dst"), FirstTree);
    }
  }
}

}  // namespace
}  // namespace quindle::testing
