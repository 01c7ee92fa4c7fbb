// RGB565 arithmetic through one 32x32 table of 5-bit products.
#pragma once

#include "platform/Platform.h"
#include "platform/Rgb565.h" // ColorToPixel, for the draws

#include <cstdint>

// T[a][b] = BlendEntry(a, b): channel value a taken at weight b.
extern uint8_t BlendTable[32][32];

// floor(64 * a * b / 255), by integer division on purpose: a floating 1/255
// that comes out a hair small turns the exact multiples (15 x 17, 17 x 30)
// into 63 and 127. For callers that need an entry before the table is built.
constexpr int BlendEntry(int a, int b) {
    return 64 * a * b / 255;
}

void BuildBlendTable();

// source over destination, the source at weight (0-31), the destination at 31 - weight.
// A weight outside 0-31 is taken as the nearest end.
uint16_t BlendPixel(uint16_t source, uint16_t destination, int weight);
