// SPDX-License-Identifier: MIT
#include "rtl/ui/graphics.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

namespace {

using rtl::TRGBA;

std::string ReadSource(const std::string& Relative) {
  std::ifstream In(std::string(QUINDLE_SOURCE_DIR) + "/" + Relative, std::ios::binary);
  std::ostringstream Out;
  Out << In.rdbuf();
  return Out.str();
}

void Put16(std::string& S, uint32_t V) {
  S += static_cast<char>(V & 0xFF);
  S += static_cast<char>(V >> 8 & 0xFF);
}
void Put32(std::string& S, uint32_t V) {
  Put16(S, V & 0xFFFF);
  Put16(S, V >> 16);
}

// An icon file with one image of the given depth; palette entries are
// 0x00RRGGBB. Colour(x, y) gives a
// palette index (paletted) or 0xAARRGGBB (32-bit); Clear(x, y) the mask bit.
std::string MakeIcon(int W, int H, int Bits, const std::vector<uint32_t>& Palette,
                     const std::function<uint32_t(int, int)>& Colour,
                     const std::function<bool(int, int)>& Clear) {
  std::string Image;
  for (uint32_t V : {40u, static_cast<uint32_t>(W), static_cast<uint32_t>(2 * H)}) Put32(Image, V);
  Put16(Image, 1);
  Put16(Image, Bits);
  for (int I = 0; I < 6; ++I) Put32(Image, I == 4 ? static_cast<uint32_t>(Palette.size()) : 0);
  for (uint32_t C : Palette) Put32(Image, C);
  const size_t Stride = (W * Bits + 31) / 32 * 4, MaskStride = (W + 31) / 32 * 4;
  for (int Y = H - 1; Y >= 0; --Y) {
    std::string Row(Stride, '\0');
    for (int X = 0; X < W; ++X) {
      const uint32_t C = Colour(X, Y);
      if (Bits == 32) {
        for (int B = 0; B < 4; ++B) Row[4 * X + B] = static_cast<char>(C >> (8 * B));
      } else {
        const int Bit = X * Bits;
        Row[Bit / 8] = static_cast<char>(Row[Bit / 8] | C << (8 - Bits - Bit % 8));
      }
    }
    Image += Row;
  }
  for (int Y = H - 1; Y >= 0; --Y) {
    std::string Row(MaskStride, '\0');
    for (int X = 0; X < W; ++X)
      if (Clear(X, Y)) Row[X / 8] = static_cast<char>(Row[X / 8] | 0x80 >> (X % 8));
    Image += Row;
  }
  std::string File;
  Put16(File, 0);
  Put16(File, 1);
  Put16(File, 1);
  File += static_cast<char>(W);
  File += static_cast<char>(H);
  Put16(File, 0);
  Put16(File, 1);
  Put16(File, Bits);
  Put32(File, static_cast<uint32_t>(Image.size()));
  Put32(File, 22);
  return File + Image;
}

TRGBA Opaque(uint8_t R, uint8_t G, uint8_t B) {
  return {R, G, B, 255};
}

TEST(Icon, DecodesTheDocumentIconOfTheDialogs) {
  const std::string Data = ReadSource("dialogs/icons/document.ico");
  ASSERT_EQ(Data.size(), 22u + 744u);
  const rtl::TIconImage Icon = rtl::DecodeIcon(Data);
  EXPECT_EQ(Icon.Width, 32);
  EXPECT_EQ(Icon.Height, 32);
  EXPECT_EQ(Icon.BitCount, 4);
  EXPECT_EQ(Icon.Palette, std::vector<rtl::TColor>(std::begin(rtl::StandardPalette16),
                                                   std::end(rtl::StandardPalette16)));
  // Ground, cut-off corner, sheet edge, paper, a line of text, the shadow.
  EXPECT_EQ(Icon.Pixel(0, 0).A, 0);
  EXPECT_EQ(Icon.Pixel(25, 2).A, 0);
  EXPECT_EQ(Icon.Pixel(6, 10), Opaque(0, 0, 0));
  EXPECT_EQ(Icon.Pixel(8, 5), Opaque(255, 255, 255));
  EXPECT_EQ(Icon.Pixel(12, 11), Opaque(128, 128, 128));
  EXPECT_EQ(Icon.Pixel(26, 5), Opaque(128, 128, 128));
}

TEST(Icon, DecodesEachDepthWithItsTransparency) {
  auto Clear = [](int X, int Y) { return X == 0 && Y == 0; };
  // 4 bits: palette index = column; bottom-up rows must come out top-down.
  auto Four = rtl::DecodeIcon(MakeIcon(
      3, 2, 4, {0x000000, 0x0000FF, 0x00FF00}, [](int X, int Y) { return Y == 0 ? X : 0; }, Clear));
  EXPECT_EQ(Four.Pixel(0, 0).A, 0);
  EXPECT_EQ(Four.Pixel(1, 0), Opaque(0, 0, 255));
  EXPECT_EQ(Four.Pixel(2, 0), Opaque(0, 255, 0));
  EXPECT_EQ(Four.Pixel(2, 1), Opaque(0, 0, 0));
  EXPECT_EQ(Four.Palette.size(), 3u);
  // 1 bit.
  auto One = rtl::DecodeIcon(MakeIcon(
      9, 1, 1, {0x000000, 0xFFFFFF}, [](int X, int) { return X % 2; }, Clear));
  EXPECT_EQ(One.Pixel(7, 0), Opaque(255, 255, 255));
  EXPECT_EQ(One.Pixel(8, 0), Opaque(0, 0, 0));
  // 32 bits: the alpha channel wins over the mask.
  auto Alpha = rtl::DecodeIcon(MakeIcon(
      2, 1, 32, {}, [](int X, int) { return X == 0 ? 0x80FF0000u : 0xFF0000FFu; }, Clear));
  EXPECT_EQ(Alpha.Pixel(0, 0), (TRGBA{255, 0, 0, 0x80}));
  EXPECT_EQ(Alpha.Pixel(1, 0), Opaque(0, 0, 255));
  // 32 bits without alpha: the mask decides.
  auto NoAlpha = rtl::DecodeIcon(MakeIcon(
      2, 1, 32, {}, [](int, int) { return 0x00123456u; }, Clear));
  EXPECT_EQ(NoAlpha.Pixel(0, 0).A, 0);
  EXPECT_EQ(NoAlpha.Pixel(1, 0), Opaque(0x12, 0x34, 0x56));
}

TEST(Icon, PicksTheImageNearest32) {
  // Two images: 16 x 16 first, then 32 x 32.
  const std::string Small = MakeIcon(
      16, 16, 4, {0}, [](int, int) { return 0; }, [](int, int) { return false; });
  const std::string Large = MakeIcon(
      32, 32, 4, {0}, [](int, int) { return 0; }, [](int, int) { return false; });
  const std::string SmallImage = Small.substr(22), LargeImage = Large.substr(22);
  std::string File;
  Put16(File, 0);
  Put16(File, 1);
  Put16(File, 2);
  File += Small.substr(6, 12);
  Put32(File, 38);
  File += Large.substr(6, 12);
  Put32(File, static_cast<uint32_t>(38 + SmallImage.size()));
  File += SmallImage + LargeImage;
  EXPECT_EQ(rtl::DecodeIcon(File, 32).Width, 32);
  EXPECT_EQ(rtl::DecodeIcon(File, 16).Width, 16);
}

TEST(Icon, RejectsMalformedData) {
  const std::string Good = ReadSource("dialogs/icons/document.ico");
  auto With = [&](size_t At, std::string Bytes) {
    std::string S = Good;
    S.replace(At, Bytes.size(), Bytes);
    return S;
  };
  const std::pair<const char*, std::string> Cases[] = {
      {"empty", ""},
      {"truncated directory", Good.substr(0, 10)},
      {"truncated image", Good.substr(0, Good.size() - 1)},
      {"not an icon type", With(2, std::string("\x05\x00", 2))},
      {"no images", With(4, std::string("\x00\x00", 2))},
      {"offset past the end", With(18, std::string("\xFF\xFF\x00\x00", 4))},
      {"PNG image", With(22, "\x89PNG")},
      {"unknown depth", With(22 + 14, std::string("\x05\x00", 2))},
      {"compressed", With(22 + 16, std::string("\x02\x00", 2))},
      {"zero width", With(22 + 4, std::string("\x00\x00\x00\x00", 4))},
      {"header too small", With(22, std::string("\x0C\x00\x00\x00", 4))},
  };
  for (const auto& [Why, Data] : Cases)
    EXPECT_THROW(rtl::DecodeIcon(Data), rtl::EInvalidGraphic) << Why;
}

TEST(Colors, SystemAndNamedColours) {
  const std::tuple<rtl::TColor, rtl::TColor, const char*> Cases[] = {
      {rtl::clBtnFace, rtl::clSilver, "clBtnFace"},
      {rtl::clWindowText, rtl::clBlack, "clWindowText"},
      {rtl::clWindow, rtl::clWhite, "clWindow"},
      {rtl::clRed, rtl::clRed, "clRed"},
      {0x123456, 0x123456, "$00123456"},
  };
  for (const auto& [Color, Rgb, Text] : Cases) {
    EXPECT_EQ(rtl::ColorToRGB(Color), Rgb) << Text;
    EXPECT_EQ(rtl::ColorToString(Color), Text);
    EXPECT_EQ(rtl::StringToColor(Text), Color);
  }
  EXPECT_EQ(rtl::StringToColor("CLBTNFACE"), rtl::clBtnFace);
  EXPECT_EQ(rtl::StringToColor("-2147483633"), rtl::clBtnFace);
  EXPECT_EQ(rtl::ColorToRGBA(rtl::clRed), Opaque(255, 0, 0));
  for (const char* Bad : {"", "clNothing", "$", "12x", "$1FFFFFFFF"})
    EXPECT_THROW(rtl::StringToColor(Bad), rtl::EConvertError) << Bad;
}

TEST(Canvas, FillRectIsClippedToTheBitmap) {
  rtl::TBitmap B;
  B.SetHeight(3);
  B.SetWidth(4);
  EXPECT_EQ(B.Canvas().ClipRect(), rtl::Rect(0, 0, 4, 3));
  EXPECT_EQ(B.Pixel(3, 2), Opaque(255, 255, 255));  // new bitmaps are white
  B.Canvas().Brush.Color = rtl::clBtnFace;
  B.Canvas().FillRect(B.Canvas().ClipRect());
  for (const TRGBA& P : B.PixelData()) EXPECT_EQ(P, Opaque(192, 192, 192));
  B.Canvas().Brush.Color = rtl::clNavy;
  B.Canvas().FillRect(rtl::Rect(-5, 2, 2, 99));
  EXPECT_EQ(B.Canvas().Pixel(0, 2), rtl::clNavy);
  EXPECT_EQ(B.Canvas().Pixel(1, 2), rtl::clNavy);
  EXPECT_EQ(B.Canvas().Pixel(2, 2), rtl::clSilver);
  EXPECT_EQ(B.Canvas().Pixel(0, 1), rtl::clSilver);
  EXPECT_EQ(B.Canvas().Pixel(4, 0), rtl::clNone);
}

TEST(Canvas, DrawIconKeepsTheGroundWhereItIsTransparent) {
  rtl::TIcon Icon;
  Icon.LoadFromData(MakeIcon(
      2, 2, 4, {0x000000, 0xFF0000}, [](int, int) { return 1; },
      [](int X, int Y) { return X == Y; }));
  rtl::TBitmap B;
  B.SetSize(3, 3);
  B.Canvas().Brush.Color = rtl::clBtnFace;
  B.Canvas().FillRect(B.Canvas().ClipRect());
  B.Canvas().Draw(1, 1, Icon);  // the bottom-right corner of the icon lies outside
  const rtl::TColor Expected[3][3] = {{rtl::clSilver, rtl::clSilver, rtl::clSilver},
                                      {rtl::clSilver, rtl::clSilver, rtl::clRed},
                                      {rtl::clSilver, rtl::clRed, rtl::clSilver}};
  for (int Y = 0; Y < 3; ++Y)
    for (int X = 0; X < 3; ++X) EXPECT_EQ(B.Canvas().Pixel(X, Y), Expected[Y][X]) << X << "," << Y;
}

TEST(Canvas, DrawBlendsPartialAlphaAndCopiesBitmaps) {
  rtl::TIcon Half;
  Half.LoadFromData(MakeIcon(
      1, 1, 32, {}, [](int, int) { return 0x80FFFFFFu; }, [](int, int) { return false; }));
  rtl::TBitmap Ground;
  Ground.SetSize(2, 1);
  Ground.Canvas().Brush.Color = rtl::clBlack;
  Ground.Canvas().FillRect(Ground.Canvas().ClipRect());
  Ground.Canvas().Draw(0, 0, Half);
  EXPECT_EQ(Ground.Pixel(0, 0), Opaque(128, 128, 128));

  rtl::TBitmap Copy;
  Copy.SetSize(3, 1);
  Copy.Canvas().Draw(1, 0, Ground);
  EXPECT_EQ(Copy.Pixel(0, 0), Opaque(255, 255, 255));
  EXPECT_EQ(Copy.Pixel(1, 0), Opaque(128, 128, 128));
  EXPECT_EQ(Copy.Pixel(2, 0), Opaque(0, 0, 0));
}

TEST(Bitmap, ResizingKeepsWhatStillFits) {
  rtl::TBitmap B;
  B.SetSize(2, 2);
  B.Canvas().SetPixel(1, 1, rtl::clRed);
  B.SetSize(3, 3);
  EXPECT_EQ(B.Canvas().Pixel(1, 1), rtl::clRed);
  EXPECT_EQ(B.Canvas().Pixel(2, 2), rtl::clWhite);
  B.SetSize(1, 1);
  B.SetSize(2, 2);
  EXPECT_EQ(B.Canvas().Pixel(1, 1), rtl::clWhite);
}

TEST(Picture, BitmapReplacesAnotherGraphic) {
  rtl::TPicture P;
  EXPECT_EQ(P.Graphic(), nullptr);
  P.SetGraphic(std::make_unique<rtl::TIcon>());
  rtl::TBitmap& B = P.Bitmap();
  EXPECT_EQ(P.Graphic(), &B);
  B.SetSize(4, 5);
  EXPECT_EQ(P.Width(), 4);
  rtl::TPicture Copy;
  Copy.Assign(&P);
  EXPECT_EQ(Copy.Height(), 5);
  EXPECT_NE(Copy.Graphic(), P.Graphic());
}

}  // namespace
