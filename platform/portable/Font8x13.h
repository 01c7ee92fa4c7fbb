// The fixed 8x13 bitmap font of the portable text output: printable ASCII
// (32-126), one byte a row, bit 7 the leftmost pixel.
#pragma once

#include <cstdint>

constexpr int kFontWidth = 8;
constexpr int kFontHeight = 13;
constexpr int kFontFirstChar = 32;
constexpr int kFontGlyphCount = 95;

extern const uint8_t kFont8x13[kFontGlyphCount][kFontHeight];
