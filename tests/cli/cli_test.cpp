// SPDX-License-Identifier: MIT
// The quindle command end to end: exit statuses and messages, copies into
// directories, the listing and the trace.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/quindle_process.h"
#include "rtl/files/fileutils.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"

namespace quindle::testing {
namespace {

namespace fs = std::filesystem;

const std::string kTryHelp = "Try 'quindle --help' for more information.\n";
const std::string kExpanded = "Expanded text, repeated: abcabcabcabcabcabcabcabc.\n";

// A working folder with src/a.txt, src/b.txt, src/c.dat, src/.hidden,
// src/x.tx_ (LZ-compressed) and an empty dst/.
class CliTest : public QuindleFolderTest {
 protected:
  void SetUp() override {
    QuindleFolderTest::SetUp();
    WriteFile(Dir / "src/c.dat", "charlie\n");
    WriteFile(Dir / "src/.hidden", "hotel\n");
    // Hidden by its name on POSIX; Windows keeps the bit.
    if (!QUINDLE_TEST_POSIX) {
      ASSERT_EQ(rtl::FileSetAttr(Dir / "src/.hidden", rtl::faHidden), 0);
    }
    WriteFile(Dir / "src/x.tx_", rtl::SZDDCompress(kExpanded, 't'));
  }
};

struct TStatusCase {
  const char* Name;
  std::vector<std::string> Args;
  int Status;
  std::string Err;  // exact
  std::string Out;  // exact
};

TEST_F(CliTest, ExitStatusAndMessages) {
  const std::vector<TStatusCase> Cases = {
      {"copy", {"src/a.txt", "dst/"}, 0, "", "src/a.txt -> dst/a.txt\n"},
      {"quiet copy", {"-q", "src/a.txt", "dst/"}, 0, "", ""},
      {"missing source",
       {"src/*.none", "dst/"},
       1,
       "quindle: Source File src/*.none does not exist.\n",
       ""},
      {"empty source entry", {"", "dst/"}, 1, "quindle: No source file assigned.\n", ""},
      {"empty target", {"src/a.txt", ""}, 1, "quindle: No target file assigned.\n", ""},
      {"copy onto itself",
       {"src/a.txt", "src/a.txt"},
       1,
       "quindle: Cannot copy file src/a.txt onto itself.\n",
       ""},
      {"move onto itself",
       {"-m", "move", "src/a.txt", "src/a.txt"},
       1,
       "quindle: Cannot move file src/a.txt onto itself.\n",
       ""},
      // The LZ source's checksum is of the compressed bytes, so it never
      // matches the expanded copy.
      {"failed validation",
       {"-m", "lz", "-V", "src/x.tx_", "dst/x.txt"},
       1,
       "quindle: dst/x.txt failed validation.\n",
       ""},
      {"lz without validation",
       {"-m", "LZ", "src/x.tx_", "dst/x.txt"},
       0,
       "",
       "src/x.tx_ -> dst/x.txt\n"},
      // Not a terminal: the carriage return of the text becomes a space.
      {"cannot create target dir",
       {"-d", "src/a.txt", "src/a.txt/"},
       1,
       "quindle: Cannot create target directory  src/a.txt\n",
       ""},
      {"target dir not created",
       {"src/a.txt", "none/"},
       1,
       "quindle: target directory 'none/' does not exist (use -d to create it)\n",
       ""},
      {"target dir not created, quiet",
       {"-q", "src/a.txt", "none/"},
       1,
       "quindle: target directory 'none/' does not exist (use -d to create it)\n",
       ""},
      {"unknown long option",
       {"--bogus", "a", "b"},
       2,
       "quindle: unknown option '--bogus'\n" + kTryHelp,
       ""},
      {"unknown short option",
       {"-z", "a", "b"},
       2,
       "quindle: unknown option '-z'\n" + kTryHelp,
       ""},
      {"missing option argument",
       {"src/a.txt", "dst/", "-m"},
       2,
       "quindle: option '-m' requires an argument\n" + kTryHelp,
       ""},
      {"no operand", {}, 2, "quindle: missing file operand\n" + kTryHelp, ""},
      {"missing target",
       {"src/a.txt"},
       2,
       "quindle: missing target operand after 'src/a.txt'\n" + kTryHelp,
       ""},
      {"bad method",
       {"-m", "foo", "src/a.txt", "dst/"},
       2,
       "quindle: unknown method 'foo'\n" + kTryHelp,
       ""},
      {"bad attribute",
       {"-a", "normal,weird", "src/a.txt", "dst/"},
       2,
       "quindle: unknown attribute 'weird'\n" + kTryHelp,
       ""},
      {"empty attribute",
       {"--attributes=normal,", "src/a.txt", "dst/"},
       2,
       "quindle: empty attribute list\n" + kTryHelp,
       ""},
      {"any with others",
       {"-a", "any,hidden", "src/a.txt", "dst/"},
       2,
       "quindle: attribute 'any' cannot be combined with others\n" + kTryHelp,
       ""},
      {"version", {"--version"}, 0, "", "quindle 2.00\n"},
      {"argument to a switch",
       {"--help=x"},
       2,
       "quindle: option '--help' doesn't allow an argument\n" + kTryHelp,
       ""},
      {"abbreviated switch with an argument",
       {"--vali=x", "src/a.txt", "dst/"},
       2,
       "quindle: option '--vali' doesn't allow an argument\n" + kTryHelp,
       ""},
      {"long option without its argument",
       {"src/a.txt", "dst/", "--form"},
       2,
       "quindle: option '--form' requires an argument\n" + kTryHelp,
       ""},
      {"abbreviation without its argument",
       {"src/a.txt", "dst/", "--meth"},
       2,
       "quindle: option '--meth' requires an argument\n" + kTryHelp,
       ""},
      {"ambiguous abbreviation",
       {"--v", "src/a.txt", "dst/"},
       2,
       "quindle: option '--v' is ambiguous; possibilities: '--validate' '--version'\n" + kTryHelp,
       ""},
      {"unknown letter in a group",
       {"-Vz", "src/a.txt", "dst/"},
       2,
       "quindle: unknown option '-z'\n" + kTryHelp,
       ""},
  };
  for (const TStatusCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    fs::remove_all(Dir.path() / "dst");
    fs::create_directories(Dir.path() / "dst");
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, C.Status);
    EXPECT_EQ(R.Err, C.Err);
    EXPECT_EQ(R.Out, C.Out);
    if (C.Status == 2) {
      EXPECT_TRUE(fs::is_empty(Dir.path() / "dst"));
    }
  }
  EXPECT_FALSE(Exists("none"));
}

TEST_F(CliTest, CopiesFilesAndPatternsIntoDirectory) {
  const TProcessResult R = Run({"src/*.txt", "src/c.dat", "dst"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Err, "");
  // Entries are taken from the last to the first; a pattern's matches in
  // byte order of their names.
  EXPECT_EQ(R.Out,
            "src/c.dat -> dst/c.dat\n"
            "src/a.txt -> dst/a.txt\n"
            "src/b.txt -> dst/b.txt\n");
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "alpha\n");
  EXPECT_EQ(ReadFile(Dir / "dst/b.txt"), "bravo\n");
  EXPECT_EQ(ReadFile(Dir / "dst/c.dat"), "charlie\n");
  EXPECT_FALSE(Exists("dst/.hidden"));
  EXPECT_FALSE(Exists("dst/x.tx_"));
}

TEST_F(CliTest, MethodsAndAttributes) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    std::vector<std::string> Copied;  // under dst/
    std::vector<std::string> Gone;    // under src/
  };
  const std::vector<TCase> Cases = {
      {"block", {"-m", "block", "src/b.txt", "dst/"}, {"b.txt"}, {}},
      {"move", {"-m", "move", "src/a.txt", "dst/"}, {"a.txt"}, {"a.txt"}},
      {"hidden only", {"-a", "hidden", "src", "dst/"}, {".hidden"}, {}},
      {"any", {"-a", "any", "src/*.*", "dst/"}, {".hidden", "b.txt", "c.dat"}, {}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Before = ReadFile(Dir / "src/b.txt");
    fs::remove_all(Dir.path() / "dst");
    fs::create_directories(Dir.path() / "dst");
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, 0) << R.Err;
    for (const std::string& Name : C.Copied) EXPECT_TRUE(Exists("dst/" + Name)) << Name;
    for (const std::string& Name : C.Gone) EXPECT_FALSE(Exists("src/" + Name)) << Name;
    if (C.Copied.front() == "b.txt") {
      EXPECT_EQ(ReadFile(Dir / "dst/b.txt"), Before);
    }
  }
  EXPECT_FALSE(Exists("dst/a.txt"));  // gone from src by the move: "any" cannot see it
}

TEST_F(CliTest, ExistingTargetsAndMissingDirectories) {
  WriteFile(Dir / "dst/a.txt", "old\n");
  TProcessResult R = Run({"-n", "src/a.txt", "dst/"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Out, "");
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "old\n");

  R = Run({"src/a.txt", "dst/"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "alpha\n");

  R = Run({"src/a.txt", "new/"});
  EXPECT_EQ(R.Status, 1);
  EXPECT_FALSE(Exists("new"));

  R = Run({"-d", "src/a.txt", "new/"});
  EXPECT_EQ(R.Status, 0);
  EXPECT_EQ(R.Out, "src/a.txt -> new/a.txt\n");
  EXPECT_EQ(ReadFile(Dir / "new/a.txt"), "alpha\n");
}

TEST_F(CliTest, ListPrintsTheSelectionAndCopiesNothing) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  fs::create_directories(Dir.path() / "src/sub");
  struct TCase {
    std::vector<std::string> Args;
    std::string Out;
  };
  const std::vector<TCase> Cases = {
      {{"--list", "src"}, "0\tsrc/a.txt\n0\tsrc/b.txt\n0\tsrc/c.dat\n0\tsrc/x.tx_\n"},
      {{"--list", "-a", "hidden", "src"}, "2\tsrc/.hidden\n"},
      {{"--list", "-a", "directories", "src"}, "16\tsrc/sub\n"},
      {{"--list", "src/*.txt", "dst"}, "0\tsrc/a.txt\n0\tsrc/b.txt\n"},
      {{"--list", "src/*.none"}, ""},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Args.back());
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Out, C.Out);
    EXPECT_EQ(R.Err, "");
  }
  EXPECT_TRUE(fs::is_empty(Dir.path() / "dst"));
}

// The events of a trace, each line parsed as JSON (parse throws on a line
// that is not), with runs of OnProgressChange folded into one.
std::vector<nlohmann::json> TraceOf(const std::string& Out) {
  std::vector<nlohmann::json> Events;
  std::istringstream In(Out);
  std::string Line;
  while (std::getline(In, Line)) {
    nlohmann::json E = nlohmann::json::parse(Line);
    EXPECT_TRUE(E.is_object()) << Line;
    if (!Events.empty() && E["event"] == "OnProgressChange" &&
        Events.back()["event"] == "OnProgressChange")
      Events.back() = E;
    else
      Events.push_back(E);
  }
  return Events;
}

std::vector<std::string> Names(const std::vector<nlohmann::json>& Events) {
  std::vector<std::string> N;
  for (const auto& E : Events) N.push_back(E["event"]);
  return N;
}

TEST_F(CliTest, TraceOfOneFileCopy) {
  const TProcessResult R = Run({"--trace", "src/a.txt", "dst/"});
  ASSERT_EQ(R.Status, 0);
  const auto Events = TraceOf(R.Out);
  ASSERT_EQ(Names(Events), (std::vector<std::string>{
                               "OnStart", "OnBeforeCopyFile", "OnProgressChange", "OnSetAttr",
                               "OnAfterCopyFile", "OnProgressChange", "OnFinished"}));
  for (int I : {1, 4}) {
    EXPECT_EQ(Events[I]["source"], "src/a.txt");
    EXPECT_EQ(Events[I]["target"], "dst/a.txt");
  }
  EXPECT_EQ(Events[3]["file"], "dst/a.txt");
  EXPECT_EQ(Events[0]["progress"], 0);
  EXPECT_EQ(Events[5]["progress"], 100);
  EXPECT_EQ(Events[6]["progress"], 100);
}

#if QUINDLE_TEST_POSIX
// Windows names cannot hold '"' or control characters.
TEST_F(CliTest, TraceOfMessagesAndDeclinedOverwrites) {
  WriteFile(Dir / "src/bad\"name\x01.txt", "x");
  WriteFile(Dir / "dst/a.txt", "old\n");
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::vector<std::string> Events;
  };
  const std::vector<TCase> Cases = {
      // An entry without matches ends the run before the final progress.
      {{"--trace", "src/*.none", "dst/"},
       1,
       {"OnStart", "OnSrcFileNotExist", "message", "OnFinished"}},
      {{"--trace", "-n", "src/a.txt", "dst/"},
       0,
       {"OnStart", "OnTgtFileExists", "OnOverwriteCancelled", "OnProgressChange", "OnFinished"}},
      {{"--trace", "src/a.txt", "none/"},
       1,
       {"OnStart", "OnDirNotExist", "message", "OnProgressChange", "OnFinished"}},
      {{"--trace", "src/bad*", "dst/"},
       0,
       {"OnStart", "OnBeforeCopyFile", "OnProgressChange", "OnSetAttr", "OnAfterCopyFile",
        "OnProgressChange", "OnFinished"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Args[C.Args.size() - 2]);
    const TProcessResult R = Run(C.Args);
    EXPECT_EQ(R.Status, C.Status);
    const auto Events = TraceOf(R.Out);
    EXPECT_EQ(Names(Events), C.Events);
    if (C.Args[1] == "src/*.none") {
      EXPECT_EQ(Events[1]["source"], "src/*.none");
      EXPECT_EQ(Events[2]["text"], "Source File src/*.none does not exist.");
      EXPECT_EQ(R.Err, "quindle: Source File src/*.none does not exist.\n");
    }
  }
  EXPECT_EQ(ReadFile(Dir / "dst/a.txt"), "old\n");
  EXPECT_EQ(ReadFile(Dir / "dst/bad\"name\x01.txt"), "x");
}
#endif

// On a pipe or file the list of copies is written in blocks; a message still
// comes after the lines of the files copied before it, and nothing is lost.
TEST_F(CliTest, MessagesFollowTheCopiesBeforeThemOnSharedOutput) {
  const TProcessResult R = RunQuindle({"src/*.none", "src/b.txt", "src/a.txt", "dst/"},
                                      Dir.path().string(), "", "", /*Merged=*/true);
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Out,
            "src/a.txt -> dst/a.txt\n"
            "src/b.txt -> dst/b.txt\n"
            "quindle: Source File src/*.none does not exist.\n");
}

#if QUINDLE_TEST_POSIX
// /dev/full fails every write.
TEST_F(CliTest, OutputThatCannotBeWrittenFails) {
  for (const std::vector<std::string>& Args :
       std::vector<std::vector<std::string>>{{"--list", "src"},
                                             {"--trace", "src/a.txt", "dst/"},
                                             {"src/b.txt", "dst/"},
                                             {"--help"}}) {
    SCOPED_TRACE(Args.front());
    const TProcessResult R = RunQuindle(Args, Dir.path().string(), "", "/dev/full");
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Err, "quindle: cannot write to standard output\n");
  }
  EXPECT_EQ(ReadFile(Dir / "dst/b.txt"), "bravo\n");  // the copy itself succeeded
}
#endif

#if QUINDLE_TEST_POSIX
// Names with bytes that are no UTF-8, and a path through a file.
// The value of the string field Key in one trace line, its escapes undone:
// \udcXX gives back the byte XX, as a surrogate-escaping reader does.
std::string TraceField(const std::string& Line, const std::string& Key) {
  const std::string Start = "\"" + Key + "\":\"";
  size_t Pos = Line.find(Start);
  if (Pos == std::string::npos) return "<none>";
  std::string Value;
  for (Pos += Start.size(); Pos < Line.size() && Line[Pos] != '"'; ++Pos) {
    if (Line[Pos] != '\\') {
      Value += Line[Pos];
      continue;
    }
    const char E = Line[++Pos];
    if (E == 'u') {
      const unsigned Code = std::stoul(Line.substr(Pos + 1, 4), nullptr, 16);
      Pos += 4;
      EXPECT_TRUE(Code < 0x20 || (Code >= 0xDC80 && Code <= 0xDCFF)) << Line;
      Value += static_cast<char>(Code & 0xFF);
    } else {
      Value += E == 'n' ? '\n' : E == 'r' ? '\r' : E == 't' ? '\t' : E;
    }
  }
  return Value;
}

TEST_F(CliTest, TraceKeepsNamesAndReasons) {
  const std::string Raw = "src/raw\xff\xfe\xc3(.txt";   // not UTF-8
  const std::string Accent = "src/caf\xc3\xa9\"q.txt";  // UTF-8, with a quote
  WriteFile(Dir / Raw, "raw\n");
  WriteFile(Dir / Accent, "accent\n");
  WriteFile(Dir / "dst/a.txt", "old\n");
  const TProcessResult R = Run({"--trace", "-n", "src/*.txt", "dst/"});
  EXPECT_EQ(R.Status, 0);
  std::set<std::string> Sources;
  std::istringstream In(R.Out);
  for (std::string Line; std::getline(In, Line);) {
    if (Line.find("\"OnBeforeCopyFile\"") != std::string::npos)
      Sources.insert(TraceField(Line, "source"));
    if (Line.find("\"OnTgtFileExists\"") != std::string::npos) {
      EXPECT_EQ(TraceField(Line, "source"), "src/a.txt");
      EXPECT_EQ(TraceField(Line, "target"), "dst/a.txt");
    }
  }
  EXPECT_EQ(Sources, (std::set<std::string>{Raw, Accent, "src/b.txt"}));
  EXPECT_NE(R.Out.find("raw\\udcff\\udcfe\\udcc3(.txt"), std::string::npos);
  EXPECT_NE(R.Out.find("caf\xc3\xa9\\\"q.txt"), std::string::npos);
  EXPECT_EQ(ReadFile(Dir / "dst/raw\xff\xfe\xc3(.txt"), "raw\n");

  // A failure the system explains: the event, both names, the file and the
  // reason; the message carries them too.
  const TProcessResult Failed = Run({"--trace", "src/b.txt", "src/a.txt/x"});
  EXPECT_EQ(Failed.Status, 1);
  EXPECT_EQ(Failed.Err,
            "quindle: Cannot open target file src/a.txt/x. (src/a.txt/x: Not a directory)\n");
  const size_t Event = Failed.Out.find("{\"event\":\"OnOpenTgtError\"");
  ASSERT_NE(Event, std::string::npos) << Failed.Out;
  const std::string Line = Failed.Out.substr(Event, Failed.Out.find('\n', Event) - Event);
  EXPECT_EQ(TraceField(Line, "source"), "src/b.txt");
  EXPECT_EQ(TraceField(Line, "target"), "src/a.txt/x");
  EXPECT_EQ(TraceField(Line, "file"), "src/a.txt/x");
  EXPECT_EQ(TraceField(Line, "reason"), "Not a directory");
}

#endif

TEST_F(CliTest, ShortHelpIsHelp) {
  const TProcessResult Short = Run({"-h"});
  EXPECT_EQ(Short.Status, 0);
  EXPECT_EQ(Short.Out, Run({"--help"}).Out);
  EXPECT_EQ(Short.Out.rfind("Usage: quindle", 0), 0u);
}

}  // namespace
}  // namespace quindle::testing
