// SPDX-License-Identifier: MIT
// Panels and their alignment, bitmap buttons, and the keys widgetsets give
// buttons.
#include <gtest/gtest.h>

#include "rtl/core/form_parser.h"
#include "rtl/core/form_reader.h"
#include "rtl/core/form_writer.h"
#include "rtl/ui/forms.h"
#include "rtl/ui/widgetset.h"

namespace {

using namespace rtl;

std::vector<int> Bounds(const TControl* C) {
  return {C->Left(), C->Top(), C->Width(), C->Height()};
}

TEST(Panels, AlignmentDocksInOrderAndFollowsResizing) {
  TForm Form(nullptr);
  Form.SetClientWidth(300);
  Form.SetClientHeight(200);
  auto Add = [&](TWinControl* Parent, TAlign Align, int W, int H) {
    auto* P = new TPanel(&Form);
    P->SetParent(Parent);
    P->SetBounds(7, 7, W, H);
    P->SetAlign(Align);
    return P;
  };
  // Put on the form in an order unlike the docking order.
  TPanel* Fill = Add(&Form, alClient, 10, 10);
  TPanel* Bottom = Add(&Form, alBottom, 10, 40);
  TPanel* Left = Add(&Form, alLeft, 50, 10);
  TPanel* Top = Add(&Form, alTop, 10, 30);
  TPanel* Right = Add(&Form, alRight, 20, 10);
  TPanel* Free = Add(&Form, alNone, 11, 12);
  // Inside a panel, the bevels and the border are taken off first: 2 + 2 + 1.
  Fill->SetBevelOuter(bvRaised);
  Fill->SetBevelInner(bvLowered);
  Fill->SetBevelWidth(2);
  Fill->SetBorderWidth(1);
  TPanel* Inner = Add(Fill, alClient, 1, 1);

  const std::pair<TControl*, std::vector<int>> Want[] = {
      {Top, {0, 0, 300, 30}},      {Bottom, {0, 160, 300, 40}}, {Left, {0, 30, 50, 130}},
      {Right, {280, 30, 20, 130}}, {Fill, {50, 30, 230, 130}},  {Free, {7, 7, 11, 12}},
      {Inner, {5, 5, 220, 120}},
  };
  for (const auto& [C, B] : Want) EXPECT_EQ(Bounds(C), B) << C->Name();

  Form.SetClientHeight(100);
  EXPECT_EQ(Bounds(Bottom), (std::vector<int>{0, 60, 300, 40}));
  EXPECT_EQ(Bounds(Inner), (std::vector<int>{5, 5, 220, 20}));
  Bottom->SetVisible(false);
  Bottom->SetAlign(alNone);
  EXPECT_EQ(Bounds(Fill), (std::vector<int>{50, 30, 230, 70}));
}

TEST(BitBtn, EachKindBringsItsCaptionResultRoleAndGlyph) {
  struct TRow {
    TBitBtnKind Kind;
    const char* Caption;
    TModalResult Result;
    bool Default, Cancel;
  };
  const TRow Rows[] = {
      {bkOK, "OK", mrOk, true, false},
      {bkCancel, "Cancel", mrCancel, false, true},
      {bkHelp, "&Help", mrNone, false, false},
      {bkYes, "&Yes", mrYes, true, false},
      {bkNo, "&No", mrNo, false, true},
      {bkClose, "&Close", mrNone, false, false},
      {bkAbort, "Abort", mrAbort, false, false},
      {bkRetry, "&Retry", mrRetry, false, false},
      {bkIgnore, "&Ignore", mrIgnore, false, false},
      {bkAll, "&All", mrAll, false, false},
  };
  for (const TRow& R : Rows) {
    SCOPED_TRACE(R.Caption);
    TForm Form(nullptr);
    auto* B = new TBitBtn(&Form);
    B->SetParent(&Form);
    B->SetKind(R.Kind);
    EXPECT_EQ(B->Caption(), R.Caption);
    EXPECT_EQ(B->ModalResult(), R.Result);
    EXPECT_EQ(B->Default(), R.Default);
    EXPECT_EQ(B->Cancel(), R.Cancel);
    ASSERT_EQ(B->Glyph()->Width(), 16);
    // The bottom-left pixel marks the ground, and the picture is not all ground.
    const TRGBA Ground = B->Glyph()->Pixel(0, 15);
    const auto& Pixels = B->Glyph()->PixelData();
    EXPECT_GT(std::count_if(Pixels.begin(), Pixels.end(), [&](TRGBA P) { return P != Ground; }),
              10);
  }
  // Back to custom keeps what the kind gave; a custom glyph survives nothing.
  TBitBtn B(nullptr);
  B.SetKind(bkYes);
  B.SetKind(bkCustom);
  EXPECT_EQ(B.Caption(), "&Yes");
  TBitmap Own;
  Own.SetSize(4, 4);
  B.SetGlyph(&Own);
  B.SetKind(bkNo);
  EXPECT_EQ(B.Glyph()->Width(), 16);
}

TEST(BitBtn, OKRunsItsHandlerAndEndsTheLoopAndCloseClosesTheForm) {
  for (const auto& [Kind, Result] : {std::pair{bkOK, mrOk}, std::pair{bkClose, mrCancel}}) {
    TForm Form(nullptr);
    auto* B = new TBitBtn(&Form);
    B->SetParent(&Form);
    B->SetKind(Kind);
    int Clicks = 0;
    B->SetOnClick([&](TObject*) { ++Clicks; });
    struct TPress : TWidgetSet {
      TButton* Button;
      explicit TPress(TButton* B) : Button(B) {}
      void RunModal(TCustomForm&) override { Button->Click(); }
    } Press(B);
    EXPECT_EQ(Form.ShowModal(Press), Result);
    EXPECT_EQ(Clicks, 1);
  }
}

const char* const PanelLayout = R"(object Box: TForm
  Left = 0
  Top = 0
  Caption = 'Box'
  ClientHeight = 100
  ClientWidth = 200
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  PixelsPerInch = 96
  TextHeight = 13
  object Body: TPanel
    Left = 0
    Top = 0
    Width = 200
    Height = 60
    Align = alClient
    BevelInner = bvLowered
    BevelWidth = 2
    TabOrder = 0
    object Logo: TImage
      Left = 4
      Top = 4
      Width = 2
      Height = 1
      Picture.Data = {
        07544269746D61703E000000424D3E0000000000000036000000280000000200
        0000010000000100180000000000080000000000000000000000000000000000
        0000563412BADCFE0000}
      Stretch = True
    end
  end
  object Foot: TPanel
    Left = 0
    Top = 60
    Width = 200
    Height = 40
    Align = alBottom
    TabOrder = 1
    object Ok: TBitBtn
      Left = 4
      Top = 4
      Width = 73
      Height = 29
      TabOrder = 0
      Kind = bkOK
    end
    object Go: TBitBtn
      Left = 80
      Top = 4
      Width = 73
      Height = 29
      Caption = '&Go'
      Default = False
      ModalResult = 6
      TabOrder = 1
      Kind = bkOK
    end
  end
end
)";

TEST(Panels, ALayoutWithPanelsBitmapButtonsAndAPictureReadsAndWritesBack) {
  RegisterStandardControls();
  TForm Form(nullptr);
  ReadComponentText(Form, PanelLayout);
  auto* Body = dynamic_cast<TPanel*>(Form.FindComponent("Body"));
  auto* Logo = dynamic_cast<TImage*>(Form.FindComponent("Logo"));
  auto* Ok = dynamic_cast<TBitBtn*>(Form.FindComponent("Ok"));
  auto* Go = dynamic_cast<TBitBtn*>(Form.FindComponent("Go"));
  ASSERT_TRUE(Body && Logo && Ok && Go);
  EXPECT_EQ(Body->BevelOuter(), bvRaised);
  EXPECT_EQ(Body->BevelInner(), bvLowered);
  EXPECT_EQ(Body->ClientRect(), (TRect{4, 4, 196, 56}));
  EXPECT_TRUE(Logo->Stretch());
  ASSERT_EQ(Logo->Picture().Width(), 2);
  EXPECT_EQ(Logo->Picture().Bitmap().Pixel(0, 0), (TRGBA{0x12, 0x34, 0x56, 255}));
  EXPECT_EQ(Logo->Picture().Bitmap().Pixel(1, 0), (TRGBA{0xFE, 0xDC, 0xBA, 255}));
  EXPECT_EQ(Ok->Caption(), "OK");
  EXPECT_EQ(Ok->ModalResult(), mrOk);
  EXPECT_TRUE(Ok->Default());
  // What the layout gave before Kind stays.
  EXPECT_EQ(Go->Caption(), "&Go");
  EXPECT_EQ(Go->ModalResult(), mrYes);
  EXPECT_EQ(Form.FocusOrder(), (std::vector<TWinControl*>{Ok, Go}));
  EXPECT_EQ(WriteComponentText(Form), PanelLayout);
}

TEST(Panels, PictureDataThatIsNoPictureIsReportedAtItsLine) {
  RegisterStandardControls();
  TForm Form(nullptr);
  try {
    ReadComponentText(
        Form, "object F: TForm\n  object I: TImage\n    Picture.Data = {0454466F6F}\n  end\nend\n");
    FAIL() << "no error";
  } catch (const EParserError& E) {
    EXPECT_EQ(E.Line(), 3);
    EXPECT_NE(std::string(E.what()).find("Picture.Data"), std::string::npos) << E.what();
  }
  EXPECT_EQ(Form.ComponentCount(), 0);
}

TEST(Widgetsets, ButtonKeysAvoidEachOtherAndMarkTheirCaptions) {
  TForm Form(nullptr);
  std::vector<TButton*> Buttons;
  for (const char* Caption :
       {"Yes", "&No", "Not now", "N&o to all", "&&", "Save && quit", "&Yes again"}) {
    auto* B = new TButton(&Form);
    B->SetCaption(Caption);
    Buttons.push_back(B);
  }
  EXPECT_EQ(ButtonKeys(Buttons), (std::vector<char>{'y', 'n', 'o', 't', 0, 's', 'e'}));
  const std::tuple<const char*, char, const char*> Marks[] = {
      {"Yes", 'y', "&Yes"},
      {"&No", 'n', "&No"},
      {"Not now", 'o', "N&ot now"},
      {"Save && quit", 'q', "Save && &quit"},
      {"&&", 0, "&&"},
      {"Cancel", 0, "Cancel"},
  };
  for (const auto& [Caption, Key, Shown] : Marks)
    EXPECT_EQ(CaptionWithAccelerator(Caption, Key), Shown);
}

}  // namespace
