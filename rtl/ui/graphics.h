// SPDX-License-Identifier: MIT
// Colours, bitmaps, icons and canvases of the platform layer. Nothing here
// draws on a screen: a canvas paints into a bitmap's pixel buffer, and a
// widgetset shows the buffer as it sees fit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/core/classes.h"
#include "rtl/ui/export.h"
#include "rtl/ui/resources.h"

namespace rtl {

struct TClassInfo;

// 0x00BBGGRR for a plain colour; a system colour is clSystemColor plus the
// index of a colour the platform chooses (ColorToRGB resolves it).
using TColor = int32_t;

inline constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor SystemColor(int Index) {
  return clSystemColor | Index;
}

inline constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000,
                        clOlive = 0x008080, clNavy = 0x800000, clPurple = 0x800080,
                        clTeal = 0x808000, clGray = 0x808080, clSilver = 0xC0C0C0, clRed = 0x0000FF,
                        clLime = 0x00FF00, clYellow = 0x00FFFF, clBlue = 0xFF0000,
                        clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF,
                        clNone = 0x1FFFFFFF, clDefault = 0x20000000;

inline constexpr TColor clScrollBar = SystemColor(0), clBackground = SystemColor(1),
                        clActiveCaption = SystemColor(2), clInactiveCaption = SystemColor(3),
                        clMenu = SystemColor(4), clWindow = SystemColor(5),
                        clWindowFrame = SystemColor(6), clMenuText = SystemColor(7),
                        clWindowText = SystemColor(8), clCaptionText = SystemColor(9),
                        clActiveBorder = SystemColor(10), clInactiveBorder = SystemColor(11),
                        clAppWorkSpace = SystemColor(12), clHighlight = SystemColor(13),
                        clHighlightText = SystemColor(14), clBtnFace = SystemColor(15),
                        clBtnShadow = SystemColor(16), clGrayText = SystemColor(17),
                        clBtnText = SystemColor(18), clInactiveCaptionText = SystemColor(19),
                        clBtnHighlight = SystemColor(20), cl3DDkShadow = SystemColor(21),
                        cl3DLight = SystemColor(22), clInfoText = SystemColor(23),
                        clInfoBk = SystemColor(24);

// The plain colour behind Color: system colours take the current scheme,
// the classic desktop one (clBtnFace is silver, clWindowText black) until a
// widgetset sets its desktop's. Unknown system indexes give black.
QUINDLE_RTL_UI_EXPORT TColor ColorToRGB(TColor Color);
// Makes the system colour (clBtnFace, ...) resolve to the plain colour Color
// from now on; a widgetset calls it with its desktop's colours before it
// shows anything. Anything but a system colour of the scheme is ignored.
QUINDLE_RTL_UI_EXPORT void SetSystemColor(TColor SystemColour, TColor Color);
// "clBtnFace" <-> clBtnFace, for the named colours above (case-insensitive).
QUINDLE_RTL_UI_EXPORT bool IdentToColor(std::string_view Ident, TColor& Color);
QUINDLE_RTL_UI_EXPORT bool ColorToIdent(TColor Color, std::string& Ident);
// The name when there is one, otherwise "$00BBGGRR"; and back, also
// accepting decimal text. StringToColor raises EConvertError on bad text.
QUINDLE_RTL_UI_EXPORT std::string ColorToString(TColor Color);
QUINDLE_RTL_UI_EXPORT TColor StringToColor(std::string_view S);

// The standard 16-colour palette, index 0 (black) to 15 (white).
QUINDLE_RTL_UI_EXPORT extern const TColor StandardPalette16[16];

struct TPoint {
  int X = 0, Y = 0;
  bool operator==(const TPoint&) const = default;
};

// Right and Bottom are exclusive.
struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};
inline TRect Rect(int Left, int Top, int Right, int Bottom) {
  return {Left, Top, Right, Bottom};
}

// A pixel as the buffers hold it; A is the opacity (0 transparent).
struct TRGBA {
  uint8_t R = 0, G = 0, B = 0, A = 0;
  bool operator==(const TRGBA&) const = default;
};
QUINDLE_RTL_UI_EXPORT TRGBA ColorToRGBA(TColor Color);  // opaque
QUINDLE_RTL_UI_EXPORT TColor RGBAToColor(TRGBA Pixel);  // drops the opacity

class QUINDLE_RTL_UI_EXPORT EInvalidGraphic : public Exception {
  using Exception::Exception;
};

// One decoded image of an icon file.
struct TIconImage {
  int Width = 0;
  int Height = 0;
  int BitCount = 0;             // of the stored image: 1, 4, 8, 24 or 32
  std::vector<TColor> Palette;  // the stored colour table (paletted images)
  std::vector<TRGBA> Pixels;    // top row first; A is 0 where the mask is set
  TRGBA Pixel(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * Width + X]; }
};

// A loaded icon. Icons from resources are shared and immutable, like the
// platform's shared icons, and live as long as any holder keeps them.
using HICON = std::shared_ptr<const TIconImage>;

// The 32 x 32 image (or the nearest size) of the icon group Name of that
// module, or nullptr when the module has no such group. A group whose data
// is not a valid icon raises EInvalidGraphic (rtl/graphics.h).
QUINDLE_RTL_UI_EXPORT HICON LoadIconA(HINSTANCE Instance, std::string_view Name);

// Decodes an icon file (.ico) and returns the image whose size is nearest to
// PreferredSize (then the one with more colours). Raises EInvalidGraphic for
// data that is not a well-formed icon, and for compressed images.
QUINDLE_RTL_UI_EXPORT TIconImage DecodeIcon(std::string_view Data, int PreferredSize = 32);

class TCanvas;

// Something a canvas can draw.
class QUINDLE_RTL_UI_EXPORT TGraphic : public TPersistent {
 public:
  std::string ClassName() const override { return "TGraphic"; }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  bool Empty() const { return Width() == 0 || Height() == 0; }

 protected:
  friend class TCanvas;
  // Paints this graphic into Dest with its top-left at (X, Y); transparent
  // pixels leave Dest as it is.
  virtual void DrawOn(TCanvas& Dest, int X, int Y) const = 0;
};

class QUINDLE_RTL_UI_EXPORT TBrush {
 public:
  TColor Color = clWhite;
};

class TBitmap;

// Paints into the pixel buffer of a bitmap.
class QUINDLE_RTL_UI_EXPORT TCanvas {
 public:
  explicit TCanvas(TBitmap& Target) : FTarget(Target) {}
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TBrush Brush;

  // The whole bitmap.
  TRect ClipRect() const;
  // Fills R, cut to the clip rectangle, with the brush colour.
  void FillRect(const TRect& R);
  void Draw(int X, int Y, const TGraphic& Graphic);
  // Out-of-range reads give clNone; out-of-range writes do nothing.
  TColor Pixel(int X, int Y) const;
  void SetPixel(int X, int Y, TColor Color);
  // Blends one pixel by its opacity over the pixel at (X, Y).
  void BlendPixel(int X, int Y, TRGBA Source);

 private:
  TBitmap& FTarget;
};

// A device-independent bitmap: Width x Height opaque RGBA pixels, white when
// new. Resizing keeps the pixels that still fit; new ones are white.
class QUINDLE_RTL_UI_EXPORT TBitmap : public TGraphic {
 public:
  TBitmap();
  ~TBitmap() override;
  std::string ClassName() const override { return "TBitmap"; }
  // Publishes Data: the bitmap file preceded by its length (32 bits, little
  // endian), as layouts store a glyph (Glyph.Data = {...}).
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;

  // Reads a bitmap file (.bmp): the file header, then a device-independent
  // bitmap of 1, 4, 8, 24 or 32 bits per pixel, uncompressed, its rows
  // bottom-up or top-down. Raises EInvalidGraphic for anything else and
  // leaves the bitmap as it was.
  void LoadFromData(std::string_view Data);
  // The same without the file header, as bitmap resources hold it.
  void LoadFromDIB(std::string_view Data);
  // Reads the bitmap resource Name of that module; raises EResNotFound.
  void LoadFromResourceName(HINSTANCE Instance, std::string_view Name);
  // The bitmap as a file: 4 bits per pixel with the standard 16-colour
  // palette when every pixel is one of those colours, else 24 bits per pixel.
  std::string SaveToData() const;

  // Runs after the picture was replaced as a whole (a load or an Assign).
  std::function<void()> OnChange;

  int Width() const override { return FWidth; }
  int Height() const override { return FHeight; }
  void SetWidth(int Value) { SetSize(Value, FHeight); }
  void SetHeight(int Value) { SetSize(FWidth, Value); }
  void SetSize(int AWidth, int AHeight);

  TCanvas& Canvas() { return *FCanvas; }
  const std::vector<TRGBA>& PixelData() const { return FPixels; }
  TRGBA Pixel(int X, int Y) const { return FPixels[static_cast<size_t>(Y) * FWidth + X]; }
  TRGBA& Pixel(int X, int Y) { return FPixels[static_cast<size_t>(Y) * FWidth + X]; }

 protected:
  void DrawOn(TCanvas& Dest, int X, int Y) const override;

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<TRGBA> FPixels;
  std::unique_ptr<TCanvas> FCanvas;
};

// An icon: an image with transparent pixels. It holds a shared handle to
// its image, as loaded by LoadIconA or decoded from icon file data.
class QUINDLE_RTL_UI_EXPORT TIcon : public TGraphic {
 public:
  std::string ClassName() const override { return "TIcon"; }
  void Assign(const TPersistent* Source) override;

  int Width() const override { return FHandle ? FHandle->Width : 0; }
  int Height() const override { return FHandle ? FHandle->Height : 0; }
  const HICON& Handle() const { return FHandle; }
  void SetHandle(HICON Value) { FHandle = std::move(Value); }
  // Decodes icon file data (the 32 x 32 image, or the nearest).
  void LoadFromData(std::string_view Data);
  // An icon file holding the image at 32 bits per pixel with its mask;
  // empty for an empty icon.
  std::string SaveToData() const;

 protected:
  void DrawOn(TCanvas& Dest, int X, int Y) const override;

 private:
  HICON FHandle;
};

// Holds the graphic of an image control. Asking for the bitmap of a picture
// that holds none (or holds another kind of graphic) gives it a new, empty
// bitmap.
class QUINDLE_RTL_UI_EXPORT TPicture : public TPersistent {
 public:
  std::string ClassName() const override { return "TPicture"; }
  // Publishes Data: the graphic's class name as a length-prefixed string,
  // then the graphic's own data (a TBitmap's Data, or a TIcon's icon file),
  // as layouts store a picture (Picture.Data = {...}). Reading raises
  // EInvalidGraphic for another class or malformed data.
  static const TClassInfo* StaticClassInfo();
  const TClassInfo* ClassInfo() const override { return StaticClassInfo(); }
  void Assign(const TPersistent* Source) override;
  std::string Data() const;
  void SetData(const std::string& Value);

  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(std::unique_ptr<TGraphic> Value) { FGraphic = std::move(Value); }
  TBitmap& Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

 private:
  std::unique_ptr<TGraphic> FGraphic;
};

}  // namespace rtl
