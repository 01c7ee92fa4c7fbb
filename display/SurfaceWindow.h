// Clipping, and the clipped rectangle of a surface as addresses into its
// memory (DisplayDevice::OpenWindow makes one). All edge and address
// arithmetic is done in 64 bits: a destination may lie anywhere in the 32-bit
// plane, and only the clipped result has to fit a real surface.
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

// A coordinate worked out in 64 bits, saturated to the 32 bits a RECT holds.
// Inline: every draw places and clips with it.
inline int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(value > INT32_MAX ? INT32_MAX : (value < INT32_MIN ? INT32_MIN : value));
}

// a + b saturated as ClampToInt32(int64_t{a} + b) has it, in an add and a
// branch: every draw places its frame with it.
inline int32_t AddSaturated(int32_t a, int32_t b) {
    int32_t sum;
    if (__builtin_expect(__builtin_add_overflow(a, b, &sum), 0)) {
        return b > 0 ? INT32_MAX : INT32_MIN;
    }
    return sum;
}

// side + amount, wrapped to 32 bits: a companion's sides are 32-bit RECT
// fields, and a move past their range wraps rather than saturates.
inline LONG MoveSide(LONG side, int64_t amount) {
    return static_cast<LONG>(static_cast<uint32_t>(static_cast<int64_t>(side) + amount));
}

// Clips rect to bounds side by side; every side of companion (when given) moves
// by the same signed amount as the side of rect. Returns companion. Inline:
// every draw clips with it.
inline RECT* ClipRect(RECT* rect, RECT* companion, RECT bounds) {
    if (rect->left < bounds.left) {
        if (companion != nullptr) {
            companion->left = MoveSide(companion->left, static_cast<int64_t>(bounds.left) - rect->left);
        }
        rect->left = bounds.left;
    }
    if (rect->top < bounds.top) {
        if (companion != nullptr) {
            companion->top = MoveSide(companion->top, static_cast<int64_t>(bounds.top) - rect->top);
        }
        rect->top = bounds.top;
    }
    if (rect->right > bounds.right) {
        if (companion != nullptr) {
            companion->right = MoveSide(companion->right, static_cast<int64_t>(bounds.right) - rect->right);
        }
        rect->right = bounds.right;
    }
    if (rect->bottom > bounds.bottom) {
        if (companion != nullptr) {
            companion->bottom = MoveSide(companion->bottom, static_cast<int64_t>(bounds.bottom) - rect->bottom);
        }
        rect->bottom = bounds.bottom;
    }
    return companion;
}
