// The widening of a row (InstructionSet::widen) written once, on 16-bit
// lanes, one pixel a lane, in GCC's vector extensions. Each set's file
// includes this with its own flags and gives a record L of its blocks:
//   V, kLanes               a vector of kLanes 16-bit lanes, a pixel each
//   Srl<n>, Sll<n>          its lanes shifted
//   Load(source)            a block of pixels, in the lane order Store wants
//                           (Lanes16 gives V, kLanes, these and a whole load)
//   Store(wide, low, high)  the pixels low[i] | high[i] << 16, in row order
// Rows shorter than a block go to WidenPlainRow.
//
// Everything here has internal linkage and nothing is inline from elsewhere:
// a copy built with one file's flags must never be linked in place of
// another's.
#pragma once

#include "platform/Widen.h" // WideOrder

#include <cstddef>
#include <cstdint>

// WidenRow itself (Rgb565.h), built with the plain flags: the one widening of
// a row every set may hand rows to.
void WidenPlainRow(const uint8_t* source, int count, uint8_t* wide, WideOrder order);

namespace {

// A vector of 16-bit lanes (vector_size), shifted by the language's
// operators, loaded whole.
template <typename Vector> struct Lanes16 {
    using V = Vector;
    static constexpr int kLanes = sizeof(Vector) / 2;
    template <int n> static V Srl(V a) { return a >> n; }
    template <int n> static V Sll(V a) { return a << n; }
    static V Load(const uint8_t* p) {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
};

template <typename L> struct WidenRows {
    using V = typename L::V;

    // Each channel widened by bit replication: red and blue in the low byte
    // of their lanes, green in the high byte. The colour channel that comes
    // first goes with green into the pixel's first two bytes, the other with
    // the opaque alpha into the last two.
    template <bool redFirst> static void Block(uint8_t* wide, const uint8_t* source) {
        const V p = L::Load(source);
        const V red = (L::template Srl<8>(p) & 0xF8) | L::template Srl<13>(p);
        const V green = (L::template Sll<5>(p) & 0xFC00) | (L::template Srl<1>(p) & 0x0300);
        const V blue = (L::template Sll<3>(p) & 0xF8) | (L::template Srl<2>(p) & 7);
        L::Store(wide, (redFirst ? red : blue) | green, (redFirst ? blue : red) | 0xFF00);
    }

    // The last block ends at the row's end, overlapping the one before it:
    // it widens the same words again.
    template <bool redFirst> static void Walk(const uint8_t* source, int count, uint8_t* wide) {
        const ptrdiff_t last = count - L::kLanes;
        for (ptrdiff_t i = 0; i < last; i += L::kLanes) {
            Block<redFirst>(wide + 4 * i, source + 2 * i);
        }
        Block<redFirst>(wide + 4 * last, source + 2 * last);
    }

    static void Widen(const uint8_t* source, int count, uint8_t* wide, WideOrder order) {
        if (count < L::kLanes) {
            WidenPlainRow(source, count, wide, order);
        } else if (order == WideOrder::Rgba) {
            Walk<true>(source, count, wide);
        } else {
            Walk<false>(source, count, wide);
        }
    }
};

} // namespace
