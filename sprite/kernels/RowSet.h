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
template <typename Row>
__attribute__((always_inline)) inline void ForEachRowOf(const PixelRows& rows, const uint8_t* third,
                                                        ptrdiff_t thirdPitch, Row row) {
    const PixelRows held = rows;
    const uint8_t* source = held.source;
    for (uint8_t* destination = held.destination; destination < held.destinationEnd;
         destination += held.destinationPitch) {
        row(destination, source, third);
        source += held.sourcePitch;
        third += thirdPitch;
    }
}
template <typename Row> __attribute__((always_inline)) inline void ForEachRow(const PixelRows& rows, Row row) {
    ForEachRowOf(rows, rows.alpha, rows.alphaPitch, row);
}

// The same with each row's shares (PixelRows::shares) in place of its alpha.
template <typename Row> __attribute__((always_inline)) inline void ForEachSharedRow(const PixelRows& rows, Row row) {
    ForEachRowOf(rows, rows.shares, rows.sharesPitch, row);
}

// Alpha by a draw's chunks (Kernels.h), from its shares, for a rows template
// R: R::SharedRow(destination, shares, plane, width) draws a row whose every
// chunk is blended, R::BlendChunks(destination, shares, plane, first,
// second) blends each pair, given as byte offsets in the row, and the chunks
// to copy are copied here.
template <typename R> __attribute__((noinline)) void AlphaByChunks(const PixelRows& rows, const SpanRows& plan) {
    constexpr ptrdiff_t kBytes = 2 * kChunk;
    const ptrdiff_t plane = rows.sharesPitch / kSharePlanes;
    const uint32_t* starts = plan.chunkStarts;
    ForEachSharedRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* shares) {
        const uint16_t* entry = plan.chunks + *starts++;
        if (entry[0] == kWholeRow) {
            R::SharedRow(destination, shares, plane, rows.width);
            return;
        }
        const uint16_t* pairsEnd = entry + 1 + 2 * entry[0];
        for (++entry; entry < pairsEnd; entry += 2) {
            R::BlendChunks(destination, shares, plane, kBytes * entry[0], kBytes * entry[1]);
        }
        const uint16_t* copiesEnd = pairsEnd + 1 + pairsEnd[0];
        for (entry = pairsEnd + 1; entry < copiesEnd; ++entry) {
            __builtin_memcpy(destination + kBytes * entry[0], source + kBytes * entry[0], kBytes);
        }
    });
}

// The chunks at bytes first and second of a row as one block of two halves,
// loaded and stored by O's LoadPair and StorePair: blend(d, load) gives the
// new pixels over d from their shares, which load(offset) loads offset bytes
// on from the first plane's.
template <typename O, typename Blend>
__attribute__((always_inline)) inline void BlendPair(uint8_t* destination, const uint8_t* shares, ptrdiff_t first,
                                                     ptrdiff_t second, Blend blend) {
    const auto pair = [&](const uint8_t* p) __attribute__((always_inline)) {
        return O::LoadPair(p + first, p + second);
    };
    O::StorePair(
        destination + first, destination + second,
        blend(
            pair(destination), [&](ptrdiff_t at) __attribute__((always_inline)) { return pair(shares + at); }));
}

// Stores block(i), the new values of pixels i to i + B::kLanes - 1, with
// B::Store along a row of at least B::kLanes pixels. The last block ends at
// the row's end, overlapping the one before it when the row is not whole
// blocks: it is worked out first, from the untouched destination, and stored
// last, so no pixel is blended twice and the overlap gets the same words
// again. (Walking whole rows without it first holds no advantage: the loop is
// the same, and on NEON the compiler then spills in the loop.)
template <typename B, typename Block>
__attribute__((always_inline)) inline void WalkOverlapping(uint8_t* destination, int count, Block block) {
    const ptrdiff_t last = count - B::kLanes;
    const auto lastBlock = block(last);
    for (ptrdiff_t i = 0; i < last; i += B::kLanes) {
        B::Store(destination + 2 * i, block(i));
    }
    B::Store(destination + 2 * last, lastBlock);
}

} // namespace
