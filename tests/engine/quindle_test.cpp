// SPDX-License-Identifier: MIT
// The component's defaults, its write rules and the attribute filter.
#include "engine/quindle.h"

#include <gtest/gtest.h>

#include <array>

#include "support/test_support.h"

namespace quindle {
namespace {

using Flags =
    std::array<bool, 7>;  // AnyFile, Archive, Directories, Hidden, Normal, ReadOnly, System

Flags Read(const TSrcFileTypes& F) {
  return {F.AnyFile(), F.Archive(),  F.Directories(), F.Hidden(),
          F.Normal(),  F.ReadOnly(), F.System()};
}

TEST(TQuindleDefaults, NewComponentHoldsThePublishedDefaults) {
  TQuindle Q(nullptr);
  EXPECT_EQ(Q.CopyType(), ctStream);
  EXPECT_FALSE(Q.CreateTgtDir());
  EXPECT_TRUE(Q.OverwriteIfExist());
  EXPECT_EQ(Q.Progress(), 0);
  EXPECT_FALSE(Q.RecurseDirs());
  EXPECT_FALSE(Q.ShowMessages());
  EXPECT_EQ(Q.SizeFile(), 0);
  EXPECT_EQ(Q.SourceFilenames()->Count(), 0);
  EXPECT_EQ(Q.TargetFilename(), "");
  EXPECT_FALSE(Q.Validate());
  EXPECT_EQ(Q.About(), nullptr);
  EXPECT_EQ(Read(*Q.SrcFileTypes()), (Flags{false, false, false, false, true, false, false}));
  EXPECT_FALSE(static_cast<bool>(Q.OnStart()));
}

TEST(TQuindleOwnership, OwnerFreesTheComponentAndAnEarlyFreeLeavesTheOwner) {
  rtl::TComponent Owner(nullptr);
  auto* A = new TQuindle(&Owner);
  auto* B = new TQuindle(&Owner);
  EXPECT_EQ(Owner.ComponentCount(), 2);
  delete A;
  ASSERT_EQ(Owner.ComponentCount(), 1);
  EXPECT_EQ(Owner.Components(0), B);
  // B is freed by Owner's destructor; the sanitizer build reports a leak or a
  // double free if ownership is wrong.
}

// Each step applies one setter to the filter left by the previous step.
struct FilterStep {
  const char* What;
  void (TSrcFileTypes::*Setter)(bool);
  bool Value;
  Flags Expected;
};

TEST(TSrcFileTypes, AnyFileExcludesTheOtherFlags) {
  const FilterStep Steps[] = {
      {"AnyFile on clears the others",
       &TSrcFileTypes::SetAnyFile,
       true,
       {true, false, false, false, false, false, false}},
      {"Normal off while AnyFile changes nothing else",
       &TSrcFileTypes::SetNormal,
       false,
       {true, false, false, false, false, false, false}},
      {"Hidden on clears AnyFile",
       &TSrcFileTypes::SetHidden,
       true,
       {false, false, false, true, false, false, false}},
      {"AnyFile on again",
       &TSrcFileTypes::SetAnyFile,
       true,
       {true, false, false, false, false, false, false}},
      {"AnyFile off turns nothing back on",
       &TSrcFileTypes::SetAnyFile,
       false,
       {false, false, false, false, false, false, false}},
      {"System on leaves AnyFile off",
       &TSrcFileTypes::SetSystem,
       true,
       {false, false, false, false, false, false, true}},
      {"Archive on",
       &TSrcFileTypes::SetArchive,
       true,
       {false, true, false, false, false, false, true}},
      {"clearing a flag leaves AnyFile alone",
       &TSrcFileTypes::SetArchive,
       false,
       {false, false, false, false, false, false, true}},
  };
  TSrcFileTypes F;
  for (const auto& Step : Steps) {
    (F.*Step.Setter)(Step.Value);
    EXPECT_EQ(Read(F), Step.Expected) << Step.What;
  }
}

TEST(TQuindleAccessors, SrcFileTypesIsCopiedIntoTheComponentsOwnObject) {
  TQuindle Q(nullptr);
  TSrcFileTypes* Own = Q.SrcFileTypes();
  TSrcFileTypes Given;
  Given.SetAnyFile(true);
  Q.SetSrcFileTypes(&Given);
  EXPECT_EQ(Q.SrcFileTypes(), Own);
  EXPECT_EQ(Read(*Own), (Flags{true, false, false, false, false, false, false}));
  Given.SetHidden(true);  // later changes stay with the caller
  EXPECT_TRUE(Own->AnyFile());
  EXPECT_FALSE(Own->Hidden());
}

TEST(TQuindleAccessors, SourceFilenamesIsCopiedAndRebuildsTheListingOutsideTheDesigner) {
  testing::TempDir Dir;
  testing::WriteFile(Dir / "a.txt", "a");
  TQuindle Q(nullptr);
  rtl::TStringList* Own = Q.SourceFilenames();
  rtl::TStringList Given;
  Given.Add(Dir / "*.*");
  Q.SetMultiSrcFN(&Given);
  EXPECT_EQ(Q.SourceFilenames(), Own);
  ASSERT_EQ(Own->Count(), 1);
  EXPECT_EQ(Q.FileList().Count(), 1);

  // Writing the component's own list copies nothing but lists again.
  testing::WriteFile(Dir / "b.txt", "b");
  Q.SetMultiSrcFN(Q.SourceFilenames());
  EXPECT_EQ(Own->Count(), 1);
  EXPECT_EQ(Q.FileList().Count(), 2);

  // While designed, a write only stores.
  Q.SetDesigning(true);
  testing::WriteFile(Dir / "c.txt", "c");
  Given.Add(Dir / "c.txt");
  Q.SetMultiSrcFN(&Given);
  EXPECT_EQ(Own->Count(), 2);
  EXPECT_EQ(Q.FileList().Count(), 2);
}

TEST(TQuindleAccessors, NullListOrFilterIsRefusedAndChangesNothing) {
  TQuindle Q(nullptr);
  Q.SourceFilenames()->Add("x");
  EXPECT_THROW(Q.SetMultiSrcFN(nullptr), rtl::EConvertError);
  EXPECT_THROW(Q.SetSrcFileTypes(nullptr), rtl::EConvertError);
  EXPECT_EQ(Q.SourceFilenames()->Count(), 1);
  EXPECT_TRUE(Q.SrcFileTypes()->Normal());
}

TEST(HasAttr, AnswersForMissingAndReadOnlyFiles) {
  testing::TempDir Dir;
  const std::string Name = Dir / "ro.txt";
  testing::WriteFile(Name, "x");
  ASSERT_EQ(rtl::FileSetAttr(Name, rtl::faReadOnly), 0);
  struct Case {
    std::string File;
    uint16_t Bits;
    bool Expected;
  } Cases[] = {
      {Dir / "missing", 1, true},
      {Dir / "missing", 63, true},
      {Name, 1, true},
      {Name, 3, false},
      {Name, 0, true},
      {Dir / "", 16, true},
  };
  for (const auto& C : Cases)
    EXPECT_EQ(HasAttr(C.File, C.Bits), C.Expected) << C.File << " " << C.Bits;
}

}  // namespace
}  // namespace quindle
