// SPDX-License-Identifier: MIT
// TBitBtn: the button kinds of the platform with their captions, modal
// results and glyphs. The glyphs are drawn here as character maps, 16 x 16
// pixels, on an olive ground that the bottom-left pixel marks transparent.
#include <algorithm>

#include "rtl/core/typinfo.h"
#include "rtl/ui/controls.h"
#include "rtl/ui/forms.h"

namespace rtl {

namespace {

struct TKindInfo {
  const char* Caption;
  TModalResult Result;
  bool Default;
  bool Cancel;
  const char* const* Glyph;  // 16 rows of 16 characters, or nullptr
};

// clang-format off
const char* const TickGlyph[] = {
    "................",
    "................",
    "............gg..",
    "...........gGg..",
    "..........gGg...",
    ".........gGg....",
    "..gg....gGg.....",
    "..gGg..gGg......",
    "...gGggGg.......",
    "....gGGg........",
    ".....gg.........",
    "................",
    "................",
    "................",
    "................",
    "................",
};
const char* const CrossGlyph[] = {
    "................",
    "................",
    "...rr......rr...",
    "...rRr....rRr...",
    "....rRr..rRr....",
    ".....rRrrRr.....",
    "......rRRr......",
    "......rRRr......",
    ".....rRrrRr.....",
    "....rRr..rRr....",
    "...rRr....rRr...",
    "...rr......rr...",
    "................",
    "................",
    "................",
    "................",
};
const char* const HelpGlyph[] = {
    "................",
    ".....bbbbbb.....",
    "....bBBBBBBb....",
    "....bBb..bBb....",
    ".........bBb....",
    "........bBb.....",
    ".......bBb......",
    "......bBb.......",
    "......bBb.......",
    ".......b........",
    "......bbb.......",
    "......bBb.......",
    "......bbb.......",
    "................",
    "................",
    "................",
};
const char* const DoorGlyph[] = {
    "................",
    "...kkkkkkkkkk...",
    "...kdddddddkk...",
    "...kdrrrrrrdk...",
    "...kdrrrrrrdk...",
    "...kdrrrrrrdk...",
    "...kdrrrrrrdk...",
    "...kdrrrrYrdk...",
    "...kdrrrrYrdk...",
    "...kdrrrrrrdk...",
    "...kdrrrrrrdk...",
    "...kdrrrrrrdk...",
    "...kdddddddkk...",
    "...kkkkkkkkkk...",
    "................",
    "................",
};
const char* const RetryGlyph[] = {
    "................",
    "......gggg......",
    "....ggGGGGgg....",
    "...gGGg..gGGg...",
    "..gGg......gGg..",
    "..gGg.......g...",
    ".gGg............",
    ".gGg.........g..",
    ".gGg........gGg.",
    "..gGg......gGGGg",
    "..gGg.......gGg.",
    "...gGGg..gg.gGg.",
    "....ggGGGGgggg..",
    "......gggg......",
    "................",
    "................",
};
const char* const IgnoreGlyph[] = {
    "................",
    "................",
    "................",
    "..........b.....",
    "..........bb....",
    "..........bBb...",
    "..bbbbbbbbbBBb..",
    "..bBBBBBBBBBBBb.",
    "..bBBBBBBBBBBBb.",
    "..bbbbbbbbbBBb..",
    "..........bBb...",
    "..........bb....",
    "..........b.....",
    "................",
    "..kk..kk..kk....",
    "................",
};
const char* const AllGlyph[] = {
    "................",
    "................",
    ".........gg..gg.",
    "........gGg.gGg.",
    ".......gGg.gGg..",
    "......gGg.gGg...",
    ".gg..gGg.gGg....",
    ".gGggGg.gGg.....",
    "..gGGg.gGg......",
    "...gg..gg.......",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
};
// clang-format on

// Indexed by TBitBtnKind.
const TKindInfo Kinds[] = {
    {"", mrNone, false, false, nullptr},           {"OK", mrOk, true, false, TickGlyph},
    {"Cancel", mrCancel, false, true, CrossGlyph}, {"&Help", mrNone, false, false, HelpGlyph},
    {"&Yes", mrYes, true, false, TickGlyph},       {"&No", mrNo, false, true, CrossGlyph},
    {"&Close", mrNone, false, false, DoorGlyph},   {"Abort", mrAbort, false, false, CrossGlyph},
    {"&Retry", mrRetry, false, false, RetryGlyph}, {"&Ignore", mrIgnore, false, false, IgnoreGlyph},
    {"&All", mrAll, false, false, AllGlyph},
};

const TKindInfo& KindInfo(TBitBtnKind Kind) {
  return Kinds[Kind < std::size(Kinds) ? Kind : bkCustom];
}

TColor GlyphColour(char C) {
  switch (C) {
    case 'k':
      return clBlack;
    case 'g':
      return clGreen;
    case 'G':
      return clLime;
    case 'r':
      return clMaroon;
    case 'R':
      return clRed;
    case 'b':
      return clNavy;
    case 'B':
      return clBlue;
    case 'Y':
      return clYellow;
    case 'd':
      return clGray;
    default:
      return clOlive;  // the transparent ground
  }
}

}  // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  FGlyph->OnChange = [this] {
    if (!FSettingKind) FCustomGlyph = true;
  };
}

TBitBtn::~TBitBtn() = default;

std::string TBitBtn::KindCaption(TBitBtnKind Kind) {
  return KindInfo(Kind).Caption;
}

TModalResult TBitBtn::KindModalResult(TBitBtnKind Kind) {
  return KindInfo(Kind).Result;
}

std::unique_ptr<TBitmap> TBitBtn::KindGlyph(TBitBtnKind Kind) {
  auto Glyph = std::make_unique<TBitmap>();
  const char* const* Rows = KindInfo(Kind).Glyph;
  if (Rows == nullptr) return Glyph;
  Glyph->SetSize(16, 16);
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X) Glyph->Canvas().SetPixel(X, Y, GlyphColour(Rows[Y][X]));
  return Glyph;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == FKind) return;
  FKind = Value;
  if (Value == bkCustom) return;
  const TKindInfo& K = KindInfo(Value);
  // While a layout is read, what it gave before Kind stays.
  const bool Reading = (ComponentState() & csReading) != 0;
  auto Given = [&](unsigned Bit) { return Reading && (FGiven & Bit) != 0; };
  if (!Given(GivenCaption)) SetCaption(K.Caption);
  if (!Given(GivenModalResult)) SetModalResult(K.Result);
  if (!Given(GivenDefault)) SetDefault(K.Default);
  if (!Given(GivenCancel)) SetCancel(K.Cancel);
  if (!Reading || !FCustomGlyph) {
    FSettingKind = true;
    FGlyph->Assign(KindGlyph(Value).get());
    FSettingKind = false;
    FCustomGlyph = false;
  }
}

void TBitBtn::Loaded() {
  TButton::Loaded();
  FGiven = 0;
}

void TBitBtn::SetGlyph(const TBitmap* Value) {
  FGlyph->Assign(Value);
  FCustomGlyph = true;
}

void TBitBtn::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 4);
}

void TBitBtn::Click() {
  TButton::Click();
  if (FKind != bkClose) return;
  if (TCustomForm* Form = ParentForm()) Form->Close();
}

// A setter that also notes, for SetKind, that a layout gave the value.
template <class M>
auto TBitBtn::Noting(M Set, unsigned Bit) {
  return [Set, Bit](TBitBtn& X, const auto& Value) {
    (X.*Set)(Value);
    X.FGiven |= Bit;
  };
}

const TClassInfo* TBitBtn::StaticClassInfo() {
  using B = TBitBtn;
  // The properties a kind sets are stored only where they differ from it.
  static const TClassInfo Info =
      TClassBuilder<B>("TBitBtn", TButton::StaticClassInfo())
          .Factory()
          .Boolean("Cancel", &B::Cancel, Noting(&B::SetCancel, GivenCancel))
          .Stored([](const B& X) { return X.Cancel() != KindInfo(X.Kind()).Cancel; })
          .String("Caption", &B::Caption, Noting(&B::SetCaption, GivenCaption))
          .Stored([](const B& X) {
            return X.Kind() == bkCustom || X.Caption() != KindCaption(X.Kind());
          })
          .Boolean("Default", &B::Default, Noting(&B::SetDefault, GivenDefault))
          .Stored([](const B& X) { return X.Default() != KindInfo(X.Kind()).Default; })
          .Integer("ModalResult", &B::ModalResult, Noting(&B::SetModalResult, GivenModalResult))
          .Stored([](const B& X) { return X.ModalResult() != KindModalResult(X.Kind()); })
          .Object("Glyph", [](const B& X) { return X.Glyph(); })
          .Stored([](const B& X) { return X.FCustomGlyph; })
          .Enumeration("Kind",
                       {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                        "bkAbort", "bkRetry", "bkIgnore", "bkAll"},
                       &B::Kind, &B::SetKind, bkCustom)
          .Integer("NumGlyphs", &B::NumGlyphs, &B::SetNumGlyphs, 1)
          .Build();
  return &Info;
}

}  // namespace rtl
