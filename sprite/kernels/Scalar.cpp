// The reference kernels: the pixel rules applied one pixel at a time.
#include "platform/Rgb565.h" // WidenRow
#include "sprite/PixelRules.h"
#include "sprite/kernels/Kernels.h"

namespace {

void KeyedRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i, KeyedRule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), colorKey));
    }
}

void AlphaRow(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i,
                   AlphaRule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), alpha[i], colorKey));
    }
}

void TranslucentRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, int weight) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i,
                   TranslucentRule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), weight, colorKey));
    }
}

void TintedRow(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey,
               uint16_t tint, int tintWeight) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i, TintedRule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), alpha[i],
                                                   colorKey, tint, tintWeight));
    }
}

void TintedOpaqueRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, uint16_t tint,
                     int tintWeight) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i, TintedRule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), 255,
                                                   colorKey, tint, tintWeight));
    }
}

} // namespace

// Widening, for the screens: the reference itself.
namespace {

void WidenScalarRow(uint8_t* wide, const uint8_t* source, int count, WideOrder order) {
    WidenRow(source, count, wide, order);
}

} // namespace

const RowKernels g_scalarKernels = {"scalar",  KeyedRow,        AlphaRow,      TranslucentRow,
                                    TintedRow, TintedOpaqueRow, WidenScalarRow};
