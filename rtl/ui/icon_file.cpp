// SPDX-License-Identifier: MIT
// Decoding of icon files (.ico): a directory of images, each a bottom-up
// device-independent bitmap of twice the icon's height (the colour rows, then
// a one-bit AND mask in which a set bit marks a transparent pixel).
#include <cstring>
#include <limits>

#include "rtl/ui/graphics.h"

namespace rtl {

namespace {

[[noreturn]] void Invalid(const char* Why) {
  throw EInvalidGraphic(std::string("Invalid icon: ") + Why);
}

// Little-endian reads that never leave the data.
class TReader {
 public:
  explicit TReader(std::string_view Data) : FData(Data) {}
  uint32_t U8(size_t At) const { return Byte(At); }
  uint32_t U16(size_t At) const { return Byte(At) | Byte(At + 1) << 8; }
  uint32_t U32(size_t At) const { return U16(At) | U16(At + 2) << 16; }
  int32_t I32(size_t At) const { return static_cast<int32_t>(U32(At)); }
  bool Has(size_t At, size_t Count) const {
    return At <= FData.size() && Count <= FData.size() - At;
  }

 private:
  uint32_t Byte(size_t At) const {
    if (At >= FData.size()) Invalid("data ends early");
    return static_cast<uint8_t>(FData[At]);
  }
  std::string_view FData;
};

struct TEntry {
  int Width, Height, BitCount;
  uint32_t Size, Offset;
};

TEntry PickEntry(const TReader& R, int PreferredSize) {
  if (R.U16(0) != 0 || (R.U16(2) != 1 && R.U16(2) != 2)) Invalid("not an icon file");
  const uint32_t Count = R.U16(4);
  if (Count == 0) Invalid("no images");
  TEntry Best{};
  int BestDistance = std::numeric_limits<int>::max();
  for (uint32_t I = 0; I < Count; ++I) {
    const size_t At = 6 + 16 * I;
    TEntry E{R.U8(At) == 0 ? 256 : static_cast<int>(R.U8(At)),
             R.U8(At + 1) == 0 ? 256 : static_cast<int>(R.U8(At + 1)),
             static_cast<int>(R.U16(At + 6)), R.U32(At + 8), R.U32(At + 12)};
    const int Distance = std::abs(E.Width - PreferredSize) + std::abs(E.Height - PreferredSize);
    if (Distance < BestDistance || (Distance == BestDistance && E.BitCount > Best.BitCount)) {
      Best = E;
      BestDistance = Distance;
    }
  }
  if (!R.Has(Best.Offset, Best.Size)) Invalid("image lies outside the file");
  return Best;
}

struct THeader {
  uint32_t Size;
  int Width, Height, BitCount;
  uint32_t Colours;
};

THeader ReadHeader(const TReader& R) {
  static const char Png[] = "\x89PNG";
  if (R.Has(0, 4) && R.U32(0) == (static_cast<uint8_t>(Png[0]) | 'P' << 8 | 'N' << 16 | 'G' << 24))
    Invalid("compressed (PNG) images are not supported");
  THeader H{R.U32(0), R.I32(4), R.I32(8) / 2, static_cast<int>(R.U16(14)), R.U32(32)};
  if (H.Size < 40) Invalid("unknown bitmap header");
  if (H.Width <= 0 || H.Width > 256 || H.Height <= 0 || H.Height > 256) Invalid("bad size");
  if (R.U32(16) != 0) Invalid("compressed bitmaps are not supported");
  switch (H.BitCount) {
    case 1:
    case 4:
    case 8:
      if (H.Colours == 0 || H.Colours > (1u << H.BitCount)) H.Colours = 1u << H.BitCount;
      break;
    case 24:
    case 32:
      H.Colours = 0;
      break;
    default:
      Invalid("unsupported colour depth");
  }
  return H;
}

TRGBA ColourAt(const TReader& R, const TIconImage& Icon, size_t Row, int X) {
  const int Bits = Icon.BitCount;
  if (Bits >= 24) {
    const size_t At = Row + static_cast<size_t>(X) * (Bits / 8);
    return {static_cast<uint8_t>(R.U8(At + 2)), static_cast<uint8_t>(R.U8(At + 1)),
            static_cast<uint8_t>(R.U8(At)), static_cast<uint8_t>(Bits == 32 ? R.U8(At + 3) : 255)};
  }
  const size_t Bit = static_cast<size_t>(X) * Bits;
  const uint32_t Index = (R.U8(Row + Bit / 8) >> (8 - Bits - Bit % 8)) & ((1u << Bits) - 1);
  // An index past a short colour table shows black rather than stray memory.
  TRGBA P = Index < Icon.Palette.size() ? ColorToRGBA(Icon.Palette[Index]) : TRGBA{0, 0, 0, 255};
  return P;
}

}  // namespace

TIconImage DecodeIcon(std::string_view Data, int PreferredSize) {
  const TEntry Entry = PickEntry(TReader(Data), PreferredSize);
  const TReader R(Data.substr(Entry.Offset, Entry.Size));
  const THeader H = ReadHeader(R);

  TIconImage Icon;
  Icon.Width = H.Width;
  Icon.Height = H.Height;
  Icon.BitCount = H.BitCount;
  const size_t ColourStride = ((static_cast<size_t>(H.Width) * H.BitCount + 31) / 32) * 4;
  const size_t MaskStride = ((static_cast<size_t>(H.Width) + 31) / 32) * 4;
  const size_t ColourStart = H.Size + 4 * static_cast<size_t>(H.Colours);
  const size_t MaskStart = ColourStart + ColourStride * H.Height;
  if (!R.Has(MaskStart, MaskStride * H.Height)) Invalid("image data ends early");

  for (uint32_t I = 0; I < H.Colours; ++I) {
    const size_t At = H.Size + 4 * I;
    Icon.Palette.push_back(static_cast<TColor>(R.U8(At + 2) | R.U8(At + 1) << 8 | R.U8(At) << 16));
  }
  Icon.Pixels.resize(static_cast<size_t>(H.Width) * H.Height);
  bool AnyAlpha = false;
  for (int Y = 0; Y < H.Height; ++Y) {
    const size_t Stored = static_cast<size_t>(H.Height - 1 - Y);  // rows are bottom-up
    for (int X = 0; X < H.Width; ++X) {
      TRGBA P = ColourAt(R, Icon, ColourStart + Stored * ColourStride, X);
      AnyAlpha = AnyAlpha || (H.BitCount == 32 && P.A != 0);
      Icon.Pixels[static_cast<size_t>(Y) * H.Width + X] = P;
    }
  }
  // Images with an alpha channel take their transparency from it; the others
  // (and 32-bit images whose alpha is all zero) from the AND mask.
  if (!AnyAlpha) {
    for (int Y = 0; Y < H.Height; ++Y) {
      const size_t Row = MaskStart + static_cast<size_t>(H.Height - 1 - Y) * MaskStride;
      for (int X = 0; X < H.Width; ++X) {
        const bool Transparent = (R.U8(Row + X / 8) >> (7 - X % 8)) & 1;
        Icon.Pixels[static_cast<size_t>(Y) * H.Width + X].A = Transparent ? 0 : 255;
      }
    }
  }
  return Icon;
}

HICON LoadIconA(HINSTANCE Instance, std::string_view Name) {
  const TResourceEntry* E = FindResource(Instance, RT_GROUP_ICON, Name);
  if (E == nullptr) return nullptr;
  return std::make_shared<const TIconImage>(
      DecodeIcon({reinterpret_cast<const char*>(E->Data), E->Size}, 32));
}

}  // namespace rtl
