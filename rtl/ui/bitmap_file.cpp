// SPDX-License-Identifier: MIT
// Bitmap files (.bmp) and the picture data that layouts store: decoding of
// uncompressed device-independent bitmaps, and encoding in the smallest of
// the two forms the platform's own tools write (16 colours, or 24 bits).
#include <algorithm>
#include <cstring>

#include "rtl/core/typinfo.h"
#include "rtl/ui/graphics.h"

namespace rtl {

namespace {

[[noreturn]] void Invalid(const std::string& Why) {
  throw EInvalidGraphic("Invalid bitmap: " + Why);
}

constexpr size_t FileHeaderSize = 14;
constexpr size_t InfoHeaderSize = 40;
// Larger images are refused before anything is allocated for them.
constexpr int64_t MaxPixels = int64_t{1} << 26;

// Little-endian reads that never leave the data.
class TBytes {
 public:
  explicit TBytes(std::string_view Data) : FData(Data) {}
  uint32_t U8(size_t At) const { return Byte(At); }
  uint32_t U16(size_t At) const { return Byte(At) | Byte(At + 1) << 8; }
  uint32_t U32(size_t At) const { return U16(At) | U16(At + 2) << 16; }
  int32_t I32(size_t At) const { return static_cast<int32_t>(U32(At)); }
  size_t Size() const { return FData.size(); }

 private:
  uint32_t Byte(size_t At) const {
    if (At >= FData.size()) Invalid("the data ends early");
    return static_cast<uint8_t>(FData[At]);
  }
  std::string_view FData;
};

struct TDecoded {
  int Width = 0, Height = 0;
  std::vector<TRGBA> Pixels;
};

// Decodes the device-independent bitmap at the start of Dib. PixelsAt is the
// offset of the pixel rows in Dib, or 0 when they follow the colour table.
TDecoded DecodeDIB(std::string_view Dib, size_t PixelsAt) {
  const TBytes R(Dib);
  const uint32_t HeaderSize = R.U32(0);
  if (HeaderSize < InfoHeaderSize || HeaderSize > Dib.size())
    Invalid("unknown header of " + std::to_string(HeaderSize) + " bytes");
  const int32_t Width = R.I32(4), StoredHeight = R.I32(8);
  const int BitCount = static_cast<int>(R.U16(14));
  if (R.U16(12) != 1) Invalid("more than one plane");
  if (R.U32(16) != 0) Invalid("compressed bitmaps are not supported");
  if (Width <= 0 || StoredHeight == 0 || StoredHeight == INT32_MIN) Invalid("bad size");
  const bool TopDown = StoredHeight < 0;
  const int Height = TopDown ? -StoredHeight : StoredHeight;
  if (int64_t{Width} * Height > MaxPixels) Invalid("too large");
  if (BitCount != 1 && BitCount != 4 && BitCount != 8 && BitCount != 24 && BitCount != 32)
    Invalid("unsupported colour depth " + std::to_string(BitCount));

  std::vector<TRGBA> Palette;
  if (BitCount <= 8) {
    uint32_t Colours = R.U32(32);
    if (Colours == 0 || Colours > (1u << BitCount)) Colours = 1u << BitCount;
    for (uint32_t I = 0; I < Colours; ++I) {
      const size_t At = HeaderSize + 4 * static_cast<size_t>(I);
      Palette.push_back({static_cast<uint8_t>(R.U8(At + 2)), static_cast<uint8_t>(R.U8(At + 1)),
                         static_cast<uint8_t>(R.U8(At)), 255});
    }
  }
  if (PixelsAt == 0) PixelsAt = HeaderSize + 4 * Palette.size();
  const size_t Stride = ((static_cast<size_t>(Width) * BitCount + 31) / 32) * 4;
  if (PixelsAt > Dib.size() || Stride * Height > Dib.size() - PixelsAt)
    Invalid("the pixel data ends early");

  TDecoded D;
  D.Width = Width;
  D.Height = Height;
  D.Pixels.resize(static_cast<size_t>(Width) * Height);
  for (int Y = 0; Y < Height; ++Y) {
    const size_t Row = PixelsAt + Stride * static_cast<size_t>(TopDown ? Y : Height - 1 - Y);
    for (int X = 0; X < Width; ++X) {
      TRGBA& P = D.Pixels[static_cast<size_t>(Y) * Width + X];
      if (BitCount >= 24) {
        const size_t At = Row + static_cast<size_t>(X) * (BitCount / 8);
        P = {static_cast<uint8_t>(R.U8(At + 2)), static_cast<uint8_t>(R.U8(At + 1)),
             static_cast<uint8_t>(R.U8(At)), 255};
        continue;
      }
      const size_t Bit = static_cast<size_t>(X) * BitCount;
      const uint32_t Index =
          (R.U8(Row + Bit / 8) >> (8 - BitCount - Bit % 8)) & ((1u << BitCount) - 1);
      // An index past a short colour table shows black rather than stray memory.
      P = Index < Palette.size() ? Palette[Index] : TRGBA{0, 0, 0, 255};
    }
  }
  return D;
}

void Put16(std::string& Out, uint32_t V) {
  Out += static_cast<char>(V & 0xFF);
  Out += static_cast<char>((V >> 8) & 0xFF);
}
void Put32(std::string& Out, uint32_t V) {
  Put16(Out, V & 0xFFFF);
  Put16(Out, V >> 16);
}

// The index of P in the standard 16-colour palette, or -1.
int StandardIndex(TRGBA P) {
  const TColor C = RGBAToColor(P);
  for (int I = 0; I < 16; ++I)
    if (StandardPalette16[I] == C) return I;
  return -1;
}

// A 4-byte little-endian length, then that many bytes.
std::string_view LengthPrefixed(std::string_view Data) {
  const TBytes R(Data);
  const uint32_t Length = R.U32(0);
  if (Length != Data.size() - 4) Invalid("the stored length does not match the data");
  return Data.substr(4);
}

// A bitmap's Data: the file with its length before it.
std::string LengthPrefixedFile(const TBitmap& B) {
  std::string File = B.SaveToData();
  if (File.empty()) return File;
  std::string Out;
  Put32(Out, static_cast<uint32_t>(File.size()));
  return Out + File;
}

}  // namespace

// ---- bitmap -------------------------------------------------------------

void TBitmap::LoadFromData(std::string_view Data) {
  const TBytes R(Data);
  if (Data.size() < FileHeaderSize || Data[0] != 'B' || Data[1] != 'M')
    Invalid("not a bitmap file");
  const uint32_t Offset = R.U32(10);
  if (Offset < FileHeaderSize) Invalid("bad offset of the pixel data");
  TDecoded D = DecodeDIB(Data.substr(FileHeaderSize), Offset - FileHeaderSize);
  FWidth = D.Width;
  FHeight = D.Height;
  FPixels = std::move(D.Pixels);
  if (OnChange) OnChange();
}

void TBitmap::LoadFromDIB(std::string_view Data) {
  TDecoded D = DecodeDIB(Data, 0);
  FWidth = D.Width;
  FHeight = D.Height;
  FPixels = std::move(D.Pixels);
  if (OnChange) OnChange();
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, std::string_view Name) {
  LoadFromDIB(LoadResource(Instance, RT_BITMAP, Name));
}

std::string TBitmap::SaveToData() const {
  if (Empty()) return std::string();
  const bool Paletted =
      std::all_of(FPixels.begin(), FPixels.end(), [](TRGBA P) { return StandardIndex(P) >= 0; });
  const int BitCount = Paletted ? 4 : 24;
  const size_t Stride = ((static_cast<size_t>(FWidth) * BitCount + 31) / 32) * 4;
  const size_t PaletteSize = Paletted ? 16 * 4 : 0;
  const size_t Offset = FileHeaderSize + InfoHeaderSize + PaletteSize;
  const size_t ImageSize = Stride * FHeight;

  std::string Out = "BM";
  Put32(Out, static_cast<uint32_t>(Offset + ImageSize));
  Put32(Out, 0);
  Put32(Out, static_cast<uint32_t>(Offset));
  for (uint32_t V :
       {uint32_t{InfoHeaderSize}, static_cast<uint32_t>(FWidth), static_cast<uint32_t>(FHeight)})
    Put32(Out, V);
  Put16(Out, 1);
  Put16(Out, static_cast<uint32_t>(BitCount));
  for (uint32_t V : {0u, static_cast<uint32_t>(ImageSize), 0u, 0u, 0u, 0u}) Put32(Out, V);
  if (Paletted)
    for (TColor C : StandardPalette16)
      Put32(Out, static_cast<uint32_t>(((C & 0xFF) << 16) | (C & 0xFF00) | ((C >> 16) & 0xFF)));
  for (int Y = FHeight - 1; Y >= 0; --Y) {  // bottom-up
    std::string Row;
    for (int X = 0; X < FWidth; ++X) {
      const TRGBA P = Pixel(X, Y);
      if (!Paletted) {
        Row += static_cast<char>(P.B);
        Row += static_cast<char>(P.G);
        Row += static_cast<char>(P.R);
      } else if (X % 2 == 0) {
        Row += static_cast<char>(StandardIndex(P) << 4);
      } else {
        Row.back() = static_cast<char>(Row.back() | StandardIndex(P));
      }
    }
    Row.resize(Stride, '\0');
    Out += Row;
  }
  return Out;
}

const TClassInfo* TBitmap::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TBitmap>("TBitmap", nullptr)
                                     .Binary("Data", LengthPrefixedFile,
                                             [](TBitmap& B, const std::string& V) {
                                               if (V.empty()) {
                                                 B.SetSize(0, 0);
                                                 if (B.OnChange) B.OnChange();
                                                 return;
                                               }
                                               B.LoadFromData(LengthPrefixed(V));
                                             })
                                     .Build();
  return &Info;
}

// ---- icon ---------------------------------------------------------------

std::string TIcon::SaveToData() const {
  if (!FHandle || Empty()) return std::string();
  const TIconImage& I = *FHandle;
  const size_t MaskStride = ((static_cast<size_t>(I.Width) + 31) / 32) * 4;
  const size_t ImageSize =
      InfoHeaderSize + static_cast<size_t>(I.Width) * I.Height * 4 + MaskStride * I.Height;
  std::string Out;
  for (uint32_t V : {0u, 1u, 1u}) Put16(Out, V);  // an icon file with one image
  Out += static_cast<char>(I.Width < 256 ? I.Width : 0);
  Out += static_cast<char>(I.Height < 256 ? I.Height : 0);
  Out += '\0';  // no colour table
  Out += '\0';
  Put16(Out, 1);
  Put16(Out, 32);
  Put32(Out, static_cast<uint32_t>(ImageSize));
  Put32(Out, 6 + 16);
  for (uint32_t V : {uint32_t{InfoHeaderSize}, static_cast<uint32_t>(I.Width),
                     static_cast<uint32_t>(I.Height * 2)})
    Put32(Out, V);
  Put16(Out, 1);
  Put16(Out, 32);
  for (int K = 0; K < 6; ++K) Put32(Out, 0);
  for (int Y = I.Height - 1; Y >= 0; --Y)
    for (int X = 0; X < I.Width; ++X) {
      const TRGBA P = I.Pixel(X, Y);
      Out += static_cast<char>(P.B);
      Out += static_cast<char>(P.G);
      Out += static_cast<char>(P.R);
      Out += static_cast<char>(P.A);
    }
  for (int Y = I.Height - 1; Y >= 0; --Y) {
    std::string Row(MaskStride, '\0');
    for (int X = 0; X < I.Width; ++X)
      if (I.Pixel(X, Y).A == 0) Row[X / 8] = static_cast<char>(Row[X / 8] | (0x80 >> (X % 8)));
    Out += Row;
  }
  return Out;
}

// ---- picture ------------------------------------------------------------

std::string TPicture::Data() const {
  if (FGraphic == nullptr || FGraphic->Empty()) return std::string();
  const std::string Name = FGraphic->ClassName();
  std::string Out(1, static_cast<char>(Name.size()));
  Out += Name;
  if (auto* B = dynamic_cast<const TBitmap*>(FGraphic.get())) return Out + LengthPrefixedFile(*B);
  if (auto* I = dynamic_cast<const TIcon*>(FGraphic.get())) return Out + I->SaveToData();
  throw EInvalidGraphic("Cannot store a picture of class " + Name);
}

void TPicture::SetData(const std::string& Value) {
  if (Value.empty()) {
    FGraphic.reset();
    return;
  }
  const size_t NameLength = static_cast<uint8_t>(Value[0]);
  if (Value.size() < 1 + NameLength) Invalid("the picture data ends early");
  const std::string Name = Value.substr(1, NameLength);
  const std::string_view Rest = std::string_view(Value).substr(1 + NameLength);
  if (Name == "TBitmap") {
    auto B = std::make_unique<TBitmap>();
    B->LoadFromData(LengthPrefixed(Rest));
    FGraphic = std::move(B);
  } else if (Name == "TIcon") {
    auto I = std::make_unique<TIcon>();
    I->LoadFromData(Rest);
    FGraphic = std::move(I);
  } else {
    throw EInvalidGraphic("Unknown picture format " + Name);
  }
}

const TClassInfo* TPicture::StaticClassInfo() {
  static const TClassInfo Info = TClassBuilder<TPicture>("TPicture", nullptr)
                                     .Binary("Data", &TPicture::Data, &TPicture::SetData)
                                     .Build();
  return &Info;
}

}  // namespace rtl
