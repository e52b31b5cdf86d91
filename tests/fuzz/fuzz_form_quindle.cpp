// SPDX-License-Identifier: MIT
// Arbitrary text read into a TQuindle: a refused text changes nothing, and an
// accepted one leaves a component whose form file reads back the same.
#include <cstdint>
#include <string>

#include "engine/form_file.h"
#include "engine/quindle.h"
#include "fuzz_check.h"
#include "rtl/core/form_parser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  quindle::RegisterQuindleClasses();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  quindle::TQuindle Quindle(nullptr);
  Quindle.SetName("Quindle1");
  const std::string Before = quindle::WriteQuindleForm(Quindle);
  try {
    quindle::ReadQuindleForm(Quindle, Text, "fuzz.qfm");
  } catch (const rtl::EParserError& E) {
    FUZZ_CHECK(E.Line() >= 0);
    FUZZ_CHECK(std::string(E.what()).rfind("fuzz.qfm: ", 0) == 0);
    FUZZ_CHECK(quindle::WriteQuindleForm(Quindle) == Before);
    return 0;
  }
  const std::string Written = quindle::WriteQuindleForm(Quindle);
  quindle::TQuindle Copy(nullptr);
  quindle::ReadQuindleForm(Copy, Written);
  FUZZ_CHECK(quindle::WriteQuindleForm(Copy) == Written);
  return 0;
}
