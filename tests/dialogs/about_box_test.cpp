// SPDX-License-Identifier: MIT
#include "dialogs/about_box.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "rtl/core/form_writer.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace {

using namespace rtl;
using quindle::TQDAboutBox;
using A = TScriptedAnswer;

struct TLayoutRow {
  const char* Name;
  const char* Kind;
  const char* Parent;
  int Left, Top, Width, Height;
  const char* Caption;
  int FontHeight;  // labels only
  bool Bold;
};

// The control tree in creation order.
const TLayoutRow Layout[] = {
    {"Panel1", "TPanel", "QDAboutBox", 0, 0, 352, 134, "", 0, false},
    {"ProgramIcon", "TImage", "Panel1", 16, 12, 32, 32, "", 0, false},
    {"ProductName", "TLabel", "Panel1", 68, 8, 275, 24, "Quindle Component (32 Bit)", -19, true},
    {"Version", "TLabel", "Panel1", 104, 36, 46, 16, "Version", -13, false},
    {"VersionNumber", "TLabel", "Panel1", 156, 36, 141, 16, "2.00", -13, false},
    {"Copyright", "TLabel", "Panel1", 8, 72, 189, 16, "Copyright (c) 2026 The Quindle developers",
     -13, false},
    {"Comments", "TLabel", "Panel1", 8, 100, 163, 16, "A component to Copy Files.", -13, false},
    {"Panel5", "TPanel", "QDAboutBox", 0, 134, 352, 45, "", 0, false},
    {"Panel6", "TPanel", "Panel5", 132, 4, 81, 37, "", 0, false},
    {"BitBtn1", "TBitBtn", "Panel6", 4, 4, 73, 29, "OK", 0, false},
};

TEST(AboutBox, LaysItselfOutFromItsLayout) {
  TQDAboutBox Box(nullptr);
  EXPECT_EQ(Box.Name(), "QDAboutBox");
  EXPECT_EQ(Box.Caption(), "About");
  EXPECT_EQ(Box.BorderStyle(), bsDialog);
  EXPECT_EQ(Box.BorderIcons(), 0);
  EXPECT_FALSE(Box.HasCloseBox());
  EXPECT_EQ(Box.Position(), poScreenCenter);
  EXPECT_EQ((std::vector<int>{Box.Left(), Box.Top(), Box.ClientWidth(), Box.ClientHeight()}),
            (std::vector<int>{197, 119, 352, 179}));
  EXPECT_EQ(Box.Font()->Name(), "System");
  EXPECT_EQ(Box.Font()->Height(), -13);
  EXPECT_EQ(Box.PixelsPerInch(), 96);
  EXPECT_EQ(Box.TextHeight(), 16);

  const std::vector<TControl*> All = Box.AllControls();
  ASSERT_EQ(All.size(), std::size(Layout));
  for (size_t I = 0; I < All.size(); ++I) {
    const TLayoutRow& R = Layout[I];
    const TControl* C = All[I];
    SCOPED_TRACE(R.Name);
    EXPECT_EQ(C->Name(), R.Name);
    EXPECT_EQ(C->ClassName(), R.Kind);
    EXPECT_EQ(C->Parent()->Name(), R.Parent);
    EXPECT_EQ((std::vector<int>{C->Left(), C->Top(), C->Width(), C->Height()}),
              (std::vector<int>{R.Left, R.Top, R.Width, R.Height}));
    EXPECT_EQ(C->Caption(), R.Caption);
    if (auto* L = dynamic_cast<const TLabel*>(C)) {
      EXPECT_TRUE(L->Transparent());
      EXPECT_FALSE(L->ParentFont());
      EXPECT_EQ(L->Font()->Name(), "MS Sans Serif");
      EXPECT_EQ(L->Font()->Height(), R.FontHeight);
      EXPECT_EQ(L->Font()->Style(), R.Bold ? FontStyle(fsBold) : 0);
    } else {
      // Panels and the button use the form's font.
      EXPECT_EQ(*C->Font(), *Box.Font());
    }
  }
  const std::tuple<TPanel*, TAlign, TPanelBevel, TPanelBevel, int> Panels[] = {
      {Box.Panel1, alClient, bvRaised, bvLowered, 2},
      {Box.Panel5, alBottom, bvRaised, bvRaised, 1},
      {Box.Panel6, alNone, bvLowered, bvLowered, 2}};
  for (const auto& [P, Align, Outer, Inner, Width] : Panels) {
    EXPECT_EQ(P->Align(), Align) << P->Name();
    EXPECT_EQ(P->BevelOuter(), Outer) << P->Name();
    EXPECT_EQ(P->BevelInner(), Inner) << P->Name();
    EXPECT_EQ(P->BevelWidth(), Width) << P->Name();
  }
  EXPECT_TRUE(Box.ProgramIcon->Stretch());
  EXPECT_EQ(Box.BitBtn1->Kind(), bkOK);
  EXPECT_EQ(Box.BitBtn1->ModalResult(), mrOk);
  EXPECT_TRUE(Box.BitBtn1->Default());
  EXPECT_EQ(Box.BitBtn1->Glyph()->Width(), 16);
  EXPECT_EQ(Box.BitBtn1->OnClickName(), "Button1Click");
  EXPECT_EQ(Box.FocusOrder(), (std::vector<TWinControl*>{Box.BitBtn1}));
}

TEST(AboutBox, WritingGivesBackItsLayout) {
  TQDAboutBox Box(nullptr);
  // The layout is a resource of the module that holds the dialogs: this
  // program, or the dialogs' own shared library.
  const HINSTANCE Dialogs = FindHInstance(TQDAboutBox::StaticClassInfo());
  EXPECT_EQ(WriteComponentText(Box), LoadResource(Dialogs, RT_RCDATA, "TQDABOUTBOX"));
}

std::string SourceFile(const std::string& Relative) {
  std::ifstream In(std::string(QUINDLE_SOURCE_DIR) + "/" + Relative, std::ios::binary);
  std::ostringstream Out;
  Out << In.rdbuf();
  return Out.str();
}

// What a person recognises in the emblem: grey corners, blue and navy only in
// the left part, cyan and teal only in the right part, and between them a
// black arrow whose widest column (its head) lies right of where it starts.
void ExpectEmblem(const TBitmap& B) {
  const int N = B.Width();
  ASSERT_EQ(B.Height(), N);
  auto Colour = [&](int X, int Y) { return RGBAToColor(B.Pixel(X, Y)); };
  for (const auto& [X, Y] : {std::pair{0, 0}, {N - 1, 0}, {0, N - 1}, {N - 1, N - 1}})
    EXPECT_EQ(Colour(X, Y), clSilver);
  int Blue = 0, Cyan = 0, BlueRight = 0, CyanLeft = N;
  for (int Y = 0; Y < N; ++Y)
    for (int X = 0; X < N; ++X) {
      const TColor C = Colour(X, Y);
      if (C == clBlue || C == clNavy) {
        EXPECT_LT(X, N / 3) << "blue at " << X << "," << Y;
        ++Blue;
        BlueRight = std::max(BlueRight, X);
      }
      if (C == clAqua || C == clTeal) {
        EXPECT_GT(X, 2 * N / 3) << "cyan at " << X << "," << Y;
        ++Cyan;
        CyanLeft = std::min(CyanLeft, X);
      }
    }
  EXPECT_GT(Blue, N * N / 10);
  EXPECT_GT(Cyan, N * N / 10);
  // Between the strips' frames: the arrow.
  std::vector<int> BlackPerColumn(N, 0);
  for (int X = BlueRight + 2; X < CyanLeft - 1; ++X)
    for (int Y = 0; Y < N; ++Y) BlackPerColumn[X] += Colour(X, Y) == clBlack;
  const auto First = std::find_if(BlackPerColumn.begin(), BlackPerColumn.end(),
                                  [](int Count) { return Count > 0; });
  const auto Widest = std::max_element(BlackPerColumn.begin(), BlackPerColumn.end());
  ASSERT_NE(First, BlackPerColumn.end()) << "no arrow";
  EXPECT_GT(Widest - First, 2) << "the arrow points to the right";
  EXPECT_GE(*Widest, N / 4);
}

TEST(AboutBox, TheEmblemShowsTheStripsAndTheArrowAtBothSizes) {
  TQDAboutBox Box(nullptr);
  const TBitmap& Large = Box.ProgramIcon->Picture().Bitmap();
  EXPECT_EQ(Large.Width(), 32);
  {
    SCOPED_TRACE("32 x 32 in the layout");
    ExpectEmblem(Large);
  }
  // The stored bitmap is the 16-colour file of 630 bytes.
  EXPECT_EQ(Large.SaveToData().size(), 630u);

  const std::string Small = SourceFile("dialogs/icons/emblem24.bmp");
  EXPECT_EQ(Small.size(), 14u + 392u);
  EXPECT_EQ(static_cast<int>(Small[14 + 14]), 4) << "bits per pixel";
  TBitmap B;
  B.LoadFromData(Small);
  EXPECT_EQ(B.Width(), 24);
  SCOPED_TRACE("24 x 24 palette bitmap");
  ExpectEmblem(B);
}

TEST(AboutBox, OKClosesItByEnterOrByAClick) {
  for (const A& Answer : {A::Enter(), A::Press("OK")}) {
    TQDAboutBox Box(nullptr);
    int Clicks = 0;
    const TNotifyEvent Handler = Box.BitBtn1->OnClick();
    Box.BitBtn1->SetOnClick([&](TObject* Sender) {
      ++Clicks;
      Handler(Sender);
    });
    TScriptedWidgetSet Script;
    Script.Queue(Answer);
    // Button1Click closes the box after the button gave its result.
    EXPECT_EQ(Box.ShowModal(Script), mrCancel);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(Script.Shown().at(0).Focused, "BitBtn1");
  }
}

}  // namespace
