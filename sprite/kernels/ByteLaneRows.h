// The row kernels written once over operations on 8-bit lanes, 16 pixels a
// step: the pixels' low and high bytes in two vectors, so every channel has
// a byte lane of its own. For instruction sets without a 16-bit multiply-high
// (NEON, WebAssembly SIMD128), whose products come from widening 8-bit
// multiplies instead. Each instruction-set file includes this with its own
// compiler flags and its own operations record O, which provides:
//   W                8 16-bit words (GCC's vector extensions)
//   Column           a blend table column, T[a][w] for a = 0-31 at one w
//   LoadPixels, StorePixels   16 pixels, their low and high bytes apart
//   LoadPair, StorePair   the same as two halves of 8 pixels
//   LoadBytes, LoadWords, StoreWords, SplatWord
//   Select(mask, ifSet, otherwise), KeepWhereEqual(s, d, key) for words
//   GreenBits(p)     each pixel's bits 10-3 as a byte, green's at the top
//   PackSums (see the name below)
//   TableProduct(a8, w8)   floor(64 a w / 255) for 16 pairs given as 8a, 8w
//   TableColumn(weight), LookUp(column, values)
//   V, Pixels, Channels, Shorter() (the set that takes rows of fewer than 16
//   pixels, RowSet.h), SplatByte, And, Or, AndNot(a, b) = a & ~b, AddBytes,
//   Eq, AtLeast, Below (unsigned), Sll<n>, Srl<n>: ByteLanes gives these
// All of them always inlined into the row loops: a call would pass the
// vectors through memory.
//
// Everything here has internal linkage: a copy built with one file's flags
// must never be linked in place of another's.
#pragma once

#include "sprite/kernels/RowSet.h"

#include <cstdint>

namespace {

// 16 pixels: their low bytes and their high bytes.
template <typename V> struct BytePixels { V low, high; };

// 16 pixels of each channel as the blend table indexes it (red p >> 11, green
// (p >> 6) & 31, blue p & 31), each shifted left by 3 (SplitChannels) or as
// plain 0-31 (SplitChannelValues). Also the channel sums of a blend (at most
// 241 each) before PackSums makes pixels of them: red >> 3, green >> 2,
// blue >> 3, as BlendPixel packs them.
template <typename V> struct ByteChannels { V red, green, blue; };

// What any record on 16 byte lanes V shares: its pixel and channel
// records, the scalar set for short rows, and the plain byte arithmetic, by
// the language's operators.
template <typename Vector> struct ByteLanes {
    using V = Vector;
    using Pixels = BytePixels<V>;
    using Channels = ByteChannels<V>;
    static const RowKernels& Shorter() { return g_scalarKernels; }

    __attribute__((always_inline)) static V SplatByte(uint8_t value) { return V{} + value; }
    __attribute__((always_inline)) static V And(V a, V b) { return a & b; }
    __attribute__((always_inline)) static V Or(V a, V b) { return a | b; }
    __attribute__((always_inline)) static V AndNot(V a, V b) { return a & ~b; }
    __attribute__((always_inline)) static V AddBytes(V a, V b) { return a + b; }
    __attribute__((always_inline)) static V Eq(V a, V b) { return (V)(a == b); }
    __attribute__((always_inline)) static V AtLeast(V a, V b) { return (V)(a >= b); }
    __attribute__((always_inline)) static V Below(V a, V b) { return (V)(a < b); }
    template <int n> __attribute__((always_inline)) static V Sll(V a) { return a << n; }
    template <int n> __attribute__((always_inline)) static V Srl(V a) { return a >> n; }
};

// True when divide(64 a w) is floor(64 a w / 255) for every a and w in 0-31:
// the only products the kernels divide, which lets them divide by less exact
// means than a true division.
template <typename Divide> constexpr bool DividesEveryProductExactly(Divide divide) {
    for (int a = 0; a < 32; ++a) {
        for (int w = 0; w < 32; ++w) {
            if (divide(64 * a * w) != 64 * a * w / 255) {
                return false;
            }
        }
    }
    return true;
}

template <typename O> struct ByteLaneRows {
    using V = typename O::V;
    using W = typename O::W;
    using Column = typename O::Column;
    using Pixels = BytePixels<V>;
    using Channels = ByteChannels<V>;

    // 16 pixels a block; rows of fewer go to O::Shorter().
    static constexpr int kLanes = 16;
    static constexpr int kShortest = kLanes;
    static const RowKernels& Shorter() { return O::Shorter(); }

    // 16 pixels as whole words, when no channel is taken apart.
    struct Words {
        W first, second;
    };

    __attribute__((always_inline)) static void Store(uint8_t* destination, Pixels p) { O::StorePixels(destination, p); }
    __attribute__((always_inline)) static void Store(uint8_t* destination, Words w) {
        O::StoreWords(destination, w.first);
        O::StoreWords(destination + 16, w.second);
    }

    __attribute__((always_inline)) static Channels LookUp(const Column& column, const Channels& values) {
        return {O::LookUp(column, values.red), O::LookUp(column, values.green), O::LookUp(column, values.blue)};
    }

    __attribute__((always_inline)) static Channels Add(const Channels& a, const Channels& b) {
        return {O::AddBytes(a.red, b.red), O::AddBytes(a.green, b.green), O::AddBytes(a.blue, b.blue)};
    }

    // Each channel's sum of s at weight w and d at rest = 31 - w (both as 8w).
    __attribute__((always_inline)) static Channels BlendSums(const Channels& s, V w8, const Channels& d, V rest8) {
        return {O::AddBytes(O::TableProduct(s.red, w8), O::TableProduct(d.red, rest8)),
                O::AddBytes(O::TableProduct(s.green, w8), O::TableProduct(d.green, rest8)),
                O::AddBytes(O::TableProduct(s.blue, w8), O::TableProduct(d.blue, rest8))};
    }

    // The channels of 16 pixels, as ByteChannels has them.
    __attribute__((always_inline)) static Channels SplitChannels(Pixels p) {
        const V top5 = O::SplatByte(0xF8);
        return {O::And(p.high, top5), O::And(O::GreenBits(p), top5), O::template Sll<3>(p.low)};
    }
    __attribute__((always_inline)) static Channels SplitChannelValues(Pixels p) {
        return {O::template Srl<3>(p.high), O::template Srl<3>(O::GreenBits(p)), O::And(p.low, O::SplatByte(31))};
    }

    // The channels of PackSums(sum), straight from the sums: their top five bits.
    __attribute__((always_inline)) static Channels SumsAsChannels(const Channels& sum) {
        const V top5 = O::SplatByte(0xF8);
        return {O::And(sum.red, top5), O::And(sum.green, top5), O::And(sum.blue, top5)};
    }

    // Lanes of mask from a, the others from b.
    __attribute__((always_inline)) static Pixels Select(V mask, Pixels a, Pixels b) {
        return {O::Select(mask, a.low, b.low), O::Select(mask, a.high, b.high)};
    }

    struct Key {
        V low, high;
    };

    static Key SplitKey(uint16_t colorKey) {
        return {O::SplatByte(static_cast<uint8_t>(colorKey)), O::SplatByte(static_cast<uint8_t>(colorKey >> 8))};
    }

    __attribute__((always_inline)) static V IsKey(Pixels s, const Key& key) {
        return O::And(O::Eq(s.low, key.low), O::Eq(s.high, key.high));
    }

    // Lays down 16 pixels by their alpha bytes: d where the weight (alpha >> 3)
    // is 0 or s is the key, s where it is 31, the blend of s and d between.
    __attribute__((always_inline)) static Pixels LayByAlpha(Pixels s, const Channels& sChannels, Pixels d, V alpha,
                                                            V skip) {
        const V top5 = O::SplatByte(0xF8);
        const V w8 = O::And(alpha, top5);
        const V rest8 = O::AndNot(top5, alpha); // (31 - w) << 3
        const Pixels blended = O::PackSums(BlendSums(sChannels, w8, SplitChannels(d), rest8));
        const Pixels laid = Select(O::AtLeast(alpha, O::SplatByte(248)), s, blended);
        return Select(O::Or(skip, O::Below(alpha, O::SplatByte(8))), d, laid);
    }

    static void Keyed(const PixelRows& rows) {
        // Whole words: the bytes of little-endian pixels are already in lane order.
        const W key = O::SplatWord(rows.colorKey);
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
            auto half = [&](int i) __attribute__((always_inline)) {
                return O::KeepWhereEqual(O::LoadWords(source + 2 * i), O::LoadWords(destination + 2 * i), key);
            };
            WalkOverlapping<ByteLaneRows>(
                destination, rows.width, [&](int i) __attribute__((always_inline)) {
                    return Words{half(i), half(i + 8)};
                });
        });
    }

    // 16 pixels over d from their shares (Kernels.h): the source's sums are
    // the low bytes of the first three planes, the destination's weight is
    // twice the high byte of the multiplier (1028 r + 1 holds 4r there), and
    // lanes the mark's low byte has the top bit of keep d. load(offset) gives
    // the shares offset bytes on from the first plane's.
    template <typename Load>
    __attribute__((always_inline)) static Pixels SharedBlock(Pixels d, Load load, ptrdiff_t plane) {
        const Pixels rest = load(3 * plane);
        const V rest8 = O::template Sll<1>(rest.high);
        const Channels channels = SplitChannels(d);
        const Channels sums = {O::AddBytes(load(0).low, O::TableProduct(channels.red, rest8)),
                               O::AddBytes(load(plane).low, O::TableProduct(channels.green, rest8)),
                               O::AddBytes(load(2 * plane).low, O::TableProduct(channels.blue, rest8))};
        return Select(O::AtLeast(rest.low, O::SplatByte(0x80)), d, O::PackSums(sums));
    }

    __attribute__((always_inline)) static void SharedRow(uint8_t* destination, const uint8_t* shares, ptrdiff_t plane,
                                                         int width) {
        WalkOverlapping<ByteLaneRows>(
            destination, width, [&](int i) __attribute__((always_inline)) {
                const uint8_t* share = shares + 2 * i;
                return SharedBlock(
                    O::LoadPixels(destination + 2 * i),
                    [&](ptrdiff_t at) __attribute__((always_inline)) { return O::LoadPixels(share + at); }, plane);
            });
    }

    // The chunks at bytes first and second of a row (Kernels.h) blended from
    // its shares as one block of two halves.
    __attribute__((always_inline)) static void BlendChunks(uint8_t* destination, const uint8_t* shares, ptrdiff_t plane,
                                                           ptrdiff_t first, ptrdiff_t second) {
        BlendPair<O>(
            destination, shares, first,
            second, [&](Pixels d, auto load) __attribute__((always_inline)) { return SharedBlock(d, load, plane); });
    }

    // These sets draw every pixel alike, plan or none, from the shares where
    // the draw has them; by its chunks where it has those too and its rows
    // are two blocks or more (a pair saves a block of every such row whose
    // middle is copied or skipped).
    static void Alpha(const PixelRows& rows) {
        if (rows.spans != nullptr && rows.spans->chunkStarts != nullptr && rows.width >= 2 * kLanes) {
            AlphaByChunks<ByteLaneRows>(rows, *rows.spans);
            return;
        }
        if (rows.shares != nullptr) {
            const ptrdiff_t plane = rows.sharesPitch / kSharePlanes;
            ForEachSharedRow(rows, [&](uint8_t* destination, const uint8_t*, const uint8_t* shares) {
                SharedRow(destination, shares, plane, rows.width);
            });
            return;
        }
        const Key key = SplitKey(rows.colorKey);
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
            WalkOverlapping<ByteLaneRows>(
                destination, rows.width, [&](int i) __attribute__((always_inline)) {
                    const Pixels s = O::LoadPixels(source + 2 * i);
                    return LayByAlpha(s, SplitChannels(s), O::LoadPixels(destination + 2 * i), O::LoadBytes(alpha + i),
                                      IsKey(s, key));
                });
        });
    }

    // At a weight that is the same for the whole row, a table column look-up
    // replaces each product.
    static void Translucent(const PixelRows& rows) {
        const Key key = SplitKey(rows.colorKey);
        const Column sourceColumn = O::TableColumn(rows.weight);
        const Column destinationColumn = O::TableColumn(31 - rows.weight);
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
            WalkOverlapping<ByteLaneRows>(
                destination, rows.width, [&](int i) __attribute__((always_inline)) {
                    const Pixels s = O::LoadPixels(source + 2 * i);
                    const Pixels d = O::LoadPixels(destination + 2 * i);
                    const Channels sums = Add(LookUp(sourceColumn, SplitChannelValues(s)),
                                              LookUp(destinationColumn, SplitChannelValues(d)));
                    return Select(IsKey(s, key), d, O::PackSums(sums));
                });
        });
    }

    // The source pulled towards tint: tint's products at the tint weight are
    // the same for every pixel, the source's come from one column. The key is
    // tested on the untinted source.
    struct Tint {
        Channels products;
        Column sourceColumn;
        Key key;
    };

    static Tint MakeTint(uint16_t tint, int tintWeight, uint16_t colorKey) {
        const V w8 = O::SplatByte(static_cast<uint8_t>(tintWeight << 3));
        auto product = [&](int channel) {
            return O::TableProduct(O::SplatByte(static_cast<uint8_t>(channel << 3)), w8);
        };
        return {{product(tint >> 11), product((tint >> 6) & 31), product(tint & 31)},
                O::TableColumn(31 - tintWeight),
                SplitKey(colorKey)};
    }

    // The channel sums of the tinted source.
    __attribute__((always_inline)) static Channels TintSums(const Tint& tint, Pixels s) {
        return Add(tint.products, LookUp(tint.sourceColumn, SplitChannelValues(s)));
    }

    static void Tinted(const PixelRows& rows) {
        const Tint tinting = MakeTint(rows.tint, rows.weight, rows.colorKey);
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
            WalkOverlapping<ByteLaneRows>(
                destination, rows.width, [&](int i) __attribute__((always_inline)) {
                    const Pixels s = O::LoadPixels(source + 2 * i);
                    const Channels tinted = TintSums(tinting, s);
                    return LayByAlpha(O::PackSums(tinted), SumsAsChannels(tinted), O::LoadPixels(destination + 2 * i),
                                      O::LoadBytes(alpha + i), IsKey(s, tinting.key));
                });
        });
    }

    static void TintedOpaque(const PixelRows& rows) {
        const Tint tinting = MakeTint(rows.tint, rows.weight, rows.colorKey);
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
            WalkOverlapping<ByteLaneRows>(
                destination, rows.width, [&](int i) __attribute__((always_inline)) {
                    const Pixels s = O::LoadPixels(source + 2 * i);
                    return Select(IsKey(s, tinting.key), O::LoadPixels(destination + 2 * i),
                                  O::PackSums(TintSums(tinting, s)));
                });
        });
    }
};

} // namespace
