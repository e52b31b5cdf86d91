// SPDX-License-Identifier: MIT
// The user.DOSATTRIB reader on arbitrary attribute values: whatever it takes
// from a value, the form this layer writes gives back the same word.
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz_check.h"
#include "rtl/files/posix/dosattrib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view Value(reinterpret_cast<const char*>(Data), Size);
  const std::optional<uint32_t> Attr = rtl::posix::ParseDosAttrib(Value);
  if (!Attr) return 0;
  const std::optional<uint32_t> Again =
      rtl::posix::ParseDosAttrib(rtl::posix::FormatDosAttrib(*Attr));
  FUZZ_CHECK(Again && *Again == *Attr);
  return 0;
}
