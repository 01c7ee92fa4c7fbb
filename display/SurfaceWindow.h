// Clipping in 64-bit arithmetic, and the clipped rectangle of a surface as
// addresses into its memory (DisplayDevice::OpenWindow makes one).
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// The clipped destination rectangle of a surface, as addresses into its memory.
// Rows start at firstRow, firstRow + pitch, ... while before endRow; each row is
// rowBytes long. Empty when rowBytes <= 0 or firstRow >= endRow.
struct SurfaceWindow {
    uint8_t* base;
    uint8_t* firstRow;
    int32_t rowBytes;
    int32_t pitch;
    uint8_t* endRow;
};

// Clips rect to bounds side by side; every side of companion (when given) moves
// by the same signed amount as the side of rect. Returns companion.
RECT* ClipRect(RECT* rect, RECT* companion, RECT bounds);

// A coordinate worked out in 64 bits, saturated to the 32 bits a RECT holds.
// Inline: every draw places and clips with it.
inline int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : value));
}
