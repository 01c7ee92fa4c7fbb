// What every vector kernel set shares, whichever way its rows are written
// (VectorRows.h on 16-bit lanes, ByteLaneRows.h on 8-bit lanes): the one
// hand-over of draws whose rows are too short for a set to the next narrower
// one, the walk down a draw's rows and the one walk along a row with an
// overlapping last block.
//
// A rows template R takes rows of at least R::kShortest pixels and names
// R::Shorter(), the set that takes the shorter ones. The choice is made once
// a call, for all of its rows.
//
// Everything here has internal linkage: a copy built with one file's flags
// must never be linked in place of another's. For the same reason this header
// uses nothing from the standard library.
#pragma once

#include "sprite/kernels/Kernels.h"

#include <cstddef>
#include <cstdint>

namespace {

// The table entry of a routine R writes as kLong: R's rows, or the same
// routine of R::Shorter() for rows too short for R.
template <typename R, RowKernel RowKernels::*kRoutine, RowKernel kLong> void ByWidth(const PixelRows& rows) {
    if (rows.width < R::kShortest) {
        (R::Shorter().*kRoutine)(rows);
    } else {
        kLong(rows);
    }
}

// The table of a rows template R that writes every routine: each R's for
// rows of R's width, the narrower set's for shorter ones. A set leaves one
// out by clearing it.
template <typename R> constexpr RowKernels MakeRowKernels(const char* name) {
    RowKernels set = {};
    set.name = name;
    set.keyed = ByWidth<R, &RowKernels::keyed, R::Keyed>;
    set.alpha = ByWidth<R, &RowKernels::alpha, R::Alpha>;
    set.translucent = ByWidth<R, &RowKernels::translucent, R::Translucent>;
    set.tinted = ByWidth<R, &RowKernels::tinted, R::Tinted>;
    set.tintedOpaque = ByWidth<R, &RowKernels::tintedOpaque, R::TintedOpaque>;
    return set;
}

// Hands each of the draw's rows to row(destination, source, alpha), top to
// bottom. The record is held apart from the rows: a row's stores could alias
// it, which the compiler would then read again after every row.
template <typename Row> __attribute__((always_inline)) inline void ForEachRow(const PixelRows& rows, Row row) {
    const PixelRows held = rows;
    const uint8_t* source = held.source;
    const uint8_t* alpha = held.alpha;
    for (uint8_t* destination = held.destination; destination < held.destinationEnd;
         destination += held.destinationPitch) {
        row(destination, source, alpha);
        source += held.sourcePitch;
        alpha += held.alphaPitch;
    }
}

// count pixels of one row from pixel `from`, as a draw of their own under
// colorKey by every pixel: one row, which its pitch of 1 ends.
inline PixelRows PartOfRow(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int from, int count,
                           uint16_t colorKey) {
    uint8_t* first = destination + 2 * from;
    return {first, first + 1, source + 2 * from, alpha + from, 1, 0, 0, count, colorKey, 0, 0, nullptr};
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
