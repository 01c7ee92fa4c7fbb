// WebAssembly SIMD128 row kernels, 16 pixels a step. The pixels are split
// into their low and high bytes, so every channel is worked in 8-bit lanes:
// WebAssembly has no 16-bit multiply-high, but extmul widens two 8-bit lanes
// into their 16-bit product, from which the blend table's division is a few
// adds and shifts. Built with -msimd128.
#include "sprite/kernels/Kernels.h"

#include <wasm_simd128.h>

namespace {

constexpr int kStep = 16;

// 16 pixels: their low bytes and their high bytes.
struct Pixels {
    v128_t low, high;
};

// 16 pixels as whole little-endian words, when no channel is taken apart.
struct Words {
    v128_t first, second;
};

// 16 pixels of each channel as the blend table indexes it (red p >> 11, green
// (p >> 6) & 31, blue p & 31), each shifted left by 3. Also used for the
// channel sums of a blend, before they are packed.
struct Channels {
    v128_t red, green, blue;
};

// The helpers here are always inlined into the row loops: a call would pass
// the vectors through memory.
__attribute__((always_inline)) inline v128_t Bytes(uint8_t value) {
    return wasm_u8x16_splat(value);
}

__attribute__((always_inline)) inline Pixels LoadStep(const uint8_t* bytes) {
    const v128_t a = wasm_v128_load(bytes);
    const v128_t b = wasm_v128_load(bytes + 16);
    return {wasm_i8x16_shuffle(a, b, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
            wasm_i8x16_shuffle(a, b, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31)};
}

__attribute__((always_inline)) inline void StoreStep(uint8_t* bytes, Pixels p) {
    wasm_v128_store(bytes, wasm_i8x16_shuffle(p.low, p.high, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
    wasm_v128_store(bytes + 16,
                    wasm_i8x16_shuffle(p.low, p.high, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
}

__attribute__((always_inline)) inline void StoreStep(uint8_t* bytes, Words words) {
    wasm_v128_store(bytes, words.first);
    wasm_v128_store(bytes + 16, words.second);
}

// Green: pixel bits 8-10 from the high byte, bits 6-7 from the low one.
__attribute__((always_inline)) inline v128_t GreenBits(Pixels p) {
    return wasm_v128_or(wasm_i8x16_shl(p.high, 5), wasm_u8x16_shr(p.low, 3));
}

__attribute__((always_inline)) inline Channels SplitChannels(Pixels p) {
    const v128_t top5 = Bytes(0xF8);
    return {wasm_v128_and(p.high, top5), wasm_v128_and(GreenBits(p), top5), wasm_i8x16_shl(p.low, 3)};
}

// Channels as plain 5-bit values (0-31), to index a table column.
__attribute__((always_inline)) inline Channels SplitChannelValues(Pixels p) {
    return {wasm_u8x16_shr(p.high, 3), wasm_u8x16_shr(GreenBits(p), 3), wasm_v128_and(p.low, Bytes(31))};
}

// x / 255 as the kernels compute it. Exact for every x = 64 a w with a and w
// in 0-31, not for every 16-bit x.
constexpr int DivideBy255(int x) {
    return (x + (x >> 8) + 1) >> 8;
}

constexpr bool DividesEveryProductExactly() {
    for (int a = 0; a < 32; ++a) {
        for (int w = 0; w < 32; ++w) {
            if (DivideBy255(64 * a * w) != 64 * a * w / 255) {
                return false;
            }
        }
    }
    return true;
}
static_assert(DividesEveryProductExactly(), "the blend table's products need another division");

// DivideBy255 of 8 16-bit products, left in the high byte of each lane.
__attribute__((always_inline)) inline v128_t DivideInHighBytes(v128_t x) {
    return wasm_i16x8_add(wasm_i16x8_add(x, wasm_u16x8_shr(x, 8)), wasm_i16x8_splat(1));
}

// The blend table's floor(64 a w / 255) for 16 pairs given as 8a and 8w:
// extmul gives x = 64 a w (at most 61504), the division leaves the result in
// each high byte, and one shuffle gathers those.
__attribute__((always_inline)) inline v128_t TableProduct(v128_t a8, v128_t w8) {
    const v128_t low = DivideInHighBytes(wasm_u16x8_extmul_low_u8x16(a8, w8));
    const v128_t high = DivideInHighBytes(wasm_u16x8_extmul_high_u8x16(a8, w8));
    return wasm_i8x16_shuffle(low, high, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
}

// The blend table's column for one weight, T[a][weight] for a = 0-31, in two
// 16-byte halves: at a weight that is the same for the whole row, two
// swizzles replace each product.
struct Column {
    v128_t first, second; // a = 0-15, a = 16-31
};

Column TableColumn(int weight) {
    const v128_t w8 = Bytes(static_cast<uint8_t>(weight << 3));
    const v128_t a8 = wasm_u8x16_make(0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120);
    return {TableProduct(a8, w8), TableProduct(wasm_i8x16_add(a8, Bytes(128)), w8)};
}

// T[value][weight] for 16 values: a swizzle gives 0 for an index past 15, so
// each value is found in exactly one half (value - 16 wraps past 15 below 16).
__attribute__((always_inline)) inline v128_t LookUp(const Column& column, v128_t values) {
    return wasm_v128_or(wasm_i8x16_swizzle(column.first, values),
                        wasm_i8x16_swizzle(column.second, wasm_i8x16_sub(values, Bytes(16))));
}

__attribute__((always_inline)) inline Channels LookUp(const Column& column, const Channels& values) {
    return {LookUp(column, values.red), LookUp(column, values.green), LookUp(column, values.blue)};
}

__attribute__((always_inline)) inline Channels AddChannels(const Channels& a, const Channels& b) {
    return {wasm_i8x16_add(a.red, b.red), wasm_i8x16_add(a.green, b.green), wasm_i8x16_add(a.blue, b.blue)};
}

// Each channel's sum of s at weight w and d at rest = 31 - w (both as 8w),
// at most 241, as BlendPixel adds them.
__attribute__((always_inline)) inline Channels BlendSums(const Channels& s, v128_t w8, const Channels& d,
                                                         v128_t rest8) {
    return {wasm_i8x16_add(TableProduct(s.red, w8), TableProduct(d.red, rest8)),
            wasm_i8x16_add(TableProduct(s.green, w8), TableProduct(d.green, rest8)),
            wasm_i8x16_add(TableProduct(s.blue, w8), TableProduct(d.blue, rest8))};
}

// The pixels BlendPixel makes of channel sums: red >> 3, green >> 2, blue >> 3.
__attribute__((always_inline)) inline Pixels PackSums(const Channels& sum) {
    return {wasm_v128_or(wasm_v128_and(wasm_i8x16_shl(sum.green, 3), Bytes(0xE0)), wasm_u8x16_shr(sum.blue, 3)),
            wasm_v128_or(wasm_v128_and(sum.red, Bytes(0xF8)), wasm_u8x16_shr(sum.green, 5))};
}

// The channels of PackSums(sum), straight from the sums: their top five bits.
__attribute__((always_inline)) inline Channels SumsAsChannels(const Channels& sum) {
    const v128_t top5 = Bytes(0xF8);
    return {wasm_v128_and(sum.red, top5), wasm_v128_and(sum.green, top5), wasm_v128_and(sum.blue, top5)};
}

// Lanes of mask from a, the others from b.
__attribute__((always_inline)) inline Pixels Select(v128_t mask, Pixels a, Pixels b) {
    return {wasm_v128_bitselect(a.low, b.low, mask), wasm_v128_bitselect(a.high, b.high, mask)};
}

struct Key {
    v128_t low, high;
};

Key SplitKey(uint16_t colorKey) {
    return {Bytes(static_cast<uint8_t>(colorKey)), Bytes(static_cast<uint8_t>(colorKey >> 8))};
}

__attribute__((always_inline)) inline v128_t IsKey(Pixels s, const Key& key) {
    return wasm_v128_and(wasm_i8x16_eq(s.low, key.low), wasm_i8x16_eq(s.high, key.high));
}

// Lays down 16 pixels by their alpha bytes: d where the weight (alpha >> 3) is
// 0 or s is the key, s where it is 31, the blend of s and d between.
__attribute__((always_inline)) inline Pixels LayByAlpha(Pixels s, const Channels& sChannels, Pixels d, v128_t alpha,
                                                        v128_t skip) {
    const v128_t top5 = Bytes(0xF8);
    const v128_t w8 = wasm_v128_and(alpha, top5);
    const v128_t rest8 = wasm_v128_andnot(top5, alpha); // (31 - w) << 3
    const Pixels blended = PackSums(BlendSums(sChannels, w8, SplitChannels(d), rest8));
    const Pixels laid = Select(wasm_u8x16_ge(alpha, Bytes(248)), s, blended);
    return Select(wasm_v128_or(skip, wasm_u8x16_lt(alpha, Bytes(8))), d, laid);
}

// Stores step(i), the new values of pixels i to i + 15, along a row of at
// least 16 pixels. The last step of a row that does not fill whole steps
// overlaps the one before: it is computed first, from the untouched
// destination, and stored last, so no pixel is blended twice.
template <typename Step> void ForEachStep(uint8_t* destination, int count, const Step& step) {
    const int last = count - kStep;
    const auto lastStep = step(last);
    for (int i = 0; i < last; i += kStep) {
        StoreStep(destination + 2 * i, step(i));
    }
    StoreStep(destination + 2 * last, lastStep);
}

void KeyedRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey) {
    if (count < kStep) {
        g_scalarKernels.keyed(destination, source, count, colorKey);
        return;
    }
    const v128_t key = wasm_u16x8_splat(colorKey);
    auto half = [&](int i) __attribute__((always_inline)) {
        const v128_t s = wasm_v128_load(source + 2 * i);
        return wasm_v128_bitselect(wasm_v128_load(destination + 2 * i), s, wasm_i16x8_eq(s, key));
    };
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            return Words{half(i), half(i + 8)};
        });
}

void AlphaRow(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey) {
    if (count < kStep) {
        g_scalarKernels.alpha(destination, source, alpha, count, colorKey);
        return;
    }
    const Key key = SplitKey(colorKey);
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            const Pixels s = LoadStep(source + 2 * i);
            return LayByAlpha(s, SplitChannels(s), LoadStep(destination + 2 * i), wasm_v128_load(alpha + i),
                              IsKey(s, key));
        });
}

void TranslucentRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, int weight) {
    if (weight == 0) {
        return;
    }
    if (weight == 31) {
        KeyedRow(destination, source, count, colorKey);
        return;
    }
    if (count < kStep || weight < 0 || weight > 31) {
        g_scalarKernels.translucent(destination, source, count, colorKey, weight);
        return;
    }
    const Key key = SplitKey(colorKey);
    const Column sourceColumn = TableColumn(weight);
    const Column destinationColumn = TableColumn(31 - weight);
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            const Pixels s = LoadStep(source + 2 * i);
            const Pixels d = LoadStep(destination + 2 * i);
            const Channels sums = AddChannels(LookUp(sourceColumn, SplitChannelValues(s)),
                                              LookUp(destinationColumn, SplitChannelValues(d)));
            return Select(IsKey(s, key), d, PackSums(sums));
        });
}

// The source pulled towards tint: tint's products at the tint weight are the
// same for every pixel, the source's come from one column. The key is tested
// on the untinted source.
struct Tint {
    Channels products;
    Column sourceColumn;
    Key key;
};

Tint MakeTint(uint16_t tint, int tintWeight, uint16_t colorKey) {
    const v128_t w8 = Bytes(static_cast<uint8_t>(tintWeight << 3));
    auto product = [&](int channel) { return TableProduct(Bytes(static_cast<uint8_t>(channel << 3)), w8); };
    return {{product(tint >> 11), product((tint >> 6) & 31), product(tint & 31)},
            TableColumn(31 - tintWeight),
            SplitKey(colorKey)};
}

// The channel sums of the tinted source.
__attribute__((always_inline)) inline Channels TintSums(const Tint& tint, Pixels s) {
    return AddChannels(tint.products, LookUp(tint.sourceColumn, SplitChannelValues(s)));
}

void TintedRow(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey,
               uint16_t tint, int tintWeight) {
    if (count < kStep || tintWeight < 0 || tintWeight > 31) {
        g_scalarKernels.tinted(destination, source, alpha, count, colorKey, tint, tintWeight);
        return;
    }
    const Tint tinting = MakeTint(tint, tintWeight, colorKey);
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            const Pixels s = LoadStep(source + 2 * i);
            const Channels tinted = TintSums(tinting, s);
            return LayByAlpha(PackSums(tinted), SumsAsChannels(tinted), LoadStep(destination + 2 * i),
                              wasm_v128_load(alpha + i), IsKey(s, tinting.key));
        });
}

void TintedOpaqueRow(uint8_t* destination, const uint8_t* source, int count, uint16_t colorKey, uint16_t tint,
                     int tintWeight) {
    if (count < kStep || tintWeight < 0 || tintWeight > 31) {
        g_scalarKernels.tintedOpaque(destination, source, count, colorKey, tint, tintWeight);
        return;
    }
    const Tint tinting = MakeTint(tint, tintWeight, colorKey);
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            const Pixels s = LoadStep(source + 2 * i);
            return Select(IsKey(s, tinting.key), LoadStep(destination + 2 * i), PackSums(TintSums(tinting, s)));
        });
}

} // namespace

const RowKernels g_simd128Kernels = {"simd128", KeyedRow, AlphaRow, TranslucentRow, TintedRow, TintedOpaqueRow};
