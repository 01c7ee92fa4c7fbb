// Packing 8-bit colour channels into an RGB565 word and widening it back, the
// one definition for the system code, the portable layer (text output, the
// web screen's canvas) and the tools. It lives here because the portable
// layer may include nothing of the system code, while everything may include
// a platform header; it needs no platform header itself, so the Windows build
// takes it as it is.
#pragma once

#include "platform/LittleEndian.h"
#include "platform/Widen.h" // WideOrder

#include <cstdint>

// The high 5, 6 and 5 bits of red, green and blue.
inline uint16_t PackRgb565(unsigned red, unsigned green, unsigned blue) {
    return static_cast<uint16_t>(((red & 0xFF) >> 3) << 11 | ((green & 0xFF) >> 2) << 5 | (blue & 0xFF) >> 3);
}

// A COLORREF (0x00BBGGRR) to RGB565; the top byte is ignored.
inline uint16_t ColorToPixel(uint32_t colour) {
    return PackRgb565(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

// RGB565 to 8-bit channels. Widening replicates the top bits into the low
// ones (r8 = r5 << 3 | r5 >> 2), so PackRgb565 of the result gives the word
// back and 0 and 31 become 0 and 255.
inline void UnpackRgb565(uint16_t pixel, uint8_t& r, uint8_t& g, uint8_t& b) {
    const unsigned r5 = pixel >> 11, g6 = (pixel >> 5) & 63, b5 = pixel & 31;
    r = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
    g = static_cast<uint8_t>((g6 << 2) | (g6 >> 4));
    b = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
}

// count little-endian RGB565 words (at any alignment) as four bytes each,
// red, green, blue and 255 in the given order: the reference the row
// kernels' widening matches. Each pixel is read before any of its bytes is
// written: wide may alias anything, so a store between the reads would make
// the compiler read again.
inline void WidenRow(const uint8_t* pixels, int count, uint8_t* wide, WideOrder order) {
    const int red = order == WideOrder::Rgba ? 0 : 2;
    for (int i = 0; i < count; ++i, wide += 4) {
        uint8_t r, g, b;
        UnpackRgb565(LoadLe16(pixels + 2 * i), r, g, b);
        wide[red] = r;
        wide[1] = g;
        wide[2 - red] = b;
        wide[3] = 255;
    }
}
