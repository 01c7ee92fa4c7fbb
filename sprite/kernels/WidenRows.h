// The widening kernel (RowKernels::widen) written once over 16-bit lanes, one
// pixel a lane. Each instruction-set file includes this with its own flags
// and gives two records: O, the arithmetic (V, Set, And, Or, Srl<n>, Sll<n>,
// the draws' own where they have them), and L, how a block is moved:
//   kLanes                  pixels a block
//   Load(source)            a block of pixels, in the lane order Store wants
//   Store(wide, low, high)  the pixels low[i] | high[i] << 16, in row order
// Rows shorter than a block go to the scalar set. Internal linkage, nothing
// from the standard library: see RowSet.h.
#pragma once

#include "sprite/kernels/Kernels.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename O, typename L> struct WidenRows {
    using V = typename O::V;

    // Each channel widened by bit replication: red and blue in the low byte
    // of their lanes, green in the high byte. The colour channel that comes
    // first goes with green into the pixel's first two bytes, the other with
    // the opaque alpha into the last two.
    template <bool redFirst> static void Block(uint8_t* wide, const uint8_t* source) {
        const V p = L::Load(source);
        const V red = O::Or(O::And(O::template Srl<8>(p), O::Set(0xF8)), O::template Srl<13>(p));
        const V green =
            O::Or(O::And(O::template Sll<5>(p), O::Set(0xFC00)), O::And(O::template Srl<1>(p), O::Set(0x0300)));
        const V blue = O::Or(O::And(O::template Sll<3>(p), O::Set(0xF8)), O::And(O::template Srl<2>(p), O::Set(7)));
        L::Store(wide, O::Or(redFirst ? red : blue, green), O::Or(redFirst ? blue : red, O::Set(0xFF00)));
    }

    // The last block ends at the row's end, overlapping the one before it:
    // it widens the same words again.
    template <bool redFirst> static void Walk(uint8_t* wide, const uint8_t* source, int count) {
        const ptrdiff_t last = count - L::kLanes;
        for (ptrdiff_t i = 0; i < last; i += L::kLanes) {
            Block<redFirst>(wide + 4 * i, source + 2 * i);
        }
        Block<redFirst>(wide + 4 * last, source + 2 * last);
    }

    static void Widen(uint8_t* wide, const uint8_t* source, int count, WideOrder order) {
        if (count < L::kLanes) {
            g_scalarKernels.widen(wide, source, count, order);
        } else if (order == WideOrder::Rgba) {
            Walk<true>(wide, source, count);
        } else {
            Walk<false>(wide, source, count);
        }
    }
};

} // namespace
