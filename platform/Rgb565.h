// Packing 8-bit colour channels into an RGB565 word, the one definition for
// the system code, the portable layer's text output and the tools. It lives
// here because the portable layer may include nothing of the system code,
// while everything may include a platform header; it needs no platform
// header itself, so the Windows build takes it as it is.
#pragma once

#include <cstdint>

// The high 5, 6 and 5 bits of red, green and blue.
inline uint16_t PackRgb565(unsigned red, unsigned green, unsigned blue) {
    return static_cast<uint16_t>(((red & 0xFF) >> 3) << 11 | ((green & 0xFF) >> 2) << 5 | (blue & 0xFF) >> 3);
}

// A COLORREF (0x00BBGGRR) to RGB565; the top byte is ignored.
inline uint16_t ColorToPixel(uint32_t colour) {
    return PackRgb565(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
