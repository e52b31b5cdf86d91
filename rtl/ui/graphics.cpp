// SPDX-License-Identifier: MIT
#include "rtl/ui/graphics.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "rtl/core/sysutils.h"

namespace rtl {

namespace {

struct TColorName {
  TColor Color;
  const char* Name;
};

const TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
};

// The scheme, by system colour index; the classic desktop one until a
// widgetset sets its own. Atomic, because a widgetset may set it while a
// worker thread paints.
std::atomic<TColor> SystemColors[] = {
    clSilver, clTeal,   clNavy,   clGray,  clSilver, clWhite, clBlack,  clBlack, clBlack,
    clWhite,  clSilver, clSilver, clGray,  clNavy,   clWhite, clSilver, clGray,  clGray,
    clBlack,  clSilver, clWhite,  clBlack, clSilver, clBlack, 0xE1FFFF,
};

bool SchemeIndex(TColor Color, int& Index) {
  Index = Color & 0xFF;
  return (Color & clSystemColor) != 0 && (Color & 0x7FFFFF00) == 0 &&
         Index < static_cast<int>(std::size(SystemColors));
}

}  // namespace

const TColor StandardPalette16[16] = {clBlack, clMaroon,  clGreen, clOlive, clNavy, clPurple,
                                      clTeal,  clSilver,  clGray,  clRed,   clLime, clYellow,
                                      clBlue,  clFuchsia, clAqua,  clWhite};

TColor ColorToRGB(TColor Color) {
  if ((Color & clSystemColor) == 0) return Color;
  int Index = 0;
  return SchemeIndex(Color, Index) ? SystemColors[Index].load(std::memory_order_relaxed) : clBlack;
}

void SetSystemColor(TColor SystemColour, TColor Color) {
  int Index = 0;
  if (SchemeIndex(SystemColour, Index) && (Color & clSystemColor) == 0)
    SystemColors[Index].store(Color & 0xFFFFFF, std::memory_order_relaxed);
}

bool IdentToColor(std::string_view Ident, TColor& Color) {
  for (const TColorName& N : ColorNames) {
    if (SameText(Ident, N.Name)) {
      Color = N.Color;
      return true;
    }
  }
  return false;
}

bool ColorToIdent(TColor Color, std::string& Ident) {
  for (const TColorName& N : ColorNames) {
    if (N.Color == Color) {
      Ident = N.Name;
      return true;
    }
  }
  return false;
}

std::string ColorToString(TColor Color) {
  std::string Ident;
  if (ColorToIdent(Color, Ident)) return Ident;
  char Text[16];
  std::snprintf(Text, sizeof Text, "$%08X", static_cast<uint32_t>(Color));
  return Text;
}

TColor StringToColor(std::string_view S) {
  TColor Color = 0;
  if (IdentToColor(S, Color)) return Color;
  const bool Hex = !S.empty() && S.front() == '$';
  const char* First = S.data() + (Hex ? 1 : 0);
  const char* Last = S.data() + S.size();
  int64_t Value = 0;
  auto [End, Error] = std::from_chars(First, Last, Value, Hex ? 16 : 10);
  if (First == Last || Error != std::errc() || End != Last || Value < INT32_MIN ||
      Value > UINT32_MAX)
    throw EConvertError("'" + std::string(S) + "' is not a valid colour value");
  return static_cast<TColor>(static_cast<uint32_t>(Value));
}

TRGBA ColorToRGBA(TColor Color) {
  const TColor C = ColorToRGB(Color);
  return {static_cast<uint8_t>(C & 0xFF), static_cast<uint8_t>((C >> 8) & 0xFF),
          static_cast<uint8_t>((C >> 16) & 0xFF), 255};
}

TColor RGBAToColor(TRGBA Pixel) {
  return Pixel.R | (Pixel.G << 8) | (Pixel.B << 16);
}

// ---- canvas -------------------------------------------------------------

TRect TCanvas::ClipRect() const {
  return {0, 0, FTarget.Width(), FTarget.Height()};
}

void TCanvas::FillRect(const TRect& R) {
  const TRect Clip = ClipRect();
  const TRGBA Fill = ColorToRGBA(Brush.Color);
  for (int Y = std::max(R.Top, Clip.Top); Y < std::min(R.Bottom, Clip.Bottom); ++Y)
    for (int X = std::max(R.Left, Clip.Left); X < std::min(R.Right, Clip.Right); ++X)
      FTarget.Pixel(X, Y) = Fill;
}

void TCanvas::Draw(int X, int Y, const TGraphic& Graphic) {
  Graphic.DrawOn(*this, X, Y);
}

TColor TCanvas::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= FTarget.Width() || Y >= FTarget.Height()) return clNone;
  return RGBAToColor(FTarget.Pixel(X, Y));
}

void TCanvas::SetPixel(int X, int Y, TColor Color) {
  if (X < 0 || Y < 0 || X >= FTarget.Width() || Y >= FTarget.Height()) return;
  FTarget.Pixel(X, Y) = ColorToRGBA(Color);
}

void TCanvas::BlendPixel(int X, int Y, TRGBA Source) {
  if (X < 0 || Y < 0 || X >= FTarget.Width() || Y >= FTarget.Height() || Source.A == 0) return;
  TRGBA& D = FTarget.Pixel(X, Y);
  if (Source.A == 255) {
    D = Source;
    return;
  }
  auto Mix = [A = Source.A](uint8_t S, uint8_t T) {
    return static_cast<uint8_t>((S * A + T * (255 - A) + 127) / 255);
  };
  D = {Mix(Source.R, D.R), Mix(Source.G, D.G), Mix(Source.B, D.B), 255};
}

// ---- bitmap -------------------------------------------------------------

TBitmap::TBitmap() : FCanvas(std::make_unique<TCanvas>(*this)) {}
TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  std::vector<TRGBA> Pixels(static_cast<size_t>(AWidth) * AHeight, TRGBA{255, 255, 255, 255});
  const int KeptWidth = std::min(AWidth, FWidth);
  for (int Y = 0; KeptWidth > 0 && Y < std::min(AHeight, FHeight); ++Y)
    std::copy_n(FPixels.begin() + static_cast<ptrdiff_t>(Y) * FWidth, KeptWidth,
                Pixels.begin() + static_cast<ptrdiff_t>(Y) * AWidth);
  FPixels = std::move(Pixels);
  FWidth = AWidth;
  FHeight = AHeight;
}

void TBitmap::Assign(const TPersistent* Source) {
  if (auto* B = dynamic_cast<const TBitmap*>(Source)) {
    if (B == this) return;
    FWidth = B->FWidth;
    FHeight = B->FHeight;
    FPixels = B->FPixels;
    if (OnChange) OnChange();
    return;
  }
  if (auto* I = dynamic_cast<const TIcon*>(Source)) {
    SetSize(0, 0);
    SetSize(I->Width(), I->Height());
    FCanvas->Draw(0, 0, *I);
    if (OnChange) OnChange();
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::DrawOn(TCanvas& Dest, int X, int Y) const {
  for (int Row = 0; Row < FHeight; ++Row)
    for (int Col = 0; Col < FWidth; ++Col) Dest.BlendPixel(X + Col, Y + Row, Pixel(Col, Row));
}

// ---- icon ---------------------------------------------------------------

void TIcon::Assign(const TPersistent* Source) {
  if (auto* I = dynamic_cast<const TIcon*>(Source)) {
    FHandle = I->FHandle;
    return;
  }
  TGraphic::Assign(Source);
}

void TIcon::LoadFromData(std::string_view Data) {
  FHandle = std::make_shared<const TIconImage>(DecodeIcon(Data, 32));
}

void TIcon::DrawOn(TCanvas& Dest, int X, int Y) const {
  if (!FHandle) return;
  for (int Row = 0; Row < FHandle->Height; ++Row)
    for (int Col = 0; Col < FHandle->Width; ++Col)
      Dest.BlendPixel(X + Col, Y + Row, FHandle->Pixel(Col, Row));
}

// ---- picture ------------------------------------------------------------

void TPicture::Assign(const TPersistent* Source) {
  if (Source == nullptr) {
    FGraphic.reset();
    return;
  }
  if (auto* P = dynamic_cast<const TPicture*>(Source)) {
    if (P == this) return;
    if (P->FGraphic == nullptr) {
      FGraphic.reset();
      return;
    }
    Assign(P->FGraphic.get());
    return;
  }
  std::unique_ptr<TGraphic> Copy;
  if (dynamic_cast<const TBitmap*>(Source)) Copy = std::make_unique<TBitmap>();
  if (dynamic_cast<const TIcon*>(Source)) Copy = std::make_unique<TIcon>();
  if (Copy == nullptr) TPersistent::Assign(Source);
  Copy->Assign(Source);
  FGraphic = std::move(Copy);
}

TBitmap& TPicture::Bitmap() {
  auto* B = dynamic_cast<TBitmap*>(FGraphic.get());
  if (B == nullptr) {
    FGraphic = std::make_unique<TBitmap>();
    B = static_cast<TBitmap*>(FGraphic.get());
  }
  return *B;
}

}  // namespace rtl
