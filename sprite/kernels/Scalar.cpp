// The reference kernels: the pixel rules applied one pixel at a time.
#include "sprite/PixelRules.h"
#include "sprite/kernels/Kernels.h"

namespace {

// Every pixel of the draw's rows through rule(d, s, alpha byte), which gets
// 255 for routines that read no alpha.
template <bool kReadsAlpha, typename Rule> void EachPixel(const PixelRows& rows, Rule rule) {
    uint8_t* destination = rows.destination;
    const uint8_t* source = rows.source;
    const uint8_t* alpha = rows.alpha;
    for (int y = 0; y < rows.height; ++y) {
        for (int i = 0; i < rows.width; ++i) {
            StorePixel(destination + 2 * i,
                       rule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), kReadsAlpha ? alpha[i] : 255));
        }
        destination += rows.destinationPitch;
        source += rows.sourcePitch;
        alpha += kReadsAlpha ? rows.alphaPitch : 0;
    }
}

void KeyedRows(const PixelRows& rows, uint16_t colorKey) {
    EachPixel<false>(rows, [=](uint16_t d, uint16_t s, uint8_t) { return KeyedRule(d, s, colorKey); });
}

void AlphaRows(const PixelRows& rows, uint16_t colorKey) {
    EachPixel<true>(rows, [=](uint16_t d, uint16_t s, uint8_t a) { return AlphaRule(d, s, a, colorKey); });
}

void TranslucentRows(const PixelRows& rows, uint16_t colorKey, int weight) {
    EachPixel<false>(rows, [=](uint16_t d, uint16_t s, uint8_t) { return TranslucentRule(d, s, weight, colorKey); });
}

void TintedRows(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight) {
    EachPixel<true>(rows,
                    [=](uint16_t d, uint16_t s, uint8_t a) { return TintedRule(d, s, a, colorKey, tint, tintWeight); });
}

void TintedOpaqueRows(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight) {
    EachPixel<false>(
        rows, [=](uint16_t d, uint16_t s, uint8_t a) { return TintedRule(d, s, a, colorKey, tint, tintWeight); });
}

// The draws walk the plan themselves for this set (SpriteDraw.cpp); a vector
// set's draw handed down here for its short rows is drawn whole.
void AlphaSpansRows(const PixelRows& rows, uint16_t colorKey, const SpanRows&) {
    AlphaRows(rows, colorKey);
}

} // namespace

const RowKernels g_scalarKernels = {"scalar",   KeyedRows,        AlphaRows,     TranslucentRows,
                                    TintedRows, TintedOpaqueRows, AlphaSpansRows};
