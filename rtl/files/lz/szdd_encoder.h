// SPDX-License-Identifier: MIT
// An SZDD compressor (mode 'A'), for tests and tools that need compressed
// input. Its output expands with LZCopy and with other SZDD expanders.
#pragma once

#include <string>
#include <string_view>

#include "rtl/files/export.h"

namespace rtl {

// Compresses Data with LZ77 matches of 3..18 bytes over the 4096-byte window,
// including the spaces the window starts with. MissingChar is recorded as the
// last character of the expanded name (0: unknown). The header's length field
// holds the low 32 bits of Data's size.
QUINDLE_RTL_FILES_EXPORT std::string SZDDCompress(std::string_view Data, char MissingChar = 0);

}  // namespace rtl
