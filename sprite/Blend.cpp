// RGB565 blending through a 32x32 table of 5-bit products: no multiplication
// per pixel, and the exact rounding every drawn pixel depends on.
#include "sprite/Blend.h"

uint8_t BlendTable[32][32];

void BuildBlendTable() {
    for (int a = 0; a < 32; ++a) {
        for (int b = 0; b < 32; ++b) {
            BlendTable[a][b] = static_cast<uint8_t>(BlendEntry(a, b));
        }
    }
}

uint16_t BlendPixel(uint16_t source, uint16_t destination, int weight) {
    // Out-of-range weights must never index past the table.
    weight = weight < 0 ? 0 : (weight > 31 ? 31 : weight);
    const int rest = 31 - weight;
    // Each sum is at most 241, so no channel carries into the next.
    const unsigned red = BlendTable[source >> 11][weight] + BlendTable[destination >> 11][rest];
    const unsigned green = BlendTable[(source >> 6) & 31][weight] + BlendTable[(destination >> 6) & 31][rest];
    const unsigned blue = BlendTable[source & 31][weight] + BlendTable[destination & 31][rest];
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}
