// SPDX-License-Identifier: MIT
#include "rtl/ui/forms.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "rtl/core/form_writer.h"
#include "rtl/core/typinfo.h"
#include "rtl/ui/widgetset.h"

namespace {

using namespace rtl;

// A form class with its own layout resource, TTESTFORM.
class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* AOwner) : TForm(AOwner) { ReadLayout(HInstance()); }
  std::string ClassName() const override { return "TTestForm"; }
  static const TClassInfo* StaticClassInfo() {
    static const TClassInfo Info = TClassBuilder<TTestForm>("TTestForm", TForm::StaticClassInfo())
                                       .Field("Heading", &TTestForm::Heading)
                                       .Field("Picture", &TTestForm::Picture)
                                       .Field("First", &TTestForm::First)
                                       .Field("Second", &TTestForm::Second)
                                       .Field("Third", &TTestForm::Third)
                                       .Method("FormShow", &TTestForm::FormShow)
                                       .Method("ButtonClick", &TTestForm::ButtonClick)
                                       .Build();
    return &Info;
  }
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TLabel* Heading = nullptr;
  TImage* Picture = nullptr;
  TButton* First = nullptr;
  TButton* Second = nullptr;
  TButton* Third = nullptr;
  // What happened, in order: "show", then "click <name> (result N)".
  std::vector<std::string> Log;

  void FormShow(TObject*) { Log.push_back("show"); }
  void ButtonClick(TObject* Sender) {
    auto* B = static_cast<TButton*>(Sender);
    Log.push_back("click " + B->Name() + " (result " + std::to_string(ModalResult()) + ")");
  }
};

// Answers through a function given by the test.
class TFunctionWidgetSet : public TWidgetSet {
 public:
  explicit TFunctionWidgetSet(std::function<void(TCustomForm&)> Run) : FRun(std::move(Run)) {}
  void RunModal(TCustomForm& Form) override { FRun(Form); }

 private:
  std::function<void(TCustomForm&)> FRun;
};

TEST(Forms, ConstructionReadsTheLayoutAndBindsByName) {
  TTestForm Form(nullptr);
  EXPECT_EQ(Form.Name(), "TestForm");
  EXPECT_EQ(Form.Caption(), "Test form");
  EXPECT_EQ(Form.BorderStyle(), bsDialog);
  EXPECT_EQ(Form.BorderIcons(), BorderIcon(biSystemMenu) | BorderIcon(biHelp));
  EXPECT_EQ(Form.Position(), poScreenCenter);
  EXPECT_EQ(Form.ClientWidth(), 200);
  EXPECT_EQ(Form.ClientHeight(), 120);
  EXPECT_EQ(Form.Color(), clWindow);
  EXPECT_FALSE(Form.HorzScrollBar()->Visible());
  EXPECT_TRUE(Form.VertScrollBar()->Visible());
  EXPECT_EQ(Form.Font()->Height(), -13);
  EXPECT_TRUE(Form.OnShow());
  ASSERT_NE(Form.Heading, nullptr);
  ASSERT_NE(Form.Picture, nullptr);
  ASSERT_NE(Form.Third, nullptr);
  EXPECT_EQ(Form.Heading->Parent(), &Form);
  EXPECT_EQ(Form.Heading->Font()->Color(), clRed);
  EXPECT_EQ(Form.Heading->Font()->Style(), FontStyle(fsBold) | FontStyle(fsItalic));
  EXPECT_EQ(Form.Third->ModalResult(), mrAbort);
  EXPECT_EQ(Form.Third->OnClickName(), "ButtonClick");
  // Tab orders stored out of creation order still come out as stored.
  EXPECT_EQ(Form.TabList(), (std::vector<TWinControl*>{Form.First, Form.Second, Form.Third}));
  EXPECT_EQ(Form.Third->TabOrder(), 2);
}

TEST(Forms, WritingGivesBackTheLayout) {
  TTestForm Form(nullptr);
  EXPECT_EQ(WriteComponentText(Form), LoadResource(HInstance(), RT_RCDATA, "TTESTFORM"));
}

TEST(Forms, ALayoutThatIsMissingRaises) {
  struct TNoLayout : TForm {
    explicit TNoLayout() : TForm(nullptr) { ReadLayout(HInstance()); }
    std::string ClassName() const override { return "TNoLayout"; }
  };
  EXPECT_THROW(TNoLayout(), EResNotFound);
}

struct TModalCase {
  const char* Case;
  std::function<void(TTestForm&)> Act;  // one answer; repeated until the loop ends
  TModalResult Result;
  std::vector<std::string> Log;
};

class ShowModal : public ::testing::TestWithParam<TModalCase> {};

TEST_P(ShowModal, AnswersEndTheLoopWithTheirResult) {
  const TModalCase& C = GetParam();
  TTestForm Form(nullptr);
  int Rounds = 0;
  TFunctionWidgetSet Answers([&](TCustomForm& F) {
    EXPECT_EQ(&F, &Form);
    EXPECT_TRUE(Form.Modal());
    while (Form.ModalResult() == mrNone && ++Rounds < 5) C.Act(Form);
  });
  TWidgetSetScope Scope(Answers);
  EXPECT_EQ(Form.ShowModal(), C.Result);
  EXPECT_EQ(Form.Log, C.Log);
  EXPECT_FALSE(Form.Modal());
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowModal,
    ::testing::Values(
        TModalCase{"Press",
                   [](TTestForm& F) { F.Third->Click(); },
                   mrAbort,
                   {"show", "click Third (result 3)"}},
        TModalCase{"EnterPressesTheFirstInTabOrder",
                   [](TTestForm& F) { F.KeyEnter(); },
                   mrOk,
                   {"show", "click First (result 1)"}},
        TModalCase{"EnterPressesTheFocusedButton",
                   [](TTestForm& F) {
                     F.SelectNext();
                     F.KeyEnter();
                   },
                   mrCancel,
                   {"show", "click Second (result 2)"}},
        TModalCase{"EnterWithoutFocusedButtonPressesDefault",
                   [](TTestForm& F) {
                     F.SetActiveControl(nullptr);
                     F.KeyEnter();
                   },
                   mrOk,
                   {"show", "click First (result 1)"}},
        TModalCase{"EscapePressesCancel",
                   [](TTestForm& F) { F.KeyEscape(); },
                   mrCancel,
                   {"show", "click Second (result 2)"}},
        TModalCase{"CloseBoxPressesNothing", [](TTestForm& F) { F.Close(); }, mrCancel, {"show"}},
        TModalCase{"AWidgetSetGivingUpCloses", [](TTestForm&) {}, mrCancel, {"show"}}),
    [](const auto& Info) { return std::string(Info.param.Case); });

TEST(Forms, AHandlerCanKeepTheFormOpen) {
  TTestForm Form(nullptr);
  int Clicks = 0;
  Form.First->SetOnClick([&](TObject*) {
    if (++Clicks == 1) Form.SetModalResult(mrNone);
  });
  TFunctionWidgetSet Answers([&](TCustomForm& F) {
    while (F.ModalResult() == mrNone) F.KeyEnter();
  });
  EXPECT_EQ(Form.ShowModal(Answers), mrOk);
  EXPECT_EQ(Clicks, 2);
}

TEST(Forms, EscapeWithoutCancelButtonDoesNothing) {
  TTestForm Form(nullptr);
  Form.Second->SetCancel(false);
  TFunctionWidgetSet Answers([&](TCustomForm& F) {
    F.KeyEscape();
    EXPECT_EQ(F.ModalResult(), mrNone);
    F.Close();
  });
  EXPECT_EQ(Form.ShowModal(Answers), mrCancel);
}

TEST(Forms, ShowModalTwiceAtOnceRaises) {
  TTestForm Form(nullptr);
  TFunctionWidgetSet Answers([&](TCustomForm& F) {
    EXPECT_THROW(F.ShowModal(), EInvalidOperation);
    F.Close();
  });
  TWidgetSetScope Scope(Answers);
  EXPECT_EQ(Form.ShowModal(), mrCancel);
  EXPECT_EQ(Form.ShowModal(), mrCancel);  // and it can be shown again afterwards
}

TEST(Forms, FocusSkipsWhatCannotTakeIt) {
  TTestForm Form(nullptr);
  Form.First->SetVisible(false);
  Form.Second->SetEnabled(false);
  EXPECT_EQ(Form.FocusOrder(), (std::vector<TWinControl*>{Form.Third}));
  Form.Second->SetEnabled(true);
  Form.SetActiveControl(Form.Third);
  Form.SelectNext();
  EXPECT_EQ(Form.ActiveControl(), Form.Second);  // wraps around
  Form.SelectNext(false);
  EXPECT_EQ(Form.ActiveControl(), Form.Third);
}

TEST(Forms, ChildrenFollowTheParentFontUntilGivenTheirOwn) {
  TForm Form(nullptr);
  auto* Follower = new TLabel(&Form);
  Follower->SetParent(&Form);
  auto* Own = new TLabel(&Form);
  Own->SetParent(&Form);
  Own->Font()->SetHeight(-20);
  EXPECT_FALSE(Own->ParentFont());
  Form.Font()->SetName("Sans");
  EXPECT_EQ(Follower->Font()->Name(), "Sans");
  EXPECT_TRUE(Follower->ParentFont());
  EXPECT_EQ(Own->Font()->Name(), "MS Sans Serif");
  Own->SetParentFont(true);
  EXPECT_EQ(Own->Font()->Height(), Form.Font()->Height());
}

TEST(Forms, DrawingOnAnEmptyImageGivesItABitmapOfItsSize) {
  TTestForm Form(nullptr);
  Form.Picture->Canvas().SetPixel(1, 1, clRed);
  auto* B = dynamic_cast<TBitmap*>(Form.Picture->Picture().Graphic());
  ASSERT_NE(B, nullptr);
  EXPECT_EQ(B->Width(), 16);
  EXPECT_EQ(B->Height(), 8);
  EXPECT_EQ(B->Canvas().Pixel(1, 1), clRed);
  Form.Picture->Picture().SetGraphic(std::make_unique<TIcon>());
  EXPECT_THROW(Form.Picture->Canvas(), EInvalidOperation);
}

TEST(Forms, ControlsLeaveTheirParentWhenFreed) {
  TForm Form(nullptr);
  auto* Button = new TButton(&Form);
  Button->SetParent(&Form);
  Form.SetActiveControl(Button);
  delete Button;
  EXPECT_EQ(Form.ControlCount(), 0);
  EXPECT_TRUE(Form.TabList().empty());
  EXPECT_EQ(Form.ActiveControl(), nullptr);
  EXPECT_EQ(Form.ComponentCount(), 0);
}

}  // namespace
