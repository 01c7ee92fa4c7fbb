// What every vector kernel set shares, whichever way its rows are written
// (VectorRows.h on 16-bit lanes, ByteLaneRows.h on 8-bit lanes): the one
// factory that makes a RowKernels table of a rows template, the one fallback
// chain that hands draws whose rows are too short for a set to the next
// narrower one, the walk down a draw's rows and the one walk along a row with
// an overlapping last block.
//
// A rows template R provides the five routines for rows of at least
// R::kShortest pixels, and R::Shorter(), the set that takes the shorter ones.
// The choice is made once a call, for all of its rows.
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
    static bool Short(const PixelRows& rows) { return rows.width < R::kShortest; }

    static void Keyed(const PixelRows& rows, uint16_t colorKey) {
        if (Short(rows)) {
            R::Shorter().keyed(rows, colorKey);
        } else {
            R::Keyed(rows, colorKey);
        }
    }

    static void Alpha(const PixelRows& rows, uint16_t colorKey) {
        if (Short(rows)) {
            R::Shorter().alpha(rows, colorKey);
        } else {
            R::Alpha(rows, colorKey);
        }
    }

    static void Translucent(const PixelRows& rows, uint16_t colorKey, int weight) {
        if (Short(rows)) {
            R::Shorter().translucent(rows, colorKey, weight);
        } else {
            R::Translucent(rows, colorKey, weight);
        }
    }

    static void Tinted(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight) {
        if (Short(rows)) {
            R::Shorter().tinted(rows, colorKey, tint, tintWeight);
        } else {
            R::Tinted(rows, colorKey, tint, tintWeight);
        }
    }

    static void TintedOpaque(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight) {
        if (Short(rows)) {
            R::Shorter().tintedOpaque(rows, colorKey, tint, tintWeight);
        } else {
            R::TintedOpaque(rows, colorKey, tint, tintWeight);
        }
    }
};

template <typename R> struct RowSetSpans {
    static void AlphaSpans(const PixelRows& rows, uint16_t colorKey, const SpanRows& spans) {
        if (RowSet<R>::Short(rows)) {
            R::Shorter().alphaSpans(rows, colorKey, spans);
        } else {
            R::AlphaSpans(rows, colorKey, spans);
        }
    }
};

// The table of one set: const RowKernels g_xKernels = MakeRowKernels<Rows>("x").
template <typename R> constexpr RowKernels MakeRowKernels(const char* name) {
    using S = RowSet<R>;
    return {name, S::Keyed, S::Alpha, S::Translucent, S::Tinted, S::TintedOpaque, RowSetSpans<R>::AlphaSpans};
}

// Hands each of the draw's rows to row(destination, source, alpha), top to
// bottom. The pitches are held apart from rows: a row's stores could alias
// the record, which the compiler would then read again after every row.
template <typename Row> __attribute__((always_inline)) inline void ForEachRow(const PixelRows& rows, Row row) {
    const PixelRows held = rows;
    uint8_t* destination = held.destination;
    const uint8_t* source = held.source;
    const uint8_t* alpha = held.alpha;
    for (int y = 0; y < held.height; ++y) {
        row(destination, source, alpha);
        destination += held.destinationPitch;
        source += held.sourcePitch;
        alpha += held.alphaPitch;
    }
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
