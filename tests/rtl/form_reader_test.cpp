// SPDX-License-Identifier: MIT
// Reading form text into components and writing components back, through
// property tables declared the way the controls and forms declare theirs.
#include "rtl/core/form_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rtl/core/form_writer.h"
#include "rtl/core/typinfo.h"

namespace {

using rtl::TClassBuilder;
using rtl::TClassInfo;
using rtl::TComponent;
using rtl::TMethodHandler;
using rtl::TObject;

enum TAlign : uint8_t { alNone, alTop, alClient };
constexpr int64_t fsBold = 1, fsItalic = 2;

class TTestFont : public rtl::TPersistent {
 public:
  std::string ClassName() const override { return "TTestFont"; }
  const TClassInfo* ClassInfo() const override {
    using T = TTestFont;
    static const TClassInfo Info =
        TClassBuilder<T>("TTestFont", nullptr)
            .String(
                "Name", [](const T& F) { return F.Name; },
                [](T& F, const std::string& V) { F.Name = V; })
            .Integer(
                "Height", [](const T& F) { return F.Height; },
                [](T& F, int32_t V) { F.Height = V; })
            .Integer(
                "Color", [](const T& F) { return F.Color; }, [](T& F, int32_t V) { F.Color = V; },
                int64_t{-2147483640})
            .Constants({{"clWindowText", -2147483640}, {"clRed", 255}})
            .Set(
                "Style", {"fsBold", "fsItalic", "fsUnderline"}, [](const T& F) { return F.Style; },
                [](T& F, int64_t V) { F.Style = V; }, 0)
            .Build();
    return &Info;
  }
  std::string Name = "MS Sans Serif";
  int32_t Height = -13;
  int32_t Color = -2147483640;
  int64_t Style = 0;
};

int LiveControls = 0;

// A control: parented to another component, with a font, an event and a
// reference to a buddy control.
class TTestControl : public TComponent {
 public:
  explicit TTestControl(TComponent* Owner) : TComponent(Owner) { ++LiveControls; }
  ~TTestControl() override {
    for (TTestControl* C : FControls) C->FParent = nullptr;
    SetParentComponent(nullptr);
    --LiveControls;
  }
  std::string ClassName() const override { return "TTestControl"; }
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }

  TComponent* GetParentComponent() const override { return FParent; }
  void SetParentComponent(TComponent* Value) override {
    if (FParent) std::erase(FParent->FControls, this);
    FParent = dynamic_cast<TTestControl*>(Value);
    if (FParent) FParent->FControls.push_back(this);
  }
  void GetChildren(const std::function<void(TComponent*)>& Proc,
                   const TComponent* Root) const override {
    TComponent::GetChildren(Proc, Root);
    for (TTestControl* C : FControls) Proc(C);
  }
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
  }

  int32_t Left = 0;
  std::string Caption;
  bool Visible = true;
  TAlign Align = alNone;
  double Ratio = 0;
  std::string Data;
  TTestFont Font;
  rtl::TStringList Lines;
  TTestControl* Buddy = nullptr;
  std::string OnClickName;
  TMethodHandler OnClick;
  int LoadedCalls = 0;
  TTestControl* FParent = nullptr;
  std::vector<TTestControl*> FControls;
};

const TClassInfo* TTestControl::StaticClassInfo() {
  using T = TTestControl;
  static const TClassInfo Info =
      TClassBuilder<T>("TTestControl", nullptr)
          .Factory()
          .Integer(
              "Left", [](const T& C) { return C.Left; }, [](T& C, int32_t V) { C.Left = V; })
          .String(
              "Caption", [](const T& C) { return C.Caption; },
              [](T& C, const std::string& V) { C.Caption = V; })
          .Boolean(
              "Visible", [](const T& C) { return C.Visible; }, [](T& C, bool V) { C.Visible = V; },
              true)
          .Enumeration(
              "Align", {"alNone", "alTop", "alClient"}, [](const T& C) { return C.Align; },
              [](T& C, TAlign V) { C.Align = V; }, alNone)
          .Float(
              "Ratio", [](const T& C) { return C.Ratio; }, [](T& C, double V) { C.Ratio = V; })
          .Binary(
              "Data", [](const T& C) { return C.Data; },
              [](T& C, const std::string& V) { C.Data = V; })
          .Object("Font", [](const T& C) { return const_cast<TTestFont*>(&C.Font); })
          .Strings("Lines", [](const T& C) { return const_cast<rtl::TStringList*>(&C.Lines); })
          .Component<TTestControl>(
              "Buddy", [](const T& C) { return C.Buddy; },
              [](T& C, TTestControl* V) { C.Buddy = V; })
          .Event(
              "OnClick", [](const T& C) { return C.OnClickName; },
              [](T& C, const std::string& N, TMethodHandler H) {
                C.OnClickName = N;
                C.OnClick = std::move(H);
              })
          .ReadOnlyInteger("Count", [](const T& C) { return static_cast<int>(C.FControls.size()); })
          .Build();
  return &Info;
}

class TTestTimer : public TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TTestTimer"; }
  const TClassInfo* ClassInfo() const override {
    static const TClassInfo Info =
        TClassBuilder<TTestTimer>("TTestTimer", nullptr)
            .Factory()
            .Integer(
                "Interval", [](const TTestTimer& T) { return T.Interval; },
                [](TTestTimer& T, int32_t V) { T.Interval = V; }, 1000)
            .Build();
    return &Info;
  }
  int32_t Interval = 1000;
};

class TTestForm : public TTestControl {
 public:
  using TTestControl::TTestControl;
  std::string ClassName() const override { return "TTestForm"; }
  const TClassInfo* ClassInfo() const override {
    using T = TTestForm;
    static const TClassInfo Info = TClassBuilder<T>("TTestForm", TTestControl::StaticClassInfo())
                                       .Field("YesButton", &T::YesButton)
                                       .Field("Timer1", &T::Timer1)
                                       .Method("YesClick", &T::YesClick)
                                       .Build();
    return &Info;
  }
  void YesClick(TObject* Sender) { Clicks.push_back(Sender); }

  TTestControl* YesButton = nullptr;
  TTestTimer* Timer1 = nullptr;
  std::vector<TObject*> Clicks;
};

class FormReader : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    rtl::RegisterClass(TTestControl::StaticClassInfo());
    rtl::RegisterClass(TTestTimer(nullptr).ClassInfo());
  }
};

const char* const Layout =
    "object Dialog: TTestForm\n"
    "  Caption = 'Confirm'\n"
    "  Font.Name = 'System'\n"
    "  Font.Color = clRed\n"
    "  Font.Style = [fsBold, fsItalic]\n"
    "  object Timer1: TTestTimer\n"
    "    Interval = 250\n"
    "  end\n"
    "  object Panel: TTestControl\n"
    "    Align = alClient\n"
    "    object YesButton: TTestControl\n"
    "      Left = 208\n"
    "      Caption = 'Yes'\n"
    "      Buddy = Label2\n"
    "      OnClick = YesClick\n"
    "    end\n"
    "  end\n"
    "  object Label2: TTestControl\n"
    "    Caption = 'Gr'#252#223'e '#13#10'\xE2\x82\xAC'\n"
    "    Visible = False\n"
    "    Ratio = 0.25\n"
    "    Data = {\n"
    "      00FF7F}\n"
    "    Lines.Strings = (\n"
    "      'one'\n"
    "      'it''s two')\n"
    "  end\n"
    "end\n";

TEST_F(FormReader, BuildsTheLayoutIntoTheRoot) {
  TTestForm Form(nullptr);
  rtl::ReadComponentText(Form, Layout);
  EXPECT_EQ(Form.Name(), "Dialog");
  EXPECT_EQ(Form.Caption, "Confirm");
  EXPECT_EQ(Form.Font.Name, "System");
  EXPECT_EQ(Form.Font.Color, 255);
  EXPECT_EQ(Form.Font.Style, fsBold | fsItalic);
  EXPECT_EQ(Form.ComponentCount(), 4);

  ASSERT_NE(Form.YesButton, nullptr);
  ASSERT_NE(Form.Timer1, nullptr);
  EXPECT_EQ(Form.Timer1->Interval, 250);
  auto* Panel = dynamic_cast<TTestControl*>(Form.FindComponent("Panel"));
  auto* Label2 = dynamic_cast<TTestControl*>(Form.FindComponent("Label2"));
  ASSERT_TRUE(Panel && Label2);
  EXPECT_EQ(Form.YesButton->Owner(), &Form);
  EXPECT_EQ(Form.YesButton->GetParentComponent(), Panel);
  EXPECT_EQ(Panel->GetParentComponent(), &Form);
  EXPECT_EQ(Panel->Align, alClient);
  EXPECT_EQ(Form.YesButton->Left, 208);
  EXPECT_EQ(Form.YesButton->Buddy, Label2);  // named before it existed

  ASSERT_TRUE(Form.YesButton->OnClick);
  Form.YesButton->OnClick(Form.YesButton);
  EXPECT_EQ(Form.Clicks, std::vector<TObject*>{Form.YesButton});

  EXPECT_EQ(Label2->Caption,
            "Gr\xC3\xBC\xC3\x9F"
            "e \r\n\xE2\x82\xAC");
  EXPECT_FALSE(Label2->Visible);
  EXPECT_DOUBLE_EQ(Label2->Ratio, 0.25);
  EXPECT_EQ(Label2->Data, std::string("\x00\xFF\x7F", 3));
  ASSERT_EQ(Label2->Lines.Count(), 2);
  EXPECT_EQ(Label2->Lines[1], "it's two");

  for (TTestControl* C : {static_cast<TTestControl*>(&Form), Panel, Label2, Form.YesButton}) {
    EXPECT_EQ(C->ComponentState() & (rtl::csLoading | rtl::csReading), 0u) << C->Name();
    EXPECT_EQ(C->LoadedCalls, 1) << C->Name();
  }
}

TEST_F(FormReader, WritesWhatItReadAndReadsItBackTheSame) {
  TTestForm Form(nullptr);
  rtl::ReadComponentText(Form, Layout);
  const std::string Written = rtl::WriteComponentText(Form);
  // Non-default values only, in published order, children nested.
  EXPECT_EQ(Written,
            "object Dialog: TTestForm\n"
            "  Left = 0\n"
            "  Caption = 'Confirm'\n"
            "  Font.Name = 'System'\n"
            "  Font.Height = -13\n"
            "  Font.Color = clRed\n"
            "  Font.Style = [fsBold, fsItalic]\n"
            "  object Timer1: TTestTimer\n"
            "    Interval = 250\n"
            "  end\n"
            "  object Panel: TTestControl\n"
            "    Left = 0\n"
            "    Align = alClient\n"
            "    Font.Name = 'MS Sans Serif'\n"
            "    Font.Height = -13\n"
            "    object YesButton: TTestControl\n"
            "      Left = 208\n"
            "      Caption = 'Yes'\n"
            "      Font.Name = 'MS Sans Serif'\n"
            "      Font.Height = -13\n"
            "      Buddy = Label2\n"
            "      OnClick = YesClick\n"
            "    end\n"
            "  end\n"
            "  object Label2: TTestControl\n"
            "    Left = 0\n"
            "    Caption = 'Gr\xC3\xBC\xC3\x9F"
            "e '#13#10'\xE2\x82\xAC'\n"
            "    Visible = False\n"
            "    Ratio = 0.25\n"
            "    Data = {\n"
            "      00FF7F}\n"
            "    Font.Name = 'MS Sans Serif'\n"
            "    Font.Height = -13\n"
            "    Lines.Strings = (\n"
            "      'one'\n"
            "      'it''s two')\n"
            "  end\n"
            "end\n");
  TTestForm Copy(nullptr);
  rtl::ReadComponentText(Copy, Written);
  EXPECT_EQ(rtl::WriteComponentText(Copy), Written);
}

TEST_F(FormReader, StringsKeepEveryByte) {
  std::string Bytes;
  for (int C = 1; C < 256; ++C) Bytes += static_cast<char>(C);
  Bytes += std::string("\0'' \xF0\x9F\x98\x80", 8);
  TTestControl Source(nullptr);
  Source.Caption = Bytes;
  Source.Data = Bytes;
  Source.Lines.Add(Bytes);
  Source.Lines.Add("");
  TTestControl Copy(nullptr);
  rtl::ReadComponentText(Copy, rtl::WriteComponentText(Source));
  EXPECT_EQ(Copy.Caption, Bytes);
  EXPECT_EQ(Copy.Data, Bytes);
  ASSERT_EQ(Copy.Lines.Count(), 2);
  EXPECT_EQ(Copy.Lines[0], Bytes);
  EXPECT_EQ(Copy.Lines[1], "");
}

struct ReadErrorCase {
  const char* Body;  // between the root's header and its `end`, from line 2 on
  int Line;
  const char* Fragment;
};

TEST_F(FormReader, BadContentNamesTheLineAndLeavesNothingBehind) {
  const ReadErrorCase Cases[] = {
      {"  object B: TNoSuchClass\n  end\n", 2, "Class TNoSuchClass not found"},
      {"  Colour = 1\n", 2, "Property Colour does not exist in TTestForm"},
      {"  Font.Weight = 1\n", 2, "Property Font.Weight does not exist"},
      {"  Left.X = 1\n", 2, "Property Left.X does not exist"},
      {"  Left = 'x'\n", 2, "Invalid value for property Left: expected an integer"},
      {"  Left = 4294967296\n", 2, "out of range"},
      {"  Ratio = 1e999\n", 2, "out of range"},
      {"  Visible = Maybe\n", 2, "expected True or False"},
      {"  Align = alBottom\n", 2, "expected one of alNone, alTop, alClient"},
      {"  Font.Style = [fsHuge]\n", 2, "expected a set of fsBold"},
      {"  Font.Color = clBlue\n", 2, "Invalid value for property Font.Color"},
      {"  Font = 1\n", 2, "Invalid value for property Font"},
      {"  Lines.Strings = ( 1 )\n", 2, "expected a string"},
      {"  Count = 3\n", 2, "Property Count is read-only"},
      {"  OnClick = NoClick\n", 2, "Method NoClick not found in TTestForm"},
      {"  object B: TTestControl\n    Buddy = Ghost\n  end\n", 3, "Component Ghost not found"},
      {"  object B: TTestControl\n    Buddy = Timer1\n  end\n  object Timer1: TTestTimer\n  end\n",
       3, "Property Buddy cannot refer to a TTestTimer"},
      {"  object B: TTestControl\n  end\n  object B: TTestControl\n  end\n", 4,
       "A component named B already exists"},
      {"  object YesButton: TTestTimer\n  end\n", 2, "Field YesButton cannot hold"},
      {"  inherited Missing: TTestControl\n  end\n", 2, "Component Missing not found"},
      {"  object B: TTestControl\n    object C: TTestControl\n      Left = 1\n", 6,
       "expected 'end' of the object begun at line 2"},
  };
  for (const ReadErrorCase& C : Cases) {
    SCOPED_TRACE(C.Body);
    const int LiveBefore = LiveControls;
    TTestForm Form(nullptr);
    TTestControl Buddy(&Form);
    const std::string Text = std::string("object F: TTestForm\n") + C.Body + "end\n";
    try {
      rtl::ReadComponentText(Form, Text, "layout.txt");
      ADD_FAILURE() << "no error";
    } catch (const rtl::EParserError& E) {
      EXPECT_EQ(E.Line(), C.Line) << E.what();
      const std::string Msg = E.what();
      EXPECT_EQ(Msg.rfind("layout.txt: Line " + std::to_string(C.Line) + ",", 0), 0u) << Msg;
      EXPECT_NE(Msg.find(C.Fragment), std::string::npos) << Msg;
    }
    // Only the component that was there before the read is left.
    EXPECT_EQ(Form.ComponentCount(), 1);
    EXPECT_EQ(Form.Components(0), &Buddy);
    EXPECT_EQ(Form.YesButton, nullptr);
    EXPECT_EQ(Form.Timer1, nullptr);
    EXPECT_EQ(LiveControls, LiveBefore + 2);
    EXPECT_EQ(Form.ComponentState() & (rtl::csLoading | rtl::csReading), 0u);
  }
}

TEST_F(FormReader, FailedReadClearsReferencesToWhatItFreed) {
  TTestForm Form(nullptr);
  auto* Keep = new TTestControl(&Form);
  Keep->SetName("Keep");
  const char* Text =
      "object F: TTestForm\n"
      "  inherited Keep: TTestControl\n"
      "    Buddy = New\n"
      "  end\n"
      "  object New: TTestControl\n"
      "  end\n"
      "  object Bad: TTestControl\n"
      "    Buddy = Timer1\n"
      "  end\n"
      "  object Timer1: TTestTimer\n"
      "  end\n"
      "end\n";
  EXPECT_THROW(rtl::ReadComponentText(Form, Text), rtl::EParserError);
  EXPECT_EQ(Form.ComponentCount(), 1);
  EXPECT_EQ(Form.Timer1, nullptr);
  EXPECT_EQ(Keep->Buddy, nullptr);
  EXPECT_EQ(Keep->ComponentState() & (rtl::csLoading | rtl::csReading), 0u);
}

TEST_F(FormReader, RootMustBeOfTheTextsClass) {
  TTestControl Control(nullptr);
  EXPECT_THROW(rtl::ReadComponentText(Control, "object F: TTestForm\nend\n"), rtl::EParserError);
  // A form may read a layout written for its ancestor class.
  TTestForm Form(nullptr);
  EXPECT_NO_THROW(rtl::ReadComponentText(Form, "object F: TTestControl\n  Left = 3\nend\n"));
  EXPECT_EQ(Form.Left, 3);
}

TEST_F(FormReader, TreeNestedTooDeeplyIsRefusedWithItsLine) {
  // Built in code, so the parser's limit never saw it.
  rtl::TFormObject Root;
  Root.ClassName = "TTestForm";
  Root.Line = 1;
  rtl::TFormObject* Node = &Root;
  for (int Line = 2; Line <= 1000; ++Line) {
    Node->Children.emplace_back();
    Node = &Node->Children.back();
    Node->ClassName = "TTestControl";
    Node->Line = Line;
  }
  const int LiveBefore = LiveControls;
  TTestForm Form(nullptr);
  try {
    rtl::ReadComponentTree(Form, Root, "deep.txt");
    ADD_FAILURE() << "no error";
  } catch (const rtl::EParserError& E) {
    EXPECT_EQ(E.Line(), rtl::MaxFormNesting + 1) << E.what();
    EXPECT_NE(std::string(E.what()).find("nested too deeply"), std::string::npos) << E.what();
  }
  EXPECT_EQ(Form.ComponentCount(), 0);
  EXPECT_EQ(LiveControls, LiveBefore + 1);
}

TEST_F(FormReader, InheritedObjectsUpdateExistingComponents) {
  TTestForm Form(nullptr);
  auto* Existing = new TTestControl(&Form);
  Existing->SetName("Edit1");
  rtl::ReadComponentText(Form,
                         "inherited F: TTestForm\n"
                         "  inline Edit1: TTestControl\n"
                         "    Caption = 'changed'\n"
                         "  end\n"
                         "end\n");
  EXPECT_EQ(Form.ComponentCount(), 1);
  EXPECT_EQ(Existing->Caption, "changed");
}

struct PropTextCase {
  const char* Prop;
  const char* Text;
  const char* Shown;  // what GetPropText gives back afterwards
};

TEST_F(FormReader, InspectorTextRoundTrips) {
  const PropTextCase Cases[] = {
      {"Left", "-42", "-42"},      {"Left", "$10", "16"},   {"Visible", "false", "False"},
      {"Align", "ALTOP", "alTop"}, {"Ratio", "2.5", "2.5"}, {"Caption", " a b ", " a b "},
      {"Buddy", "Other", "Other"}, {"Buddy", "", ""},
  };
  TTestForm Form(nullptr);
  auto* Other = new TTestControl(&Form);
  Other->SetName("Other");
  const TClassInfo* Info = Form.ClassInfo();
  for (const PropTextCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Prop) + " = " + C.Text);
    const rtl::TPropInfo* P = rtl::FindPropInfo(Info, C.Prop);
    ASSERT_NE(P, nullptr);
    rtl::SetPropText(Form, *P, C.Text, &Form);
    EXPECT_EQ(rtl::GetPropText(Form, *P), C.Shown);
  }
  const TClassInfo* FontInfo = Form.Font.ClassInfo();
  rtl::SetPropText(Form.Font, *rtl::FindPropInfo(FontInfo, "Style"), "[fsItalic, fsBold]");
  EXPECT_EQ(rtl::GetPropText(Form.Font, *rtl::FindPropInfo(FontInfo, "Style")),
            "[fsBold,fsItalic]");
  rtl::SetPropText(Form.Font, *rtl::FindPropInfo(FontInfo, "Color"), "clWindowText");
  EXPECT_EQ(Form.Font.Color, -2147483640);

  const PropTextCase Bad[] = {{"Left", "12x", ""},    {"Left", "3000000000", ""},
                              {"Visible", "yes", ""}, {"Align", "alLeft", ""},
                              {"Ratio", "nan", ""},   {"Buddy", "Nobody", ""},
                              {"Count", "1", ""},     {"Font", "x", ""}};
  for (const PropTextCase& C : Bad) {
    SCOPED_TRACE(std::string(C.Prop) + " = " + C.Text);
    EXPECT_THROW(rtl::SetPropText(Form, *rtl::FindPropInfo(Info, C.Prop), C.Text, &Form),
                 rtl::EConvertError);
  }
}

TEST_F(FormReader, PropertyListPutsAncestorsFirstAndRegistryFindsClasses) {
  std::vector<std::string> Names;
  TTestForm Form(nullptr);
  for (const rtl::TPropInfo* P : rtl::GetPropList(Form.ClassInfo())) Names.push_back(P->Name);
  EXPECT_EQ(Names, (std::vector<std::string>{"Left", "Caption", "Visible", "Align", "Ratio", "Data",
                                             "Font", "Lines", "Buddy", "OnClick", "Count"}));
  EXPECT_EQ(rtl::FindClass("ttestcontrol"), TTestControl::StaticClassInfo());
  EXPECT_THROW(rtl::GetClass("TNothing"), rtl::EClassNotFound);
}

}  // namespace
