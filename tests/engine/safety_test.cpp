// SPDX-License-Identifier: MIT
// Whole runs over real files where a copy could lose data, report a failure
// as success, or change what it must not: a move that copies (checked, synced,
// stamped, deleted), the permissions of new targets, targets that are not
// regular files, dates that are no dates, a deep working directory, a target
// that appears at the last moment, sources whose size is not what they say,
// and Abort() in the middle of a file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/quindle.h"
#include "event_recorder.h"
#include "rtl/files/fault_injection.h"
#include "support/test_support.h"

namespace quindle {
namespace {

namespace fs = std::filesystem;
using rtl::detail::TFaultAction;
using rtl::detail::TFaultOp;
using testing::RandomBytes;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr TCopyType kCopies[] = {ctStream, ctBlock, ctLZCopy};

int OpenDescriptors() {
  int N = 0;
  for ([[maybe_unused]] const auto& E : fs::directory_iterator("/proc/self/fd")) ++N;
  return N;
}

struct stat StatOf(const std::string& Name) {
  struct stat St {};
  EXPECT_EQ(::stat(Name.c_str(), &St), 0) << Name;
  return St;
}

// Makes the Nth call of Op (counted from 1) fail with Error; removed with the object.
class FailNth {
 public:
  FailNth(TFaultOp Op, int N, std::errc Error) {
    rtl::detail::SetFaultHook([=, this](TFaultOp Seen) -> std::optional<TFaultAction> {
      if (Seen != Op || ++Calls != N) return std::nullopt;
      return TFaultAction{std::make_error_code(Error), 0};
    });
  }
  ~FailNth() { rtl::detail::SetFaultHook(nullptr); }
  int Calls = 0;
};

class Safety : public ::testing::Test {
 protected:
  Safety() : Rec(Q, Dir.path().string()) {}

  void Run(TCopyType Type, const std::string& Src, const std::string& Tgt) {
    Q.SourceFilenames()->Clear();
    Q.SourceFilenames()->Add(Src);
    Q.SetTargetFilename(Tgt);
    Q.SetCopyType(Type);
    Rec.Clear();
    Q.Execute();
  }
  // The other file system for a move that must copy: /dev/shm, when it is one.
  std::optional<std::string> OtherFileSystem() {
    struct stat Here {
    }, There{};
    if (::stat(Dir.path().c_str(), &Here) != 0 || ::stat("/dev/shm", &There) != 0 ||
        Here.st_dev == There.st_dev)
      return std::nullopt;
    return Shm.path().string();
  }

  TempDir Dir;
  TQuindle Q{nullptr};
  testing::EventRecorder Rec;
  struct ShmFolder {
    ShmFolder() {
      char Pattern[] = "/dev/shm/quindle-test-XXXXXX";
      if (::mkdtemp(Pattern) != nullptr) Path = Pattern;
    }
    ~ShmFolder() {
      std::error_code E;
      if (!Path.empty()) fs::remove_all(Path, E);
    }
    const fs::path& path() const { return Path; }
    fs::path Path;
  } Shm;
};

// A move across file systems keeps its source whenever the copy cannot be
// trusted, and says why exactly once.
TEST_F(Safety, MoveThatCopiesKeepsTheSourceUnlessTheCopyIsComplete) {
  const std::optional<std::string> Other = OtherFileSystem();
  if (!Other) GTEST_SKIP() << "/dev/shm is on the same file system";
  const std::string Data = RandomBytes(200000, 3);
  struct Case {
    const char* Name;
    std::optional<TFaultOp> Fault;  // first call of it fails with EIO (EROFS for a delete)
    bool CorruptCopy;               // an OnSetAttr handler damages the copy
    const char* Event;              // the one error reported
    bool SourceKept;
  } Cases[] = {
      {"all well", std::nullopt, false, nullptr, false},
      {"corrupted copy, Validate on", std::nullopt, true, "OnFailValidate", true},
      {"source cannot be deleted", TFaultOp::Delete, false, "OnMoveFileError", true},
      {"date cannot be set", TFaultOp::Date, false, "OnMoveFileError", true},
      {"data cannot be synced", TFaultOp::Sync, false, "OnOpenTgtError", true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Src = Dir / "a.bin", Tgt = *Other + "/a.bin";
    WriteFile(Src, Data);
    ::unlink(Tgt.c_str());
    Q.SetValidate(C.CorruptCopy);
    Rec.OnSetAttr([&](int32_t&, rtl::TDateTime&) {
      if (C.CorruptCopy) WriteFile(Tgt, "damaged");
    });
    std::optional<FailNth> Hook;
    if (C.Fault)
      Hook.emplace(
          *C.Fault, 1,
          *C.Fault == TFaultOp::Delete ? std::errc::read_only_file_system : std::errc::io_error);
    const int Before = OpenDescriptors();
    Run(ctMove, Src, Tgt);
    const std::vector<std::string> Errors = Rec.Only(
        {"OnFailValidate", "OnMoveFileError", "OnOpenTgtError", "OnOpenSrcError", "OnLZCopyError"});
    if (C.Event == nullptr) {
      EXPECT_TRUE(Errors.empty());
    } else {
      EXPECT_EQ(Errors, std::vector<std::string>{C.Event});
    }
    if (C.Fault) {
      EXPECT_EQ(Hook->Calls, 1) << "the call was never made";
    }
    EXPECT_EQ(fs::exists(Src), C.SourceKept);
    if (C.SourceKept) {
      EXPECT_EQ(ReadFile(Src), Data);
    }
    if (!C.CorruptCopy) {
      EXPECT_EQ(ReadFile(Tgt), Data);
    }
    EXPECT_EQ(OpenDescriptors(), Before);
  }
}

// The reason a move's source could not be deleted reaches the handler.
TEST_F(Safety, UndeletableSourceIsReportedWithTheSystemsReason) {
  const std::optional<std::string> Other = OtherFileSystem();
  if (!Other) GTEST_SKIP() << "/dev/shm is on the same file system";
  const std::string Src = Dir / "a.txt", Tgt = *Other + "/a.txt";
  WriteFile(Src, "a");
  TConditionRecord Seen;
  Q.SetOnMoveFileError([&](rtl::TObject*) { Seen = Q.Condition(); });
  FailNth Hook(TFaultOp::Delete, 1, std::errc::permission_denied);
  Run(ctMove, Src, Tgt);
  EXPECT_EQ(Seen.What, TCondition::MoveFileError);
  EXPECT_EQ(Seen.Error, std::errc::permission_denied);
  EXPECT_EQ(Seen.ErrorFileName, Src);
  EXPECT_NE(Seen.Text.find("cannot be deleted"), std::string::npos) << Seen.Text;
}

// New targets take the source's permission bits without set-user-ID,
// set-group-ID and sticky; an existing target keeps its own.
TEST_F(Safety, NewTargetsTakeTheSourcesPermissions) {
  const mode_t Umask = ::umask(022);
  struct Case {
    mode_t Source;
    std::optional<mode_t> Existing;  // the target's mode, when it exists
    mode_t Expected;
  } Cases[] = {
      {0600, std::nullopt, 0600}, {0755, std::nullopt, 0755}, {04755, std::nullopt, 0755},
      {0444, std::nullopt, 0444}, {0600, 0640, 0640},         {0640, 0604, 0604},
  };
  const std::optional<std::string> Other = OtherFileSystem();
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    for (const Case& C : Cases) {
      SCOPED_TRACE(std::to_string(Type) + " source " + std::to_string(C.Source) + " existing " +
                   std::to_string(C.Existing.value_or(0)));
      if (Type == ctMove && !Other) continue;
      const std::string Src = Dir / "s",
                        Tgt = (Type == ctMove ? *Other : Dir.path().string()) + "/t";
      ::chmod(Src.c_str(), 0600);
      WriteFile(Src, "data");
      ASSERT_EQ(::chmod(Src.c_str(), C.Source), 0);
      ::chmod(Tgt.c_str(), 0600);
      ::unlink(Tgt.c_str());
      if (C.Existing) {
        WriteFile(Tgt, "old");
        ASSERT_EQ(::chmod(Tgt.c_str(), *C.Existing), 0);
      }
      Run(Type, Src, Tgt);
      EXPECT_EQ(ReadFile(Tgt), "data");
      EXPECT_EQ(StatOf(Tgt).st_mode & 07777, C.Expected);
    }
  }
  ::umask(Umask);
}

// A device or FIFO target is written when asked, but its mode, date and
// extended attributes stay as they were; a move onto one keeps the source.
TEST_F(Safety, TargetsThatAreNotRegularFilesAreNeverStamped) {
  if (::geteuid() != 0) GTEST_SKIP() << "mknod needs root";
  const std::string Dev = Dir / "null";
  ASSERT_EQ(::mknod(Dev.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  const struct stat Before = StatOf(Dev);
  const std::string Src = Dir / "src.txt";
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    SCOPED_TRACE(Type);
    WriteFile(Src, "text");
    // Read-only and archive, with another date: nothing of it may stick.
    rtl::FileSetAttr(Src, rtl::faReadOnly | rtl::faArchive);
    Rec.OnSetAttr([](int32_t&, rtl::TDateTime& Date) { Date -= 400; });
    Run(Type, Src, Dev);
    const struct stat After = StatOf(Dev);
    EXPECT_EQ(After.st_mode, Before.st_mode);
    EXPECT_EQ(After.st_mtim.tv_sec, Before.st_mtim.tv_sec);
    EXPECT_LT(::getxattr(Dev.c_str(), "user.DOSATTRIB", nullptr, 0), 0);
    EXPECT_EQ(ReadFile(Src), "text") << "the source is gone";
    EXPECT_EQ(Rec.Count("OnBeforeCopyFile"), 1);
    EXPECT_EQ(Rec.Count("OnMoveFileError"), Type == ctMove ? 1 : 0);
    ::chmod(Src.c_str(), 0600);
    ::unlink(Src.c_str());
  }
}

// A date the handler makes out of range, or not a number, leaves the
// target's date as written instead of 1969-12-31.
TEST_F(Safety, DateThatIsNoDateLeavesTheTargetsDateAsWritten) {
  const std::string Src = Dir / "s";
  WriteFile(Src, "x");
  for (double Bad : {1e10, -1e10, std::nan("")}) {
    for (TCopyType Type : kCopies) {
      SCOPED_TRACE(std::to_string(Type) + " " + std::to_string(Bad));
      const std::string Tgt = Dir / "t";
      ::unlink(Tgt.c_str());
      Rec.OnSetAttr([&](int32_t&, rtl::TDateTime& Date) { Date = Bad; });
      const time_t Start = ::time(nullptr);
      Run(Type, Src, Tgt);
      EXPECT_GE(StatOf(Tgt).st_mtim.tv_sec, Start - 1);
      EXPECT_TRUE(Rec.Only({"OnOpenTgtError", "OnOpenSrcError"}).empty());
    }
  }
}

// A working directory deeper than PATH_MAX: the run copies the right file
// to the right place and leaves the process where it was.
TEST_F(Safety, WorkingDirectoryDeeperThanPathMax) {
  const int Saved = ::open(".", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(Saved, 0);
  ASSERT_EQ(::chdir(Dir.path().c_str()), 0);
  const std::string Part(200, 'd');
  size_t Depth = Dir.path().string().size();
  while (Depth < 5000) {
    ASSERT_EQ(::mkdir(Part.c_str(), 0700), 0);
    ASSERT_EQ(::chdir(Part.c_str()), 0);
    Depth += Part.size() + 1;
  }
  WriteFile("a.txt", "here");
  ASSERT_EQ(::mkdir("out", 0700), 0);
  WriteFile("out/a.txt.keep", "inside");
  struct stat Here {};
  ASSERT_EQ(::stat(".", &Here), 0);
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    SCOPED_TRACE(Type);
    WriteFile("a.txt", "here");
    ::unlink("out/a.txt");
    Run(Type, "a.txt", "out");
    struct stat Now {};
    ASSERT_EQ(::stat(".", &Now), 0);
    EXPECT_EQ(Now.st_ino, Here.st_ino) << "the run left the working directory";
    EXPECT_EQ(ReadFile("out/a.txt"), "here");
    EXPECT_TRUE(Rec.Only({"OnSrcFileNotExist", "OnDirNotExist", "OnOpenTgtError"}).empty());
  }
  ASSERT_EQ(::fchdir(Saved), 0);
  ::close(Saved);
}

// With overwriting off, a target that appears between the run's look and the
// create is a declined overwrite: left alone, reported once, no OnAfterCopyFile.
TEST_F(Safety, TargetAppearingAtTheLastMomentIsLeftAlone) {
  const std::string Src = Dir / "s", Tgt = Dir / "t";
  WriteFile(Src, "new");
  Q.SetOverwriteIfExist(false);
  Rec.On("OnBeforeCopyFile", [&] { WriteFile(Tgt, "theirs"); });
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy, ctMove}) {
    SCOPED_TRACE(Type);
    ::unlink(Tgt.c_str());
    Run(Type, Src, Tgt);
    EXPECT_EQ(ReadFile(Tgt), "theirs");
    EXPECT_EQ(ReadFile(Src), "new");
    EXPECT_EQ(Rec.Count("OnOverwriteCancelled"), 1);
    EXPECT_EQ(Rec.Count("OnAfterCopyFile"), 0);
    EXPECT_TRUE(Rec.Only({"OnOpenTgtError", "OnMoveFileError"}).empty());
  }
}

// A run into a directory that started empty does not look up names it has
// not given out yet. A file something else puts there meanwhile is still
// never overwritten unasked, whatever OverwriteIfExist says: it is left alone
// and reported. A name given out before, in any ASCII case, is looked up and
// settled by OnTgtFileExists, as is every name in a directory that did not
// start empty.
TEST_F(Safety, TargetsInADirectoryThatStartedEmpty) {
  struct Case {
    const char* What;
    bool StartsEmpty;
    const char* Planted;  // put into the target after the first file, or nullptr
    int Asked;            // OnTgtFileExists
    int Cancelled;        // OnOverwriteCancelled
    const char* PlantedEnd;
  } Cases[] = {
      {"a stranger at a name not given out", true, "b", 0, 1, "theirs"},
      {"the same, the directory not empty", false, "b", 1, 0, "b"},
      {"a stranger at a case variant of a name given out", true, "A", 1, 0, "A"},
      {"a name given out twice", true, nullptr, 1, 0, nullptr},
  };
  const std::string T = Dir / "t";
  for (const Case& C : Cases) {
    for (TCopyType Type : {ctStream, ctMove}) {
      SCOPED_TRACE(std::string(C.What) + (Type == ctMove ? ", move" : ", copy"));
      fs::remove_all(Dir / "s");
      fs::remove_all(Dir / "s2");
      fs::remove_all(T);
      fs::create_directories(Dir / "s");
      fs::create_directories(Dir / "s2");
      fs::create_directories(T);
      const std::string S = Dir / "s", S2 = Dir / "s2";
      for (const char* Name : {"a", "b"}) WriteFile(S + "/" + Name, Name);
      // Entries run from the last: s/a, s/b, then s2's file.
      WriteFile(S2 + (C.Planted ? "/A" : "/a"), C.Planted ? "A" : "a2");
      if (!C.StartsEmpty) WriteFile(T + "/other", "");
      bool Planted = C.Planted == nullptr;
      Rec.On("OnAfterCopyFile", [&] {
        if (!Planted) WriteFile(T + "/" + C.Planted, "theirs");
        Planted = true;
      });
      Q.SourceFilenames()->Clear();
      Q.SourceFilenames()->Add(Dir / "s2/*");
      Q.SourceFilenames()->Add(Dir / "s/*");
      Q.SetTargetFilename(T + "/");
      Q.SetCopyType(Type);
      Rec.Clear();
      Q.Execute();
      EXPECT_EQ(Rec.Count("OnTgtFileExists"), C.Asked);
      EXPECT_EQ(Rec.Count("OnOverwriteCancelled"), C.Cancelled);
      if (C.Planted) {
        EXPECT_EQ(ReadFile(T + "/" + C.Planted), C.PlantedEnd);
      }
      EXPECT_TRUE(Rec.Only({"OnOpenTgtError", "OnMoveFileError", "OnOpenSrcError"}).empty());
    }
  }
}

// Sources whose size says nothing of their data: a file of /proc, a FIFO.
TEST_F(Safety, CopiesRunToTheEndOfTheDataWhateverTheSizeSaid) {
  for (TCopyType Type : kCopies) {
    SCOPED_TRACE(Type);
    const std::string Tgt = Dir / "status";
    Run(Type, "/proc/self/status", Tgt);
    EXPECT_NE(ReadFile(Tgt).find("Name:"), std::string::npos);

    const std::string Fifo = Dir / "fifo", Data = RandomBytes(300000, 5);
    ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    // The writer must have the FIFO open before the run opens it, or the run
    // would find no writer and read the end of the data at once. A reader of
    // our own, which never reads, lets the writer's open complete.
    const int Keep = ::open(Fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(Keep, 0);
    std::atomic<bool> Opened{false};
    std::thread Writer([&] {
      const int Fd = ::open(Fifo.c_str(), O_WRONLY);
      Opened = true;
      for (size_t Off = 0; Fd >= 0 && Off < Data.size();) {
        const ssize_t N = ::write(Fd, Data.data() + Off, Data.size() - Off);
        if (N <= 0) break;
        Off += static_cast<size_t>(N);
      }
      ::close(Fd);
    });
    while (!Opened) std::this_thread::yield();
    Run(Type, Fifo, Dir / "fromfifo");
    Writer.join();
    ::close(Keep);
    EXPECT_TRUE(ReadFile(Dir / "fromfifo") == Data);
    ::unlink(Fifo.c_str());
  }
}

// The copies leave a read-only source alone (its change time stays); a move
// gives the bit back.
TEST_F(Safety, CopiesNeverTouchTheSourcesReadOnlyBit) {
  const std::string Src = Dir / "ro", Tgt = Dir / "t";
  for (TCopyType Type : kCopies) {
    SCOPED_TRACE(Type);
    ::chmod(Src.c_str(), 0600);
    WriteFile(Src, "ro");
    ASSERT_EQ(::chmod(Src.c_str(), 0444), 0);
    const struct stat Before = StatOf(Src);
    ::usleep(20000);
    Run(Type, Src, Tgt);
    const struct stat After = StatOf(Src);
    EXPECT_EQ(After.st_ctim.tv_sec, Before.st_ctim.tv_sec);
    EXPECT_EQ(After.st_ctim.tv_nsec, Before.st_ctim.tv_nsec);
    ::chmod(Tgt.c_str(), 0600);
  }
}

// Abort() from another thread while a large file is under way: the run ends
// as a Cancel ends it, the source is intact (a move's read-only bit back),
// nothing stays open. The handler waits until the other thread has asked, so
// that the stop comes between two chunks of the same file.
TEST_F(Safety, AbortFromAnotherThreadStopsMidFile) {
  const std::string Data = RandomBytes(24 << 20, 9);
  const std::optional<std::string> Other = OtherFileSystem();
  struct Case {
    TCopyType Type;
    bool Validate;
    TByteProgress::TPhase Phase;  // the phase during which Abort() comes
  } Cases[] = {
      {ctStream, false, TByteProgress::TPhase::Transfer},
      {ctBlock, false, TByteProgress::TPhase::Transfer},
      {ctLZCopy, false, TByteProgress::TPhase::Transfer},
      {ctMove, false, TByteProgress::TPhase::Transfer},
      {ctStream, true, TByteProgress::TPhase::Validate},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(std::to_string(C.Type) + (C.Validate ? " validating" : ""));
    if (C.Type == ctMove && !Other) continue;
    const std::string Src = Dir / "big",
                      Tgt = (C.Type == ctMove ? *Other : Dir.path().string()) + "/big.out";
    ::chmod(Src.c_str(), 0600);
    WriteFile(Src, Data);
    if (C.Type == ctMove) {
      ASSERT_EQ(rtl::FileSetAttr(Src, rtl::faReadOnly), 0);
    }
    ::unlink(Tgt.c_str());
    Q.SetValidate(C.Validate);
    std::mutex M;
    std::condition_variable Cv;
    bool Asked = false;
    int Calls = 0;
    uint64_t LastDone = 0;
    std::thread Stopper;
    Q.SetOnByteProgress([&](rtl::TObject*, const TByteProgress& P) {
      ++Calls;
      LastDone = P.Done;
      if (P.Phase != C.Phase || Stopper.joinable()) return;
      Stopper = std::thread([&] {
        Q.Abort();
        std::lock_guard L(M);
        Asked = true;
        Cv.notify_all();
      });
      std::unique_lock L(M);
      Cv.wait(L, [&] { return Asked; });
    });
    const int Before = OpenDescriptors();
    Run(C.Type, Src, Tgt);
    if (Stopper.joinable()) Stopper.join();
    Q.SetOnByteProgress(nullptr);
    EXPECT_TRUE(Asked);
    EXPECT_LT(LastDone, Data.size()) << "the file ran to its end";
    EXPECT_EQ(Rec.Count("OnAfterCopyFile"), 0);
    EXPECT_EQ(Rec.Count("OnFinished"), 1);
    EXPECT_EQ(Rec.Events()[Rec.Events().size() - 2], "OnProgressChange 100");
    EXPECT_TRUE(Rec.Only({"OnOpenTgtError", "OnFailValidate", "OnMoveFileError"}).empty());
    EXPECT_TRUE(ReadFile(Src) == Data);
    if (C.Type == ctMove) {
      EXPECT_EQ(rtl::FileGetReadOnly(Src), rtl::faReadOnly);
    }
    EXPECT_EQ(OpenDescriptors(), Before);
    // The next run copies as usual.
    ::chmod(Tgt.c_str(), 0600);
    ::unlink(Tgt.c_str());
    Q.SetValidate(false);
    Run(ctStream, Src, Tgt);
    EXPECT_TRUE(ReadFile(Tgt) == Data);
    ::unlink(Tgt.c_str());
  }
}

// The byte progress runs alongside OnProgressChange, whose sequence it does
// not change, and counts up to the file's size once per phase.
TEST_F(Safety, ByteProgressCountsEachPhaseUpToTheSize) {
  // Not a multiple of the block, whose last pass would tell the end twice.
  const std::string Data = RandomBytes((3 << 20) + 1234, 4), Src = Dir / "s", Tgt = Dir / "t";
  WriteFile(Src, Data);
  for (TCopyType Type : {ctStream, ctBlock}) {
    SCOPED_TRACE(Type);
    Q.SetValidate(false);
    ::unlink(Tgt.c_str());
    Run(Type, Src, Tgt);
    const auto Plain = Rec.Events();
    ::unlink(Tgt.c_str());
    std::vector<TByteProgress> Seen;
    Q.SetOnByteProgress([&](rtl::TObject*, const TByteProgress& P) { Seen.push_back(P); });
    Q.SetValidate(true);
    Run(Type, Src, Tgt);
    Q.SetOnByteProgress(nullptr);
    EXPECT_EQ(Rec.Events(), Plain);
    ASSERT_FALSE(Seen.empty());
    int Ends = 0;
    for (const TByteProgress& P : Seen) {
      EXPECT_EQ(P.Total, Data.size());
      EXPECT_LE(P.Done, Data.size());
      if (P.Done == Data.size()) ++Ends;
    }
    EXPECT_EQ(Seen.front().Phase, TByteProgress::TPhase::Validate);  // the source's checksum
    EXPECT_EQ(Ends, 3);  // source checksum, transfer, target checksum
  }
}

// The run writes into the target directory it checked: one swapped for a
// link to somewhere else half-way through the run does not redirect the
// remaining files.
TEST_F(Safety, TargetDirectorySwappedMidRunIsNotFollowed) {
  fs::create_directories(Dir.path() / "src");
  fs::create_directories(Dir.path() / "dst");
  fs::create_directories(Dir.path() / "elsewhere");
  for (const char* Name : {"a", "b", "c"}) WriteFile(Dir / (std::string("src/") + Name), Name);
  bool Swapped = false;
  Rec.On("OnAfterCopyFile", [&] {
    if (Swapped) return;
    Swapped = true;
    fs::rename(Dir.path() / "dst", Dir.path() / "checked");
    fs::create_directory_symlink(Dir.path() / "elsewhere", Dir.path() / "dst");
  });
  for (TCopyType Type : {ctStream, ctBlock, ctLZCopy}) {
    SCOPED_TRACE(Type);
    Run(Type, Dir / "src/*", Dir / "dst/");
    EXPECT_TRUE(Swapped);
    for (const char* Name : {"a", "b", "c"})
      EXPECT_EQ(ReadFile(Dir / (std::string("checked/") + Name)), Name);
    EXPECT_TRUE(fs::is_empty(Dir.path() / "elsewhere"));
    fs::remove(Dir.path() / "dst");
    fs::remove_all(Dir.path() / "checked");
    fs::create_directories(Dir.path() / "dst");
    Swapped = false;
  }
}

}  // namespace
}  // namespace quindle
