// GDI text output on a surface's device context, with the fixed 8x13 font.
#include "Font8x13.h"
#include "Screen.h"
#include "platform/Rgb565.h"

int SetBkMode(HDC dc, int mode) {
    if (dc == nullptr || (mode != TRANSPARENT && mode != OPAQUE)) {
        return 0;
    }
    int previous = dc->backgroundMode;
    dc->backgroundMode = mode;
    return previous;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (dc == nullptr) {
        return 0xFFFFFFFFu; // CLR_INVALID
    }
    COLORREF previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}

// Only transparent output is drawn: glyph pixels in the text colour, nothing
// else touched. The cell's top-left is at (x, y); glyphs are clipped to the
// surface pixel by pixel.
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    if (dc == nullptr || dc->surface == nullptr || dc->surface->pixels == nullptr || text == nullptr || length < 0) {
        return FALSE;
    }
    IDirectDrawSurface7* surface = dc->surface;
    const uint16_t pixel = ColorToPixel(dc->textColour);
    for (int i = 0; i < length; ++i) {
        const int code = static_cast<unsigned char>(text[i]);
        const int64_t cellLeft = static_cast<int64_t>(x) + static_cast<int64_t>(i) * kFontWidth;
        if (code < kFontFirstChar || code >= kFontFirstChar + kFontGlyphCount || cellLeft >= surface->width) {
            continue;
        }
        const uint8_t* glyph = kFont8x13[code - kFontFirstChar];
        for (int row = 0; row < kFontHeight; ++row) {
            const int64_t py = static_cast<int64_t>(y) + row;
            if (py < 0 || py >= surface->height) {
                continue;
            }
            uint16_t* line = reinterpret_cast<uint16_t*>(surface->pixels + py * surface->pitch);
            for (int col = 0; col < kFontWidth; ++col) {
                const int64_t px = cellLeft + col;
                if ((glyph[row] & (0x80 >> col)) && px >= 0 && px < surface->width) {
                    line[px] = pixel;
                }
            }
        }
    }
    return TRUE;
}
