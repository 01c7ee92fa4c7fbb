// RGB565 arithmetic through one 32x32 table of 5-bit products.
#pragma once

#include "platform/Platform.h"
#include "platform/Rgb565.h" // ColorToPixel, for the draws

#include <cstdint>

// T[a][b] = floor(64 * a * b / 255): channel value a taken at weight b.
extern uint8_t BlendTable[32][32];

void BuildBlendTable();

// source over destination, the source at weight (0-31), the destination at 31 - weight.
// A weight outside 0-31 is taken as the nearest end.
uint16_t BlendPixel(uint16_t source, uint16_t destination, int weight);
