// What every vector kernel set shares, whichever way its rows are written
// (VectorRows.h on 16-bit lanes, ByteLaneRows.h on 8-bit lanes): the one
// factory that makes a RowKernels table of a rows template, the one fallback
// chain that hands rows too short for a set to the next narrower one, and the
// one walk along a row with an overlapping last block.
//
// A rows template R provides the five routines for rows of at least
// R::kShortest pixels, and R::Shorter(), the set that takes the shorter ones.
//
// Everything here has internal linkage: a copy built with one file's flags
// must never be linked in place of another's. For the same reason this header
// uses nothing from the standard library.
#pragma once

#include "sprite/kernels/Kernels.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename R> struct RowSet {
    static bool Short(int count) { return count < R::kShortest; }

    static void Keyed(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey) {
        if (Short(count)) {
            R::Shorter().keyed(destination, source, count, colorKey);
        } else {
            R::Keyed(destination, source, count, colorKey);
        }
    }

    static void Alpha(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey) {
        if (Short(count)) {
            R::Shorter().alpha(destination, source, alpha, count, colorKey);
        } else {
            R::Alpha(destination, source, alpha, count, colorKey);
        }
    }

    static void Translucent(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, int weight) {
        if (Short(count)) {
            R::Shorter().translucent(destination, source, count, colorKey, weight);
        } else {
            R::Translucent(destination, source, count, colorKey, weight);
        }
    }

    static void Tinted(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey,
                       uint16_t tint, int tintWeight) {
        if (Short(count)) {
            R::Shorter().tinted(destination, source, alpha, count, colorKey, tint, tintWeight);
        } else {
            R::Tinted(destination, source, alpha, count, colorKey, tint, tintWeight);
        }
    }

    static void TintedOpaque(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, uint16_t tint,
                             int tintWeight) {
        if (Short(count)) {
            R::Shorter().tintedOpaque(destination, source, count, colorKey, tint, tintWeight);
        } else {
            R::TintedOpaque(destination, source, count, colorKey, tint, tintWeight);
        }
    }
};

// The table of one set: const RowKernels g_xKernels = MakeRowKernels<Rows>("x", widen).
template <typename R>
constexpr RowKernels MakeRowKernels(const char* name, void (*widen)(uint8_t*, const uint8_t*, int, WideOrder)) {
    using S = RowSet<R>;
    return {name, S::Keyed, S::Alpha, S::Translucent, S::Tinted, S::TintedOpaque, widen};
}

// Stores block(i), the new values of pixels i to i + B::kLanes - 1, with
// B::Store along a row of at least B::kLanes pixels. The last block ends at
// the row's end, overlapping the one before it when the row is not whole
// blocks: it is worked out first, from the untouched destination, and stored
// last, so no pixel is blended twice and the overlap gets the same words
// again. (Walking whole rows without it first holds no advantage: the loop is
// the same, and on NEON the compiler then spills in the loop.)
template <typename B, typename Block> void WalkOverlapping(uint8_t* destination, int count, Block block) {
    const ptrdiff_t last = count - B::kLanes;
    const auto lastBlock = block(last);
    for (ptrdiff_t i = 0; i < last; i += B::kLanes) {
        B::Store(destination + 2 * i, block(i));
    }
    B::Store(destination + 2 * last, lastBlock);
}

} // namespace
