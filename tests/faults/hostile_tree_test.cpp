// SPDX-License-Identifier: MIT
// The quindle command on trees a hostile user would make: ten thousand names
// made of the characters that break scripts, paths near the system's limit,
// links that loop or lead nowhere, and FIFOs, sockets and device nodes as
// sources and targets. Whatever each run reports, it ends on its own, does
// not crash, and every source's bytes are still somewhere afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using quindle::testing::ReadFile;
using quindle::testing::TempDir;
using quindle::testing::WriteFile;

struct TRun {
  int Status = -1;  // exit status, 128 + signal, or -1 when it had to be killed
  std::string Out;
  std::string Err;
};

// Runs quindle in Cwd with standard input empty; a run still going after
// Seconds is killed and reported as a hang.
TRun RunQuindle(const std::vector<std::string>& Args, const fs::path& Cwd, int Seconds = 120) {
  TempDir Io;
  std::vector<std::string> Argv = {QUINDLE_BINARY};
  Argv.insert(Argv.end(), Args.begin(), Args.end());
  std::vector<char*> V;
  for (std::string& A : Argv) V.push_back(A.data());
  V.push_back(nullptr);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_addopen(&Actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&Actions, 1, (Io / "out").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&Actions, 2, (Io / "err").c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&Actions, Cwd.c_str());
  pid_t Pid = 0;
  const int Rc = posix_spawn(&Pid, QUINDLE_BINARY, &Actions, nullptr, V.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  TRun R;
  if (Rc != 0) return R;
  const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(Seconds);
  int Raw = 0;
  while (waitpid(Pid, &Raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > Deadline) {
      kill(Pid, SIGKILL);
      waitpid(Pid, &Raw, 0);
      R.Err = "killed after " + std::to_string(Seconds) + " s\n";
      return R;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  R.Status = WIFEXITED(Raw) ? WEXITSTATUS(Raw) : 128 + WTERMSIG(Raw);
  R.Out = ReadFile(Io / "out");
  R.Err = ReadFile(Io / "err");
  return R;
}

// Ended by itself, with one of the command's own exit statuses.
void ExpectSane(const TRun& R) {
  EXPECT_GE(R.Status, 0) << "hang: " << R.Err;
  EXPECT_LE(R.Status, 2) << "crash or unknown status: " << R.Err.substr(0, 2000);
}

// The bytes of every regular file under Root, symbolic links not followed.
std::multiset<std::string> Contents(const fs::path& Root) {
  std::multiset<std::string> All;
  for (auto It = fs::recursive_directory_iterator(Root); It != fs::recursive_directory_iterator();
       ++It)
    if (It->symlink_status().type() == fs::file_type::regular)
      All.insert(ReadFile(It->path().string()));
  return All;
}

// Each of Before's contents is still held by some file under Root.
void ExpectNothingLost(const std::multiset<std::string>& Before, const fs::path& Root) {
  const std::multiset<std::string> After = Contents(Root);
  size_t Lost = 0;
  for (const std::string& C : std::set<std::string>(Before.begin(), Before.end()))
    if (After.count(C) == 0 && ++Lost <= 5) ADD_FAILURE() << "lost: " << C.substr(0, 80);
  EXPECT_EQ(Lost, 0u);
}

// Names no script expects, each unique, none hidden (a leading dot) and none
// that the file system refuses (a '/' or a NUL).
std::vector<std::string> HostileNames(size_t Count) {
  std::mt19937 Random(20240607);
  auto Bytes = [&](size_t Size) {
    std::string S;
    while (S.size() < Size) {
      const char C = static_cast<char>(1 + Random() % 255);
      if (C != '/') S += C;
    }
    return S;
  };
  std::vector<std::string> Names;
  for (size_t I = 0; I < Count; ++I) {
    const std::string N = std::to_string(I);
    std::string Name;
    switch (I % 10) {
      case 0:
        Name = " spaced " + N + " ";
        break;
      case 1:
        Name = "line\nbreak" + N + "\n";
        break;
      case 2:
        Name = "\ttab" + N;
        break;
      case 3:
        Name = "back\\slash\\" + N + "\\";
        break;
      case 4:
        Name = (I % 20 == 4 ? "--form=" : "-") + N;
        break;
      case 5:
        Name = (I % 20 == 5 ? "st*r" : "wh?t") + N + (I % 40 == 5 ? "*" : "?");
        break;
      case 6:
        Name = "\xff\xfe" + N + "\xc3(";
        break;
      case 7:
        Name = N + std::string(255 - N.size(), 'L');
        break;
      case 8:
        Name = N + "." + Bytes(1 + Random() % 60) + "_";
        break;
      default:
        Name = N + Bytes(1 + Random() % 200);
        break;
    }
    if (Name.size() > 255) Name.resize(255);
    if (Name[0] == '.') Name[0] = '_';
    Names.push_back(Name);
  }
  return Names;
}

std::string Content(size_t I) {
  return "source file " + std::to_string(I) + "\n";
}

class HostileTree : public ::testing::Test {
 protected:
  fs::path Path(const std::string& Name) const { return Dir.path() / Name; }
  TRun Run(const std::vector<std::string>& Args, int Seconds = 120) {
    return RunQuindle(Args, Dir.path(), Seconds);
  }
  TempDir Dir;
};

TEST_F(HostileTree, TenThousandNamesAreCopiedMovedListedAndTraced) {
  const std::vector<std::string> Names = HostileNames(10000);
  fs::create_directory(Path("src"));
  for (size_t I = 0; I < Names.size(); ++I)
    WriteFile((Path("src") / Names[I]).string(), Content(I));
  const std::multiset<std::string> Sources = Contents(Path("src"));
  ASSERT_EQ(Sources.size(), Names.size());

  // Every method copies every name, byte for byte, and leaves the sources.
  for (const char* Method : {"stream", "block", "lz"}) {
    SCOPED_TRACE(Method);
    const std::string Out = std::string("out-") + Method;
    const TRun R = Run({"-q", "-d", "-m", Method, "src", Out + "/"});
    ExpectSane(R);
    EXPECT_EQ(R.Status, 0) << R.Err.substr(0, 2000);
    EXPECT_EQ(Contents(Path(Out)), Sources);
    EXPECT_EQ(Contents(Path("src")), Sources);
  }

  // The listing names every file once, as it is spelled on disk.
  const TRun Listed = Run({"--list", "src"});
  ExpectSane(Listed);
  EXPECT_EQ(Listed.Status, 0);
  size_t Missing = 0;
  for (const std::string& Name : Names)
    if (Listed.Out.find("\tsrc/" + Name + "\n") == std::string::npos && ++Missing <= 5)
      ADD_FAILURE() << "not listed: " << Name;
  EXPECT_EQ(Missing, 0u);

  // The trace is one JSON object per line however the names are made. A
  // byte that is no UTF-8 is a lone surrogate escape, \udcXX, which this
  // parser refuses; it stands for one character here.
  const std::regex Surrogate(R"(\\udc[89a-f][0-9a-f])");
  const TRun Traced = Run({"--trace", "-d", "src", "traced/"});
  ExpectSane(Traced);
  EXPECT_EQ(Traced.Status, 0);
  size_t Lines = 0, Bad = 0;
  for (size_t Start = 0, End; (End = Traced.Out.find('\n', Start)) != std::string::npos;
       Start = End + 1, ++Lines)
    if (!nlohmann::json::accept(
            std::regex_replace(Traced.Out.substr(Start, End - Start), Surrogate, "\\ufffd")) &&
        ++Bad <= 3)
      ADD_FAILURE() << "not JSON: " << Traced.Out.substr(Start, std::min<size_t>(End - Start, 200));
  EXPECT_EQ(Bad, 0u);
  EXPECT_GT(Lines, Names.size());
  EXPECT_EQ(Contents(Path("traced")), Sources);

  // Names that look like options are operands after "--".
  const TRun Dashed =
      RunQuindle({"-q", "-d", "--", Names[4], Names[14], "../dashed/"}, Path("src"));
  ExpectSane(Dashed);
  EXPECT_EQ(Dashed.Status, 0) << Dashed.Err;
  EXPECT_EQ(ReadFile((Path("dashed") / Names[4]).string()), Content(4));
  EXPECT_EQ(ReadFile((Path("dashed") / Names[14]).string()), Content(14));

  // A move keeps every file's bytes: moved, or left where it was.
  const TRun Moved = Run({"-q", "-d", "-m", "move", "src", "moved/"});
  ExpectSane(Moved);
  EXPECT_EQ(Moved.Status, 0) << Moved.Err.substr(0, 2000);
  EXPECT_EQ(Contents(Path("moved")), Sources);
  EXPECT_TRUE(fs::is_empty(Path("src")));
}

TEST_F(HostileTree, PathsOfFourKilobytes) {
  // Folders of 255-byte names, as deep as an absolute path of about 4000
  // bytes allows; one for the source, one for the target.
  auto Deep = [&](char Letter) {
    fs::path P = Letter == 's' ? "deep-src" : "deep-dst";
    while ((Dir.path() / P).string().size() + 2 * 256 < 4000) P /= std::string(255, Letter);
    fs::create_directories(Dir.path() / P);
    return P;
  };
  const fs::path Src = Deep('s'), Dst = Deep('t');
  const fs::path File = Src / std::string(200, 'f');
  WriteFile((Dir.path() / File).string(), "deep\n");
  ASSERT_GT((Dir.path() / File).string().size(), 3800u);
  for (const char* Method : {"stream", "block", "lz", "move"}) {
    SCOPED_TRACE(Method);
    const TRun R = Run({"-m", Method, File.string(), Dst.string() + "/"});
    ExpectSane(R);
    EXPECT_EQ(R.Status, 0) << R.Err;
    EXPECT_EQ(ReadFile((Dir.path() / Dst / File.filename()).string()), "deep\n");
    if (std::string(Method) == "move") WriteFile((Dir.path() / File).string(), "deep\n");
    fs::remove(Dir.path() / Dst / File.filename());
  }
  const TRun Listed = Run({"--list", Src.string()});
  ExpectSane(Listed);
  EXPECT_NE(Listed.Out.find(File.string()), std::string::npos);
}

// A FIFO, a socket and a device node, each as a source and as a target, and
// links that loop or lead nowhere.
TEST_F(HostileTree, SpecialFilesAsSourcesAndTargets) {
  fs::create_directory(Path("src"));
  fs::create_directory(Path("out"));
  // Each run gets a source of its own bytes, so that a lost source cannot
  // hide behind an earlier copy of it.
  std::string Alpha;
  int Round = 0;
  ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0644), 0);
  ASSERT_EQ(mkfifo(Path("src/fifo").c_str(), 0644), 0);
  fs::create_symlink("loop2", Path("src/loop1"));
  fs::create_symlink("loop1", Path("src/loop2"));
  fs::create_symlink("self", Path("src/self"));
  fs::create_symlink("nowhere/x", Path("dangling"));
  fs::create_symlink("../nowhere-either", Path("out/a.txt.link"));

  const int Socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(Socket, 0);
  sockaddr_un Address{};
  Address.sun_family = AF_UNIX;
  const std::string SocketPath = Path("sock").string();
  ASSERT_LT(SocketPath.size(), sizeof Address.sun_path);
  SocketPath.copy(Address.sun_path, SocketPath.size());
  ASSERT_EQ(::bind(Socket, reinterpret_cast<sockaddr*>(&Address), sizeof Address), 0);
  ASSERT_EQ(::listen(Socket, 1), 0);

  // A node like /dev/null, made here: never the real one.
  const bool Root = geteuid() == 0;
  if (Root) {
    ASSERT_EQ(mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  }

  struct TCase {
    const char* Name;
    std::vector<std::string> Args;
    std::function<void()> Check;  // what must hold afterwards, beyond the rest
  };
  auto KindOf = [&](const char* Name) { return fs::symlink_status(Path(Name)).type(); };
  std::vector<TCase> Cases = {
      {"directory with a FIFO and looping links",
       {"src", "out/"},
       [&] {
         EXPECT_EQ(ReadFile((Path("out") / "a.txt").string()), Alpha);
         EXPECT_EQ(KindOf("src/loop1"), fs::file_type::symlink);
       }},
      {"looping link named", {"src/loop1", "out/"}, nullptr},
      {"self link named", {"src/self", "out/"}, nullptr},
      {"dangling link as the target",
       {"src/a.txt", "dangling"},
       [&] {
         EXPECT_FALSE(fs::exists(Path("nowhere")));
         EXPECT_EQ(KindOf("dangling"), fs::file_type::symlink);
       }},
      {"dangling link in the target folder",
       {"src/a.txt", "out/a.txt.link"},
       [&] { EXPECT_FALSE(fs::exists(Path("nowhere-either"))); }},
      {"FIFO without a writer as the source", {"fifo", "out/"}, nullptr},
      {"FIFO without a reader as the target",
       {"src/a.txt", "fifo"},
       [&] { EXPECT_EQ(KindOf("fifo"), fs::file_type::fifo); }},
      {"socket as the source", {"sock", "out/"}, nullptr},
      {"socket as the target",
       {"src/a.txt", "sock"},
       [&] { EXPECT_EQ(KindOf("sock"), fs::file_type::socket); }},
  };
  for (const char* Method : {"block", "lz", "move"}) {
    Cases.push_back({"FIFO source", {"-m", Method, "fifo", "out/"}, nullptr});
    Cases.push_back({"FIFO target", {"-m", Method, "src/a.txt", "fifo"}, [&] {
                       EXPECT_EQ(KindOf("fifo"), fs::file_type::fifo);
                     }});
    // A move would take the socket away from the cases after it.
    if (std::string(Method) != "move")
      Cases.push_back({"socket source", {"-m", Method, "sock", "out/"}, nullptr});
  }
  if (Root)
    for (const char* Method : {"stream", "block", "lz", "move"}) {
      Cases.push_back({"device as the source", {"-m", Method, "null", "out/"}, nullptr});
      Cases.push_back({"device as the target", {"-m", Method, "src/a.txt", "null"}, [&] {
                         struct stat St {};
                         ASSERT_EQ(lstat(Path("null").c_str(), &St), 0);
                         EXPECT_TRUE(S_ISCHR(St.st_mode));
                         EXPECT_EQ(St.st_rdev, makedev(1, 3));
                       }});
    }

  for (const TCase& C : Cases) {
    for (const char* Extra : {"", "--trace", "--list"}) {
      if (std::string(Extra) == "--list" && C.Args.size() != 2) continue;
      std::vector<std::string> Args = C.Args;
      if (*Extra != 0) Args.insert(Args.begin(), Extra);
      if (std::string(Extra) == "--list") Args.pop_back();  // sources only
      SCOPED_TRACE(std::string(C.Name) + " " + Extra + " (" + Args[Args.size() - 1] + ")");
      Alpha = "alpha " + std::to_string(++Round) + "\n";
      WriteFile((Path("src") / "a.txt").string(), Alpha);
      const std::multiset<std::string> Before = Contents(Path("src"));
      const TRun R = Run(Args, 30);
      ExpectSane(R);
      ExpectNothingLost(Before, Dir.path());
      if (C.Check && std::string(Extra) != "--list") C.Check();
      // The next case starts from the same tree.
      if (!fs::exists(fs::symlink_status(Path("fifo")))) mkfifo(Path("fifo").c_str(), 0644);
      if (Root && !fs::exists(fs::symlink_status(Path("null"))))
        mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3));
    }
  }
  ::close(Socket);
}

// The LZ run looks into each source for the name it records; a FIFO is
// not looked into, so the run neither waits for a writer nor takes its bytes.
TEST_F(HostileTree, LzRunFromAFifoIntoAFolderReturns) {
  fs::create_directory(Path("out"));
  ASSERT_EQ(mkfifo(Path("data.tx_").c_str(), 0644), 0);
  const TRun R = Run({"-m", "lz", "data.tx_", "out/"}, 30);
  ExpectSane(R);
  EXPECT_EQ(R.Status, 0) << R.Err;
  EXPECT_TRUE(fs::exists(Path("out") / "data.tx_"));
}

// A device throws away what it is given (this one is /dev/null), so a move
// onto one that deletes its source loses the file. Disabled until the move
// keeps the source of a target that is not a regular file.
TEST_F(HostileTree, MoveOntoADeviceKeepsTheSource) {
  if (geteuid() != 0) GTEST_SKIP() << "mknod needs root";
  ASSERT_EQ(mknod(Path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  WriteFile(Path("a.txt").string(), "only copy\n");
  const TRun R = Run({"-m", "move", "a.txt", "null"}, 30);
  ExpectSane(R);
  EXPECT_EQ(R.Status, 1) << "a move that did not happen is an error";
  ASSERT_TRUE(fs::exists(Path("a.txt"))) << "the source was deleted";
  EXPECT_EQ(ReadFile(Path("a.txt").string()), "only copy\n");
}

}  // namespace
