#include "display/DisplayDevice.h"

#include <cstring>

bool DisplayDevice::DrawOutlinedText(LPDIRECTDRAWSURFACE7& surfaceField, int16_t x, int16_t y, COLORREF textColour,
                                     COLORREF outlineColour, const char* text) {
    HDC dc = nullptr;
    if (surfaceField->GetDC(&dc) != DD_OK || dc == nullptr) {
        return true;
    }
    const int length = static_cast<int>(std::strlen(text));
    const int left = x; // widened before the offsets, so they never wrap at 16 bits
    const int top = y;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, outlineColour);
    TextOutA(dc, left - 1, top, text, length);
    TextOutA(dc, left + 1, top, text, length);
    TextOutA(dc, left, top - 1, text, length);
    TextOutA(dc, left, top + 1, text, length);
    // The centre copy last, so it wins wherever it has a glyph pixel.
    SetTextColor(dc, textColour);
    TextOutA(dc, left, top, text, length);
    surfaceField->ReleaseDC(dc);
    return true;
}
