// What each draw routine does to one destination pixel: the scalar reference
// that any faster drawing must reproduce bit for bit. Each rule takes the
// destination pixel d and source pixel s and returns d's new value (d itself
// when the pixel is skipped).
#pragma once

#include "platform/LittleEndian.h"
#include "sprite/Blend.h"

#include <cstdint>

// Surface memory and sprite blocks are byte buffers of little-endian words,
// not necessarily aligned.
inline uint16_t LoadPixel(const uint8_t* bytes) {
    return LoadLe16(bytes);
}

inline void StorePixel(uint8_t* bytes, uint16_t pixel) {
    StoreLe16(bytes, pixel);
}

// An 8-bit opacity or tint amount as a 5-bit weight; out-of-range amounts are
// taken as the nearest end.
inline int AmountToWeight(int amount) {
    return (amount < 0 ? 0 : (amount > 255 ? 255 : amount)) >> 3;
}

inline uint16_t KeyedRule(uint16_t d, uint16_t s, uint16_t colorKey) {
    return s == colorKey ? d : s;
}

inline uint16_t AlphaRule(uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey) {
    const int weight = alpha >> 3;
    if (weight == 0 || s == colorKey) {
        return d;
    }
    return weight == 31 ? s : BlendPixel(s, d, weight);
}

// weight: the call's opacity as a 5-bit weight.
inline uint16_t TranslucentRule(uint16_t d, uint16_t s, int weight, uint16_t colorKey) {
    if (weight == 0 || s == colorKey) {
        return d;
    }
    return weight == 31 ? s : BlendPixel(s, d, weight);
}

// The source is pulled towards tint at tintWeight first (even at weight 0,
// which still darkens it through the table), then laid down by its alpha. The
// key is tested on the untinted source.
inline uint16_t TintedRule(uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, uint16_t tint, int tintWeight) {
    const int weight = alpha >> 3;
    if (weight == 0 || s == colorKey) {
        return d;
    }
    const uint16_t tinted = BlendPixel(tint, s, tintWeight);
    return weight == 31 ? tinted : BlendPixel(tinted, d, weight);
}
