// SPDX-License-Identifier: MIT
// The condition record over the twenty events: what a handler reads when it
// is called (the condition, the names, the system's error), and that the
// default text is what the message box shows when no handler is there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/quindle.h"
#include "event_recorder.h"
#include "quindle_access.h"
#include "rtl/files/lz/szdd_encoder.h"
#include "support/test_support.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace quindle {
namespace {

// A name that goes on through a file: POSIX says the file is not a directory,
// Windows that the path does not exist.
#ifdef _WIN32
constexpr auto kThroughAFile = std::errc::no_such_file_or_directory;
#else
constexpr auto kThroughAFile = std::errc::not_a_directory;
#endif

using testing::WriteFile;

// src/a.txt copied into out/, with a recorder on every event. "@" in a name
// stands for the folder.
struct Scene {
  Scene() {
    rtl::CreateDir(Dir / "src");
    rtl::CreateDir(Dir / "out");
    WriteFile(Dir / "src/a.txt", "alpha\n");
    Set({"@/src/a.txt"}, "@/out/");
  }
  std::string At(std::string Name) const {
    for (size_t P = Name.find('@'); P != std::string::npos; P = Name.find('@', P))
      Name.replace(P, 1, Dir.path().string());
    return Name;
  }
  void Set(const std::vector<std::string>& Entries, const std::string& Target) {
    Q.SourceFilenames()->Clear();
    for (const auto& E : Entries) Q.SourceFilenames()->Add(At(E));
    Q.SetTargetFilename(At(Target));
  }
  void Lz(char Mode) {  // a mode other than 'A' is one the library does not know
    std::string Packed = rtl::SZDDCompress("expanded text, expanded text");
    Packed[8] = Mode;
    WriteFile(Dir / "src/x.tx_", Packed);
    Q.SetCopyType(ctLZCopy);
    Set({"@/src/x.tx_"}, "@/out/x.txt");
  }

  testing::TempDir Dir;
  TQuindle Q{nullptr};
  testing::EventRecorder Rec{Q, Dir.path().string()};
  TQuindleTestAccess A{Q};
  std::function<void()> BeforeCopy;  // run in OnBeforeCopyFile
};

struct Case {
  TCondition What;
  const char* Event;
  std::function<void(Scene&)> Arrange;
  std::string Src, Tgt;
  std::optional<std::errc> Error;
  std::string ErrorFile, Text;
  bool Last;  // the event's last dispatch in the run rather than its first
};

std::vector<Case> Cases() {
  using C = TCondition;
  using E = std::errc;
  const std::string A = "@/src/a.txt", T = "@/out/a.txt", X = "@/src/x.tx_", Y = "@/out/x.txt";
  const std::optional<std::errc> None;
  const auto Plain = [](Scene&) {};
  const auto Exists = [](Scene& S) { WriteFile(S.Dir / "out/a.txt", "old"); };
  const auto Declined = [](Scene& S) {
    WriteFile(S.Dir / "out/a.txt", "old");
    S.Q.SetOverwriteIfExist(false);
  };
  const auto TooDeep = [](Scene& S) {
    S.Set({"@/src/a.txt"}, "@/no/deeper/");
    S.Q.SetCreateTgtDir(true);
  };
  const auto ToSelf = [](Scene& S) { S.Set({"@/src/a.txt"}, "@/src/a.txt"); };
  const auto MoveToSelf = [](Scene& S) {
    S.Set({"@/src/a.txt"}, "@/src/a.txt");
    S.Q.SetCopyType(ctMove);
  };
  const auto NewDir = [](Scene& S) { S.Set({"@/src/a.txt"}, "@/new/"); };
  // The checksums of the compressed source and the expanded copy differ.
  const auto Validated = [](Scene& S) {
    S.Lz('A');
    S.Q.SetValidate(true);
  };
  const auto BadLz = [](Scene& S) { S.Lz('B'); };
  // Driven past the run, which would clear the read-only bit first; the run
  // that follows ends at once, with SrcFileError.
  const auto ReadOnlyMove = [](Scene& S) {
    WriteFile(S.Dir / "out/a.txt", "old");  // the rename is refused: the copy path
    ::chmod(S.At("@/src/a.txt").c_str(), 0444);
    S.A.SetCurrentFile(S.At("@/src/a.txt"), S.At("@/out/a.txt"), rtl::faReadOnly, 0, 6);
    S.Set({}, "");
    S.A.MoveCopy();
  };
  // The source goes between the search and its transfer.
  const auto Vanishes = [](Scene& S) {
    S.BeforeCopy = [&S] { ::unlink(S.At("@/src/a.txt").c_str()); };
  };
  const auto DirInTheWay = [](Scene& S) { rtl::CreateDir(S.Dir / "out/a.txt"); };
  const auto UnderAFile = [](Scene& S) { S.Set({"@/src/a.txt"}, "@/src/a.txt/t"); };
  const auto Full = [](Scene& S) {
    S.Set({"@/src/a.txt"}, "/dev/full");
    S.Q.SetCopyType(ctBlock);
  };
  const auto NoEntry = [](Scene& S) { S.Set({""}, "@/out/"); };
  const auto NoMatch = [](Scene& S) { S.Set({"@/src/*.no"}, "@/out/"); };
  const auto NoTarget = [](Scene& S) { S.Set({"@/src/a.txt"}, ""); };
  // clang-format off
  return {
      {C::AfterCopyFile, "OnAfterCopyFile", Plain, A, T, None, "", "", false},
      {C::BeforeCopyFile, "OnBeforeCopyFile", Plain, A, T, None, "", "", false},
      {C::CannotCreateTgtDir, "OnCannotCreateTgtDir", TooDeep, "", "@/no/deeper", None, "",
       "Cannot create target directory \r@/no/deeper", false},
      {C::CopyToSelfError, "OnCopyToSelfError", ToSelf, A, A, None, "",
       "Cannot copy file @/src/a.txt onto itself.", false},
      {C::DirNotExist, "OnDirNotExist", NewDir, "", "@/new/", None, "",
       "Directory @/new/ does not exist. Create it?", false},
      {C::Finished, "OnFinished", Plain, "", "@/out/", None, "", "", false},
      {C::FailValidate, "OnFailValidate", Validated, X, Y, None, "",
       "@/out/x.txt failed validation.", false},
      {C::LZCopyError, "OnLZCopyError", BadLz, X, Y, None, "", "Error during LZ copy.", false},
      {C::MoveFileError, "OnMoveFileError", ReadOnlyMove, A, T, None, "",
       "File @/src/a.txt is read only.  Cannot move.", false},
      {C::MoveToSelfError, "OnMoveToSelfError", MoveToSelf, A, A, None, "",
       "Cannot move file @/src/a.txt onto itself.", false},
      {C::OpenSrcError, "OnOpenSrcError", Vanishes, A, T, E::no_such_file_or_directory, A,
       "Cannot open source file @/src/a.txt.", false},
      // The target named is TargetFilename; the system's error names the file.
      {C::OpenTgtError, "OnOpenTgtError", DirInTheWay, A, "@/out/", E::is_a_directory, T,
       "Cannot open target file @/out/.", false},
      {C::OpenTgtError, "OnOpenTgtError", UnderAFile, A, "@/src/a.txt/t", kThroughAFile,
       "@/src/a.txt/t", "Cannot open target file @/src/a.txt/t.", false},
      {C::OpenTgtError, "OnOpenTgtError", Full, A, "/dev/full", E::no_space_on_device,
       "/dev/full", "Cannot open target file /dev/full.", false},
      {C::OverwriteCancelled, "OnOverwriteCancelled", Declined, A, T, None, "", "", false},
      {C::ProgressChange, "OnProgressChange", Plain, A, T, None, "", "", false},
      {C::ProgressChange, "OnProgressChange", Plain, "", "@/out/", None, "", "", true},
      {C::SetAttr, "OnSetAttr", Plain, A, T, None, "", "", false},
      {C::SrcFileError, "OnSrcFileError", NoEntry, "", "@/out/", None, "",
       "No source file assigned.", false},
      {C::SrcFileNotExist, "OnSrcFileNotExist", NoMatch, "@/src/*.no", "@/out/", None, "",
       "Source File @/src/*.no does not exist.", false},
      {C::Start, "OnStart", Plain, "", "@/out/", None, "", "", false},
      {C::TgtFileError, "OnTgtFileError", NoTarget, A, "", None, "",
       "No target file assigned.", false},
      {C::TgtFileExists, "OnTgtFileExists", Exists, A, T, None, "", "", false},
  };
  // clang-format on
}

TEST(ConditionRecord, HandlersReadTheirConditionAndTheBoxShowsItsText) {
  std::map<std::string, TCondition> ConditionOf;
  for (const Case& C : Cases()) ConditionOf[C.Event] = C.What;
  ASSERT_EQ(ConditionOf.size(), 20u);

  for (const Case& C : Cases()) {
    SCOPED_TRACE(std::string(C.Event) + " " + C.Tgt);
    Scene S;
    std::optional<TConditionRecord> Seen;
    // Every handler of the run finds its own condition, not only the case's.
    for (const auto& [Event, What] : ConditionOf) {
      S.Rec.On(Event, [&, Event = Event, What = What] {
        EXPECT_EQ(S.Q.Condition().What, What) << Event;
        if (Event == C.Event && (!Seen || C.Last)) Seen = S.Q.Condition();
        if (Event == "OnBeforeCopyFile" && S.BeforeCopy) S.BeforeCopy();
      });
    }
    C.Arrange(S);
    S.Q.Execute();
    ASSERT_TRUE(Seen.has_value());
    EXPECT_EQ(Seen->SrcFileName, S.At(C.Src));
    EXPECT_EQ(Seen->TgtFileName, S.At(C.Tgt));
    EXPECT_EQ(Seen->Error, C.Error ? std::make_error_code(*C.Error) : std::error_code());
    EXPECT_EQ(Seen->ErrorFileName, S.At(C.ErrorFile));
    EXPECT_EQ(Seen->Text, S.At(C.Text));
    if (C.Text.empty()) continue;

    // Without the handler, the same text in a box; OK alone for the errors.
    Scene Shown;
    rtl::TScriptedWidgetSet Script;
    rtl::TWidgetSetScope Scope(Script);
    Script.SetDefaultAnswer(C.What == TCondition::DirNotExist ? rtl::TScriptedAnswer::Press("No")
                                                              : rtl::TScriptedAnswer::Enter());
    Shown.Rec.Unassign({C.Event});
    Shown.Rec.On("OnBeforeCopyFile", [&] {
      if (Shown.BeforeCopy) Shown.BeforeCopy();
    });
    Shown.Q.SetShowMessages(true);
    C.Arrange(Shown);
    Shown.Q.Execute();
    ASSERT_EQ(Script.Shown().size(), 1u);
    EXPECT_EQ(Script.Shown()[0].Text, Shown.At(C.Text));
    EXPECT_EQ(Script.Shown()[0].Text, DefaultText(C.What, Shown.At(C.Src), Shown.At(C.Tgt)));
    EXPECT_EQ(Script.Shown()[0].DlgButtons == rtl::TMsgDlgButtons{rtl::mbOK},
              IsErrorCondition(C.What));
  }
}

}  // namespace
}  // namespace quindle
