// SPDX-License-Identifier: MIT
// The text form parser on arbitrary text: it refuses with EParserError, or
// gives a tree whose written text parses back to the same text.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "rtl/core/form_parser.h"
#include "rtl/core/form_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  rtl::TFormObject Tree;
  try {
    Tree = rtl::ParseFormText(Text);
  } catch (const rtl::EParserError& E) {
    FUZZ_CHECK(E.Line() >= 1);
    return 0;
  }
  std::string Written;
  try {
    Written = rtl::FormTreeToText(Tree);
  } catch (const rtl::EWriteError&) {
    return 0;  // a value with no text form, such as an infinite number
  }
  const std::string Again = rtl::FormTreeToText(rtl::ParseFormText(Written));
  FUZZ_CHECK(Again == Written);
  return 0;
}
