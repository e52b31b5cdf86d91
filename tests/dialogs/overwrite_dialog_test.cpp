// SPDX-License-Identifier: MIT
#include "dialogs/overwrite_dialog.h"

#include <gtest/gtest.h>

#include <sstream>

#include "rtl/core/form_writer.h"
#include "widgetsets/console/console_widgetset.h"
#include "widgetsets/scripted/scripted_widgetset.h"

namespace {

using namespace rtl;
using quindle::TOverwriteDialog;
using A = TScriptedAnswer;

struct TLayoutRow {
  const char* Name;
  const char* Kind;
  int Left, Top, Width, Height;
  const char* Caption;
  bool Bold;
};

// The sixteen controls in creation order.
const TLayoutRow Layout[] = {
    {"MainImage1", "TImage", 12, 8, 32, 32, "", false},
    {"MainText1", "TLabel", 52, 16, 257, 16, "This directory already contains a file called ",
     false},
    {"SrcFNLabel1", "TLabel", 96, 36, 123, 16, "'TargetFilename'.", true},
    {"MainText2", "TLabel", 52, 60, 240, 16, "Would you like to replace the existing file", false},
    {"TgtFileSizeLabel", "TLabel", 96, 96, 43, 16, "0 bytes", false},
    {"TgtModifiedLabel", "TLabel", 96, 112, 170, 16, "modified on Day, Date, Time", false},
    {"MainText3", "TLabel", 52, 136, 78, 16, "with this one?", false},
    {"SrcFileSizeLabel", "TLabel", 96, 172, 43, 16, "0 bytes", false},
    {"SrcModifiedLabel", "TLabel", 96, 188, 170, 16, "modified on Day, Date, Time", false},
    {"SrcFNLabel2", "TLabel", 96, 156, 99, 16, "SourceFilename", false},
    {"TgtFNLabel1", "TLabel", 96, 80, 96, 16, "TargetFilename", false},
    {"TgtImage1", "TImage", 52, 80, 32, 32, "", false},
    {"SrcImage1", "TImage", 52, 156, 32, 32, "", false},
    {"YesButton", "TButton", 208, 216, 75, 23, "Yes", false},
    {"No1Button", "TButton", 288, 216, 75, 23, "No", false},
    {"CancelButton", "TButton", 128, 216, 75, 23, "Cancel", false},
};

TEST(OverwriteDialog, LaysItselfOutFromItsLayout) {
  TOverwriteDialog D(nullptr);
  EXPECT_EQ(D.Name(), "OverwriteDialog");
  EXPECT_EQ(D.Caption(), "Confirm File Replace");
  EXPECT_EQ(D.BorderStyle(), bsDialog);
  EXPECT_EQ(D.BorderIcons(), BorderIcon(biSystemMenu));
  EXPECT_TRUE(D.HasCloseBox());
  EXPECT_EQ(D.Position(), poScreenCenter);
  EXPECT_EQ(D.Left(), 189);
  EXPECT_EQ(D.Top(), 135);
  EXPECT_EQ(D.ClientWidth(), 371);
  EXPECT_EQ(D.ClientHeight(), 246);
  EXPECT_FALSE(D.HorzScrollBar()->Visible());
  EXPECT_FALSE(D.VertScrollBar()->Visible());
  EXPECT_EQ(D.Color(), clBtnFace);
  EXPECT_EQ(D.PixelsPerInch(), 96);
  EXPECT_EQ(D.TextHeight(), 16);
  EXPECT_EQ(D.Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(D.Font()->Height(), -13);
  EXPECT_EQ(D.Font()->Color(), clWindowText);
  EXPECT_EQ(D.OnShowName(), "FormShow");

  ASSERT_EQ(D.ControlCount(), 16);
  ASSERT_EQ(D.ComponentCount(), 16);
  for (int I = 0; I < 16; ++I) {
    const TLayoutRow& R = Layout[I];
    TControl* C = D.Controls()[I];
    SCOPED_TRACE(R.Name);
    EXPECT_EQ(C->Name(), R.Name);
    EXPECT_EQ(C->ClassName(), R.Kind);
    EXPECT_EQ(C->Parent(), &D);
    EXPECT_EQ((std::vector<int>{C->Left(), C->Top(), C->Width(), C->Height()}),
              (std::vector<int>{R.Left, R.Top, R.Width, R.Height}));
    EXPECT_EQ(C->Caption(), R.Caption);
    if (auto* L = dynamic_cast<TLabel*>(C)) {
      EXPECT_TRUE(L->Transparent());
      EXPECT_FALSE(L->ParentFont());
      EXPECT_EQ(L->Font()->Name(), "MS Sans Serif");
      EXPECT_EQ(L->Font()->Height(), -13);
      EXPECT_EQ(L->Font()->Color(), clWindowText);
      EXPECT_EQ(L->Font()->Style(), R.Bold ? FontStyle(fsBold) : 0);
    }
  }
  // The published fields name the same controls.
  EXPECT_EQ(D.MainImage1, D.Controls()[0]);
  EXPECT_EQ(D.TgtFNLabel1, D.Controls()[10]);
  EXPECT_EQ(D.CancelButton, D.Controls()[15]);

  const std::tuple<TButton*, TModalResult, int, bool, const char*> Buttons[] = {
      {D.YesButton, mrYes, 0, false, "YesButtonClick"},
      {D.No1Button, mrNo, 1, false, "NoButtonClick"},
      {D.CancelButton, mrCancel, 2, true, "CancelButtonClick"}};
  for (const auto& [B, Result, Tab, Cancel, Handler] : Buttons) {
    EXPECT_EQ(B->ModalResult(), Result);
    EXPECT_EQ(B->TabOrder(), Tab);
    EXPECT_EQ(B->Cancel(), Cancel);
    EXPECT_FALSE(B->Default());
    EXPECT_EQ(B->OnClickName(), Handler);
  }
  EXPECT_EQ(D.FocusOrder().front(), D.YesButton);
}

// The module that holds the dialog's code and resources: this program when
// the dialogs are a static library, the dialogs' own when they are shared.
HINSTANCE DialogModule() {
  return FindHInstance(TOverwriteDialog::StaticClassInfo());
}

TEST(OverwriteDialog, WritingGivesBackItsLayout) {
  TOverwriteDialog D(nullptr);
  EXPECT_EQ(WriteComponentText(D), LoadResource(DialogModule(), RT_RCDATA, "TOVERWRITEDIALOG"));
}

TEST(OverwriteDialog, TheIconsAreTheAdvertisedKind) {
  for (const char* Name : {"ZZZZZZ_ICO", "ZZZZZY_ICO"}) {
    const std::string_view Data = LoadResource(DialogModule(), RT_GROUP_ICON, Name);
    EXPECT_EQ(Data.size(), 6u + 16u + 744u) << Name;
    HICON Icon = LoadIconA(DialogModule(), Name);
    ASSERT_TRUE(Icon) << Name;
    EXPECT_EQ(Icon->Width, 32);
    EXPECT_EQ(Icon->Height, 32);
    EXPECT_EQ(Icon->BitCount, 4);
    EXPECT_EQ(Icon->Palette.size(), 16u);
  }
}

// The image's pixels are the icon's where it is opaque and the form's colour
// where it is transparent.
void ExpectPainted(TImage* Image, const char* IconName, TColor Ground) {
  SCOPED_TRACE(Image->Name());
  auto* B = dynamic_cast<TBitmap*>(Image->Picture().Graphic());
  ASSERT_NE(B, nullptr);
  ASSERT_EQ(B->Width(), 32);
  ASSERT_EQ(B->Height(), 32);
  HICON Icon = LoadIconA(DialogModule(), IconName);
  ASSERT_TRUE(Icon);
  int Transparent = 0;
  for (int Y = 0; Y < 32; ++Y)
    for (int X = 0; X < 32; ++X) {
      const TRGBA I = Icon->Pixel(X, Y);
      Transparent += I.A == 0;
      const TRGBA Expected = I.A == 0 ? ColorToRGBA(Ground) : I;
      ASSERT_EQ(B->Pixel(X, Y), Expected) << X << "," << Y;
    }
  EXPECT_GT(Transparent, 0);
  EXPECT_LT(Transparent, 32 * 32);
}

TEST(OverwriteDialog, FormShowPaintsTheIconsOnTheFormColourEveryTime) {
  TOverwriteDialog D(nullptr);
  TScriptedWidgetSet Script;
  Script.Queue({A::Press("No"), A::Press("No")});
  D.ShowModal(Script);
  ExpectPainted(D.MainImage1, "ZZZZZZ_ICO", clBtnFace);
  ExpectPainted(D.TgtImage1, "ZZZZZY_ICO", clBtnFace);
  ExpectPainted(D.SrcImage1, "ZZZZZY_ICO", clBtnFace);
  // Nothing drawn in between survives the next showing.
  D.SrcImage1->Canvas().Brush.Color = clRed;
  D.SrcImage1->Canvas().FillRect(Rect(0, 0, 32, 32));
  D.SetColor(clTeal);
  D.ShowModal(Script);
  ExpectPainted(D.SrcImage1, "ZZZZZY_ICO", clTeal);
  ExpectPainted(D.MainImage1, "ZZZZZZ_ICO", clTeal);
}

struct TAnswerCase {
  const char* Case;
  A Answer;
  TModalResult Result;
  quindle::TOverwriteType Answered;
};

class OverwriteAnswers : public ::testing::TestWithParam<TAnswerCase> {};

TEST_P(OverwriteAnswers, SetAnswerAndModalResult) {
  const TAnswerCase& C = GetParam();
  TComponent Owner(nullptr);
  auto* D = new TOverwriteDialog(&Owner);  // freed by its owner
  D->Answer = quindle::owCancel;           // FormShow starts every showing at owNo
  TScriptedWidgetSet Script;
  Script.Queue(C.Answer);
  TWidgetSetScope Scope(Script);
  EXPECT_EQ(D->ShowModal(), C.Result);
  EXPECT_EQ(D->Answer, C.Answered);
  ASSERT_EQ(Script.Shown().size(), 1u);
  EXPECT_EQ(Script.Shown()[0].Buttons, (std::vector<std::string>{"Cancel", "Yes", "No"}));
  EXPECT_EQ(Script.Shown()[0].Focused, "YesButton");
}

INSTANTIATE_TEST_SUITE_P(
    Table, OverwriteAnswers,
    ::testing::Values(TAnswerCase{"Yes", A::Press("Yes"), mrYes, quindle::owYes},
                      TAnswerCase{"No", A::Press("No1Button"), mrNo, quindle::owNo},
                      TAnswerCase{"Cancel", A::Press("Cancel"), mrCancel, quindle::owCancel},
                      TAnswerCase{"Escape", A::Escape(), mrCancel, quindle::owCancel},
                      TAnswerCase{"Enter", A::Enter(), mrYes, quindle::owYes},
                      TAnswerCase{"CloseBox", A::CloseBox(), mrCancel, quindle::owNo}),
    [](const auto& Info) { return std::string(Info.param.Case); });

TEST(OverwriteDialog, ShowsInTheConsole) {
  TOverwriteDialog D(nullptr);
  D.SrcFNLabel1->SetCaption("Report.txt");
  D.TgtFNLabel1->SetCaption("Report.txt");
  D.SrcFNLabel2->SetCaption("Report.txt");
  D.TgtFileSizeLabel->SetCaption("999 bytes");
  D.SrcFileSizeLabel->SetCaption("1234 bytes");
  std::istringstream In("c\n");
  std::ostringstream Out;
  TConsoleWidgetSet Console(In, Out);
  EXPECT_EQ(D.ShowModal(Console), mrCancel);
  EXPECT_EQ(D.Answer, quindle::owCancel);
  EXPECT_EQ(Out.str(),
            "\nConfirm File Replace\n====================\n"
            "This directory already contains a file called \n"
            "     Report.txt\n"
            "Would you like to replace the existing file\n"
            "     Report.txt\n"
            "     999 bytes\n"
            "     modified on Day, Date, Time\n"
            "with this one?\n"
            "     Report.txt\n"
            "     1234 bytes\n"
            "     modified on Day, Date, Time\n"
            "\n"
            "[C]ancel  <[Y]es>  [N]o\n"
            "Answer (Enter = Yes, Esc = Cancel): ");
}

TEST(OverwriteDialog, TypeInformation) {
  EXPECT_STREQ(quindle::TOverwriteTypeName, "TOverwriteType");
  EXPECT_EQ(sizeof(quindle::TOverwriteType), 1u);
  EXPECT_EQ(quindle::GetOverwriteTypeName(quindle::owYes), "owYes");
  EXPECT_EQ(quindle::GetOverwriteTypeName(quindle::owNo), "owNo");
  EXPECT_EQ(quindle::GetOverwriteTypeName(quindle::owCancel), "owCancel");
  EXPECT_EQ(quindle::GetOverwriteTypeName(static_cast<quindle::TOverwriteType>(3)), "");
}

}  // namespace
