// SPDX-License-Identifier: MIT
// The .ico reader on arbitrary bytes: it refuses with EInvalidGraphic or
// returns an image whose pixels and colour table fit its header.
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "rtl/ui/graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  // Byte 0: the size asked for.
  if (Size == 0) return 0;
  const int Preferred = Data[0];
  const std::string_view Bytes(reinterpret_cast<const char*>(Data + 1), Size - 1);
  try {
    const rtl::TIconImage Image = rtl::DecodeIcon(Bytes, Preferred);
    FUZZ_CHECK(Image.Width > 0 && Image.Height > 0);
    FUZZ_CHECK(Image.Pixels.size() == static_cast<size_t>(Image.Width) * Image.Height);
    const int Bits = Image.BitCount;
    FUZZ_CHECK(Bits == 1 || Bits == 4 || Bits == 8 || Bits == 24 || Bits == 32);
    if (Bits <= 8) FUZZ_CHECK(Image.Palette.size() <= (size_t{1} << Bits));
  } catch (const rtl::EInvalidGraphic&) {
  }
  return 0;
}
