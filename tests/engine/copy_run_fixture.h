// SPDX-License-Identifier: MIT
// A component wired to an event recorder over a fresh folder with src/ and
// out/, for whole-run tests. Every test also checks that the run left the
// current directory where it was.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/quindle.h"
#include "event_recorder.h"
#include "quindle_access.h"
#include "support/test_support.h"

namespace quindle::testing {

using Lines = std::vector<std::string>;

inline Lines Cat(std::initializer_list<Lines> Parts) {
  Lines Out;
  for (const auto& P : Parts) Out.insert(Out.end(), P.begin(), P.end());
  return Out;
}

class CopyRunTest : public ::testing::Test {
 protected:
  using Setter = void (TSrcFileTypes::*)(bool);

  void SetUp() override {
    StartDir = rtl::GetCurrentDir();
    ASSERT_TRUE(rtl::CreateDir(Dir / "src"));
    ASSERT_TRUE(rtl::CreateDir(Dir / "out"));
  }
  void TearDown() override {
    EXPECT_EQ(rtl::GetCurrentDir(), StartDir) << "the run moved the current directory";
    rtl::SetCurrentDir(StartDir);
  }

  std::string Src(const std::string& Name) const { return Dir / ("src/" + Name); }
  std::string Out(const std::string& Name) const { return Dir / ("out/" + Name); }

  void Sources(const Lines& Entries) {
    rtl::TStringList L;
    for (const auto& E : Entries) L.Add(E);
    Q.SetMultiSrcFN(&L);
  }
  void Setup(const Lines& Entries, const std::string& Target) {
    Sources(Entries);
    Q.SetTargetFilename(Target);
  }
  // Normal off and exactly the given flags on.
  void OnlyFlags(std::initializer_list<Setter> On) {
    TSrcFileTypes F;
    F.SetNormal(false);
    for (auto S : On) (F.*S)(true);
    Q.SetSrcFileTypes(&F);
  }

  // Runs once and returns the events without the progress and attribute
  // notifications of the transfers, which their own suite pins.
  Lines Run() {
    Rec.Clear();
    Q.Execute();
    return Rec.Without({"OnProgressChange", "OnSetAttr"});
  }

  Lines Copied(const std::string& S, const std::string& T) const {
    return {"OnBeforeCopyFile " + Rec.Short(S) + " " + Rec.Short(T),
            "OnAfterCopyFile " + Rec.Short(S) + " " + Rec.Short(T)};
  }
  bool EndedWithFullProgress() const {
    const auto& E = Rec.Events();
    return E.size() >= 2 && E[E.size() - 2] == "OnProgressChange 100" && Q.Progress() == 100;
  }

  // Whether hidden, system and archive bits can be stored here.
  bool StoresDosBits() {
    const std::string Probe = Dir / "probe";
    WriteFile(Probe, "");
    const bool Ok =
        rtl::FileSetAttr(Probe, rtl::faArchive) == 0 && rtl::FileGetAttr(Probe) == rtl::faArchive;
    rtl::DeleteFile(Probe);
    return Ok;
  }
  static void SetDate(const std::string& Name, rtl::TDateTime When) {
    const rtl::THandle H = rtl::FileOpen(Name, rtl::fmOpenWrite);
    ASSERT_NE(H, rtl::InvalidHandle) << Name;
    EXPECT_EQ(rtl::FileSetDate(H, rtl::DateTimeToFileDate(When)), 0);
    rtl::FileClose(H);
  }

  std::string StartDir;
  TempDir Dir;
  TQuindle Q{nullptr};
  EventRecorder Rec{Q, Dir.path().string()};
  TQuindleTestAccess Access{Q};
};

// Enters a directory for the length of a scope.
class InDirectory {
 public:
  explicit InDirectory(const std::string& D) : Saved(rtl::GetCurrentDir()) {
    EXPECT_TRUE(rtl::SetCurrentDir(D)) << D;
  }
  ~InDirectory() { rtl::SetCurrentDir(Saved); }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::string Saved;
};

}  // namespace quindle::testing
