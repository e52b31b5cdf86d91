// SPDX-License-Identifier: MIT
// Which files the entries select: order, normalisation, mask and filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/quindle.h"
#include "support/test_support.h"

namespace quindle {
namespace {

using Lines = std::vector<std::string>;

class SourceListing : public ::testing::Test {
 protected:
  void SetUp() override {
    // plain.txt 0, ro.txt 1, .dot 2 (hidden by name), arch.txt 32,
    // roarch.txt 33, hidarch.txt 34, sys.txt 4, sub/ 16
    Make("plain.txt", 0);
    Make("ro.txt", rtl::faReadOnly);
    Make(".dot", 0);
    Make("arch.txt", rtl::faArchive);
    Make("roarch.txt", rtl::faReadOnly | rtl::faArchive);
    Make("hidarch.txt", rtl::faHidden | rtl::faArchive);
    Make("sys.txt", rtl::faSysFile);
    ASSERT_TRUE(rtl::CreateDir(Dir / "sub"));
    testing::WriteFile(Dir / "sub/inner.txt", "i");
    if (rtl::FileGetAttr(Dir / "arch.txt") != rtl::faArchive)
      GTEST_SKIP() << "no extended attributes on this file system";
  }

  void Make(const std::string& Name, int32_t Attr) {
    testing::WriteFile(Dir / Name, Name);
    if (Attr != 0) {
      ASSERT_EQ(rtl::FileSetAttr(Dir / Name, Attr), 0);
    }
  }

  // Lists with the given entries and filter; returns "attr name" lines with
  // the temporary folder's path taken off.
  Lines List(const Lines& Entries) {
    rtl::TStringList Sources;
    for (const auto& E : Entries) Sources.Add(E);
    Q.SetMultiSrcFN(&Sources);
    Lines Result;
    EXPECT_EQ(Q.FileList().Count(), Q.AttrList().Count());
    const std::string Prefix = Dir.path().string();
    for (int I = 0; I < Q.FileList().Count(); ++I) {
      std::string Name = Q.FileList()[I];
      if (Name.compare(0, Prefix.size(), Prefix) == 0) Name = Name.substr(Prefix.size());
      Result.push_back(Q.AttrList()[I] + " " + Name);
    }
    return Result;
  }

  void SetFilter(void (TSrcFileTypes::*Setter)(bool), bool Value = true) {
    TSrcFileTypes F;
    F.Assign(Q.SrcFileTypes());
    (F.*Setter)(Value);
    Q.SetSrcFileTypes(&F);
  }

  testing::TempDir Dir;
  TQuindle Q{nullptr};
};

TEST_F(SourceListing, DefaultFilterListsPlainReadOnlyAndArchiveFilesOnly) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  EXPECT_EQ(List({Dir / "*.*"}),
            (Lines{"32 /arch.txt", "0 /plain.txt", "1 /ro.txt", "33 /roarch.txt"}));
}

TEST_F(SourceListing, WithoutNormalOnlyTheExactMaskIsSelected) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  struct Case {
    const char* What;
    std::vector<void (TSrcFileTypes::*)(bool)> On;
    Lines Expected;
  } Cases[] = {
      {"archive", {&TSrcFileTypes::SetArchive}, {"32 /arch.txt"}},
      {"archive+readonly",
       {&TSrcFileTypes::SetArchive, &TSrcFileTypes::SetReadOnly},
       {"33 /roarch.txt"}},
      {"hidden", {&TSrcFileTypes::SetHidden}, {"2 /.dot"}},
      {"hidden+archive",
       {&TSrcFileTypes::SetHidden, &TSrcFileTypes::SetArchive},
       {"34 /hidarch.txt"}},
      {"system", {&TSrcFileTypes::SetSystem}, {"4 /sys.txt"}},
      {"directories", {&TSrcFileTypes::SetDirectories}, {"16 /sub"}},
  };
  for (const auto& C : Cases) {
    TSrcFileTypes F;
    F.SetNormal(false);
    for (auto Setter : C.On) (F.*Setter)(true);
    Q.SetSrcFileTypes(&F);
    EXPECT_EQ(List({Dir / "*.*"}), C.Expected) << C.What;
  }
}

TEST_F(SourceListing, AnyFileListsEverythingButDotEntries) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  SetFilter(&TSrcFileTypes::SetAnyFile);
  EXPECT_EQ(List({Dir / "*"}), (Lines{"2 /.dot", "32 /arch.txt", "34 /hidarch.txt", "0 /plain.txt",
                                      "1 /ro.txt", "33 /roarch.txt", "16 /sub", "4 /sys.txt"}));
}

TEST_F(SourceListing, AllFlagsOffSelectsNothing) {
  SetFilter(&TSrcFileTypes::SetNormal, false);
  EXPECT_EQ(List({Dir / "*.*", Dir / "plain.txt"}), Lines{});
}

TEST_F(SourceListing, EntriesAreWalkedFromLastToFirstAndAnEmptyLineEndsTheWalk) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  EXPECT_EQ(List({Dir / "ro.txt", Dir / "plain.txt"}), (Lines{"0 /plain.txt", "1 /ro.txt"}));
  EXPECT_EQ(List({Dir / "ro.txt", "", Dir / "plain.txt"}), (Lines{"0 /plain.txt"}));
  EXPECT_EQ(List({Dir / "plain.txt", Dir / "pl*"}), (Lines{"0 /plain.txt", "0 /plain.txt"}));
}

TEST_F(SourceListing, DirectoryEntriesAreSearchedWithTheirSeparatorAsWritten) {
  QUINDLE_SKIP_IF_ARCHIVE_STAYS(Dir.path().string());
  EXPECT_EQ(List({Dir / "sub"}), (Lines{"0 /sub/inner.txt"}));
  EXPECT_EQ(List({Dir / "sub/"}), (Lines{"0 /sub//inner.txt"}));
  // A missing directory with a trailing separator lists nothing and reports nothing.
  EXPECT_EQ(List({Dir / "nosuch/"}), Lines{});
}

TEST_F(SourceListing, LinesAreUsedAsWrittenAndNeverChanged) {
  const Lines Entries{" " + Dir / "plain.txt", Dir / "nomatch*"};
  EXPECT_EQ(List(Entries), Lines{});
  EXPECT_EQ((*Q.SourceFilenames())[0], Entries[0]);
}

}  // namespace
// With ListFiles off nothing is listed, neither when the entries are set
// nor before OnStart, and the run copies the same files.
TEST_F(SourceListing, ListFilesOffListsNothingAndCopiesTheSame) {
  for (bool On : {true, false}) {
    SCOPED_TRACE(On);
    Q.SetListFiles(On);
    const size_t Listed = List({Dir / "*.txt"}).size();
    EXPECT_EQ(Listed != 0, On);
    int SeenAtStart = -1;
    Q.SetOnStart([&](rtl::TObject*) { SeenAtStart = Q.FileList().Count(); });
    const std::string Target = Dir / (On ? "on" : "off");
    Q.SetTargetFilename(Target + "/");
    Q.SetCreateTgtDir(true);
    Q.Execute();
    EXPECT_EQ(SeenAtStart, static_cast<int>(Listed));
    EXPECT_EQ(testing::ReadFile(Target + "/plain.txt"), "plain.txt");
    EXPECT_EQ(testing::ReadFile(Target + "/ro.txt"), "ro.txt");
  }
}

}  // namespace quindle
