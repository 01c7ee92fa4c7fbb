// The row kernels written once over a set of vector operations on 16-bit
// lanes, one pixel a lane. Each instruction-set file includes this with its
// own compiler flags and its own operations record O, which provides:
//   V, M             a vector of lanes and a lane mask
//   kLanes           pixels a block
//   kShortest, Shorter()  rows shorter than kShortest go to the set Shorter()
//   Lanes, Walk(destination, count, block)  walks a row in blocks:
//                    block(i, lanes) gives the new pixels from pixel i on
//   Load, LoadAlpha, Set, Add, Sub, And, Or, MulLo, MulHi (unsigned),
//   Srl<n>, Sll<n>, Eq, Either (mask or), Select(m, ifSet, otherwise)
//
// Everything here has internal linkage: a copy built with one file's flags
// must never be linked in place of another's. For the same reason this header
// uses nothing from the standard library.
//
// The arithmetic: for channel values and weights a, b in 0-31, the table
// entry floor(64ab/255) equals (ab * 0x8081) >> 17, a 16-bit multiply, an
// unsigned multiply-high and a shift. The branches of the pixel rules become
// lane masks applied after the blend: weight 31 copies, then weight 0 or the
// colour key keeps the destination.
#pragma once

#include "sprite/kernels/Kernels.h"

#include <cstddef>
#include <cstdint>

namespace {

template <typename O> struct VectorRows {
    using V = typename O::V;
    using M = typename O::M;
    using Lanes = typename O::Lanes;

    static constexpr int kRedShift = 11;
    static constexpr int kGreenInPlace = 0x07C0; // the five blended green bits, left in place

    // A pixel's blend channels: red and blue as values 0-31, green in place
    // (value << 6), which saves a shift and still leaves the product with a
    // weight inside 16 bits (31 x 31 << 6 = 61504).
    struct Channels {
        V red, green, blue;
    };
    // Per-channel sums of table entries, 0-241.
    struct Sums {
        V red, green, blue;
    };

    static Channels Split(V p) {
        return {O::template Srl<kRedShift>(p), O::And(p, O::Set(kGreenInPlace)), O::And(p, O::Set(31))};
    }

    // T[value][weight] for every lane.
    static V Entry(V value, V weight) { return O::template Srl<1>(O::MulHi(O::MulLo(value, weight), O::Set(0x8081))); }
    static V GreenEntry(V greenInPlace, V weight) {
        return O::template Srl<7>(O::MulHi(O::MulLo(greenInPlace, weight), O::Set(0x8081)));
    }

    static Sums Weigh(const Channels& c, V weight) {
        return {Entry(c.red, weight), GreenEntry(c.green, weight), Entry(c.blue, weight)};
    }

    static Sums Add(const Sums& a, const Sums& b) {
        return {O::Add(a.red, b.red), O::Add(a.green, b.green), O::Add(a.blue, b.blue)};
    }

    // The channels of the pixel that Pack(sums) gives.
    static Channels ChannelsOf(const Sums& s) {
        return {O::template Srl<3>(s.red), O::And(O::template Sll<3>(s.green), O::Set(kGreenInPlace)),
                O::template Srl<3>(s.blue)};
    }

    // Red and blue keep bits 7-3 of their sums, green bits 7-2.
    static V Pack(const Sums& s) {
        const V red = O::And(O::template Sll<8>(s.red), O::Set(0xF800));
        const V green = O::And(O::template Sll<3>(s.green), O::Set(0x07E0));
        return O::Or(O::Or(red, green), O::template Srl<3>(s.blue));
    }

    // source over destination at weight (the other weight is rest = 31 - weight).
    static V Blend(V source, V destination, V weight, V rest) {
        return Pack(Add(Weigh(Split(source), weight), Weigh(Split(destination), rest)));
    }

    // Rows shorter than one block go to the narrower set.
    static bool Short(int count) { return count < O::kShortest; }

    static void Keyed(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey) {
        if (Short(count)) {
            O::Shorter().keyed(destination, source, count, colorKey);
            return;
        }
        const V key = O::Set(colorKey);
        O::Walk(destination, count, [&](ptrdiff_t i, Lanes lanes) {
            const V s = O::Load(source + 2 * i, lanes);
            return O::Select(O::Eq(s, key), O::Load(destination + 2 * i, lanes), s);
        });
    }

    static void Alpha(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey) {
        if (Short(count)) {
            O::Shorter().alpha(destination, source, alpha, count, colorKey);
            return;
        }
        const V key = O::Set(colorKey);
        const V zero = O::Set(0);
        const V full = O::Set(31);
        O::Walk(destination, count, [&](ptrdiff_t i, Lanes lanes) {
            const V s = O::Load(source + 2 * i, lanes);
            const V d = O::Load(destination + 2 * i, lanes);
            const V weight = O::template Srl<3>(O::LoadAlpha(alpha + i, lanes));
            const V blended = O::Select(O::Eq(weight, full), s, Blend(s, d, weight, O::Sub(full, weight)));
            return O::Select(O::Either(O::Eq(weight, zero), O::Eq(s, key)), d, blended);
        });
    }

    static void Translucent(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, int weight) {
        if (weight <= 0) {
            return;
        }
        if (weight >= 31) {
            Keyed(destination, source, count, colorKey);
            return;
        }
        if (Short(count)) {
            O::Shorter().translucent(destination, source, count, colorKey, weight);
            return;
        }
        const V key = O::Set(colorKey);
        const V sourceWeight = O::Set(weight);
        const V rest = O::Set(31 - weight);
        O::Walk(destination, count, [&](ptrdiff_t i, Lanes lanes) {
            const V s = O::Load(source + 2 * i, lanes);
            const V d = O::Load(destination + 2 * i, lanes);
            return O::Select(O::Eq(s, key), d, Blend(s, d, sourceWeight, rest));
        });
    }

    // The tint's share of the first blend is the same for every pixel.
    static Sums TintSums(uint16_t tint, int tintWeight) {
        const auto entry = [tintWeight](int value) { return O::Set(64 * value * tintWeight / 255); };
        return {entry(tint >> kRedShift), entry((tint >> 6) & 31), entry(tint & 31)};
    }

    static void Tinted(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey,
                       uint16_t tint, int tintWeight) {
        if (Short(count)) {
            O::Shorter().tinted(destination, source, alpha, count, colorKey, tint, tintWeight);
            return;
        }
        const V key = O::Set(colorKey);
        const V zero = O::Set(0);
        const V full = O::Set(31);
        const Sums tintSums = TintSums(tint, tintWeight);
        const V sourceRest = O::Set(31 - tintWeight);
        O::Walk(destination, count, [&](ptrdiff_t i, Lanes lanes) {
            const V s = O::Load(source + 2 * i, lanes);
            const V d = O::Load(destination + 2 * i, lanes);
            const V weight = O::template Srl<3>(O::LoadAlpha(alpha + i, lanes));
            const Sums tinted = Add(tintSums, Weigh(Split(s), sourceRest));
            Sums laid = Add(Weigh(ChannelsOf(tinted), weight), Weigh(Split(d), O::Sub(full, weight)));
            // At weight 31 the tinted pixel itself: choosing its sums packs it.
            const M copy = O::Eq(weight, full);
            laid = {O::Select(copy, tinted.red, laid.red), O::Select(copy, tinted.green, laid.green),
                    O::Select(copy, tinted.blue, laid.blue)};
            return O::Select(O::Either(O::Eq(weight, zero), O::Eq(s, key)), d, Pack(laid));
        });
    }

    static void TintedOpaque(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, uint16_t tint,
                             int tintWeight) {
        if (Short(count)) {
            O::Shorter().tintedOpaque(destination, source, count, colorKey, tint, tintWeight);
            return;
        }
        const V key = O::Set(colorKey);
        const Sums tintSums = TintSums(tint, tintWeight);
        const V sourceRest = O::Set(31 - tintWeight);
        O::Walk(destination, count, [&](ptrdiff_t i, Lanes lanes) {
            const V s = O::Load(source + 2 * i, lanes);
            const V tinted = Pack(Add(tintSums, Weigh(Split(s), sourceRest)));
            return O::Select(O::Eq(s, key), O::Load(destination + 2 * i, lanes), tinted);
        });
    }
};

// Walks a row of at least O::kLanes pixels in whole blocks. The block at the
// row's end overlaps the one before it, so it is worked out from the untouched
// destination before anything is stored and stored last: no pixel is blended
// twice, and the overlap gets the same words again.
template <typename O, typename Block> void WalkOverlapping(uint8_t* destination, int count, Block block) {
    const ptrdiff_t last = count - O::kLanes;
    const typename O::V lastBlock = block(last, typename O::Lanes{});
    for (ptrdiff_t i = 0; i < last; i += O::kLanes) {
        O::Store(destination + 2 * i, block(i, typename O::Lanes{}));
    }
    O::Store(destination + 2 * last, lastBlock);
}

} // namespace
