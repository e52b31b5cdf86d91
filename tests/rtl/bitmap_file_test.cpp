// SPDX-License-Identifier: MIT
// Bitmap files and the picture data that layouts store.
#include <gtest/gtest.h>

#include <functional>

#include "rtl/core/typinfo.h"
#include "rtl/ui/graphics.h"

namespace {

using namespace rtl;

void Put16(std::string& S, uint32_t V) {
  S += static_cast<char>(V & 0xFF);
  S += static_cast<char>(V >> 8 & 0xFF);
}
void Put32(std::string& S, uint32_t V) {
  Put16(S, V & 0xFFFF);
  Put16(S, V >> 16);
}

// A bitmap file written independently of the code under test. Colour(x, y)
// gives a palette index (paletted depths) or 0x00RRGGBB.
std::string MakeBmp(int W, int H, int Bits, const std::vector<uint32_t>& Palette,
                    const std::function<uint32_t(int, int)>& Colour, bool TopDown = false) {
  const size_t Stride = (W * Bits + 31) / 32 * 4;
  std::string Pixels;
  for (int I = 0; I < H; ++I) {
    const int Y = TopDown ? I : H - 1 - I;
    std::string Row(Stride, '\0');
    for (int X = 0; X < W; ++X) {
      const uint32_t C = Colour(X, Y);
      if (Bits >= 24) {
        for (int B = 0; B < 3; ++B) Row[X * Bits / 8 + B] = static_cast<char>(C >> (8 * B));
      } else {
        const int Bit = X * Bits;
        Row[Bit / 8] = static_cast<char>(Row[Bit / 8] | C << (8 - Bits - Bit % 8));
      }
    }
    Pixels += Row;
  }
  std::string Info;
  Put32(Info, 40);
  Put32(Info, static_cast<uint32_t>(W));
  Put32(Info, static_cast<uint32_t>(TopDown ? -H : H));
  Put16(Info, 1);
  Put16(Info, static_cast<uint32_t>(Bits));
  for (int I = 0; I < 6; ++I) Put32(Info, I == 4 ? static_cast<uint32_t>(Palette.size()) : 0);
  for (uint32_t C : Palette) Put32(Info, C);
  std::string File = "BM";
  Put32(File, static_cast<uint32_t>(14 + Info.size() + Pixels.size()));
  Put32(File, 0);
  Put32(File, static_cast<uint32_t>(14 + Info.size()));
  return File + Info + Pixels;
}

TEST(BitmapFile, DecodesEveryDepthInBothRowOrders) {
  // Column x has colour index x % 2 (paletted) or a colour of its own.
  const std::vector<uint32_t> Palette = {0x112233, 0xA0B0C0};
  struct TCase {
    int Bits;
    bool TopDown;
  };
  for (const TCase C :
       {TCase{1, false}, TCase{4, false}, TCase{8, true}, TCase{24, false}, TCase{32, true}}) {
    SCOPED_TRACE(std::to_string(C.Bits) + (C.TopDown ? " top-down" : " bottom-up"));
    const bool Paletted = C.Bits <= 8;
    auto Colour = [&](int X, int Y) -> uint32_t {
      return Paletted ? static_cast<uint32_t>(X % 2)
                      : static_cast<uint32_t>(0x010203 * (X + 1) + 0x100000 * Y);
    };
    TBitmap B;
    B.LoadFromData(
        MakeBmp(5, 3, C.Bits, Paletted ? Palette : std::vector<uint32_t>{}, Colour, C.TopDown));
    ASSERT_EQ(B.Width(), 5);
    ASSERT_EQ(B.Height(), 3);
    for (int Y = 0; Y < 3; ++Y)
      for (int X = 0; X < 5; ++X) {
        const uint32_t Want = Paletted ? Palette[Colour(X, Y)] : Colour(X, Y);
        EXPECT_EQ(B.Pixel(X, Y),
                  (TRGBA{static_cast<uint8_t>(Want >> 16), static_cast<uint8_t>(Want >> 8),
                         static_cast<uint8_t>(Want), 255}))
            << X << "," << Y;
      }
  }
}

TEST(BitmapFile, RefusesWhatIsNoUncompressedBitmap) {
  const std::string Good = MakeBmp(4, 4, 4, {0, 0xFFFFFF}, [](int X, int) { return X % 2; });
  auto Patched = [&](size_t At, uint32_t Value) {
    std::string S = Good;
    std::string V;
    Put32(V, Value);
    S.replace(At, 4, V);
    return S;
  };
  const std::pair<const char*, std::string> Cases[] = {
      {"empty", ""},
      {"no magic", "XY" + Good.substr(2)},
      {"truncated pixels", Good.substr(0, Good.size() - 1)},
      {"truncated header", Good.substr(0, 30)},
      {"compressed", Patched(14 + 16, 2)},
      {"zero width", Patched(14 + 4, 0)},
      {"huge", Patched(14 + 4, 1u << 20)},
      {"pixels beyond the end", Patched(10, 1000)},
  };
  for (const auto& [Name, Data] : Cases) {
    TBitmap B;
    B.SetSize(2, 2);
    EXPECT_THROW(B.LoadFromData(Data), EInvalidGraphic) << Name;
    EXPECT_EQ(B.Width(), 2) << Name << ": a failed load keeps the bitmap";
  }
}

TEST(BitmapFile, SavesStandardColoursIn16ColoursAndOthersIn24Bits) {
  struct TCase {
    TColor Extra;
    size_t Size;
    int BitCount;
  };
  // 32 x 32: 14 + 40 + 64 + 32 * 16 bytes at 4 bits, 14 + 40 + 32 * 96 at 24.
  for (const TCase C : {TCase{clTeal, 630, 4}, TCase{0x123456, 3126, 24}}) {
    TBitmap B;
    B.SetSize(32, 32);
    B.Canvas().SetPixel(31, 0, C.Extra);
    B.Canvas().SetPixel(0, 31, clNavy);
    const std::string Data = B.SaveToData();
    EXPECT_EQ(Data.size(), C.Size);
    EXPECT_EQ(static_cast<uint8_t>(Data[28]), C.BitCount);
    TBitmap Back;
    Back.LoadFromData(Data);
    EXPECT_EQ(Back.PixelData(), B.PixelData());
  }
}

TEST(BitmapFile, PictureDataNamesItsGraphicAndRoundTrips) {
  const TPropInfo* Data = FindPropInfo(TPicture::StaticClassInfo(), "Data");
  ASSERT_NE(Data, nullptr);
  TPicture P;
  EXPECT_EQ(Data->GetStr(P), "") << "an empty picture stores nothing";
  P.Bitmap().SetSize(3, 2);
  P.Bitmap().Canvas().SetPixel(1, 1, clRed);
  const std::string Stored = Data->GetStr(P);
  ASSERT_EQ(Stored.substr(0, 8), "\x07TBitmap");
  const std::string File = P.Bitmap().SaveToData();
  EXPECT_EQ(Stored.substr(12), File);
  EXPECT_EQ(static_cast<uint8_t>(Stored[8]), File.size());

  TPicture Copy;
  Data->SetStr(Copy, Stored);
  ASSERT_NE(dynamic_cast<TBitmap*>(Copy.Graphic()), nullptr);
  EXPECT_EQ(Copy.Bitmap().PixelData(), P.Bitmap().PixelData());

  // An icon keeps its transparency through its data.
  TIcon Icon;
  auto Image = std::make_shared<TIconImage>();
  Image->Width = Image->Height = 2;
  Image->Pixels = {{255, 0, 0, 255}, {0, 0, 0, 0}, {0, 255, 0, 255}, {0, 0, 255, 255}};
  Icon.SetHandle(Image);
  P.Assign(&Icon);
  Data->SetStr(Copy, Data->GetStr(P));
  auto* Back = dynamic_cast<TIcon*>(Copy.Graphic());
  ASSERT_NE(Back, nullptr);
  EXPECT_EQ(Back->Handle()->Pixels, Image->Pixels);

  for (const std::string& Bad :
       {std::string("\x05TMeta"), std::string("\x07TBitmap\x01\x00\x00\x00"),
        std::string("\x09TBi")})
    EXPECT_THROW(Data->SetStr(Copy, Bad), EInvalidGraphic);
}

TEST(Colors, AWidgetsetsSchemeReplacesTheClassicOne) {
  const TColor Before = ColorToRGB(clBtnFace);
  SetSystemColor(clBtnFace, 0xEFEFEF);
  SetSystemColor(clRed, clBlue);             // not a system colour: ignored
  SetSystemColor(SystemColor(200), clBlue);  // not in the scheme: ignored
  SetSystemColor(clWindow, clBtnFace);       // a system colour is no value
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xEFEFEF);
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);
  TBitmap B;
  B.SetSize(1, 1);
  B.Canvas().Brush.Color = clBtnFace;
  B.Canvas().FillRect(B.Canvas().ClipRect());
  EXPECT_EQ(B.Canvas().Pixel(0, 0), 0xEFEFEF);
  SetSystemColor(clBtnFace, Before);
}

}  // namespace
