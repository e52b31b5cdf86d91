// SPDX-License-Identifier: MIT
// Layout of the SZDD format shared by the expander and the encoder.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rtl::szdd {

// "SZDD" 0x88 0xF0 0x27 0x33, mode byte, missing last character of the name,
// expanded length (32-bit little-endian).
constexpr uint8_t kMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
constexpr size_t kMagicSize = sizeof(kMagic);
constexpr size_t kModeOffset = 8;
constexpr size_t kMissingCharOffset = 9;
constexpr size_t kLengthOffset = 10;
constexpr size_t kHeaderSize = 14;
constexpr uint8_t kModeA = 'A';

// Sliding window: 4096 bytes, all spaces at the start; the first byte of output
// goes to position 4096 - 16.
constexpr uint32_t kWindowSize = 4096;
constexpr uint32_t kWindowMask = kWindowSize - 1;
constexpr uint32_t kStartPos = kWindowSize - 16;
constexpr uint8_t kFill = ' ';

// A match token is two bytes: 12-bit window position, 4-bit length - 3.
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 18;
// One control byte announces eight tokens.
constexpr size_t kMaxGroupInput = 1 + 8 * 2;
constexpr size_t kMaxGroupOutput = 8 * kMaxMatch;

}  // namespace rtl::szdd
