// WebAssembly SIMD128 row kernels, 16 pixels a step in 8-bit lanes
// (ByteLaneRows.h): WebAssembly has no 16-bit multiply-high, but extmul
// widens two 8-bit lanes into their 16-bit product, from which the blend
// table's division is a few adds and shifts. Built with -msimd128.
#include "sprite/kernels/ByteLaneRows.h"

#include <wasm_simd128.h>

namespace {

// x / 255 as TableProduct computes it: the high byte of x + (x >> 8) + 1.
constexpr int DivideBy255(int x) {
    return (x + (x >> 8) + 1) >> 8;
}
static_assert(DividesEveryProductExactly(DivideBy255), "the blend table's products need another division");

struct Simd128 {
    using V = v128_t;
    using W = v128_t;
    using Pixels = BytePixels<V>;
    using Channels = ByteChannels<V>;
    static const RowKernels& Shorter() { return g_scalarKernels; }
    // Two halves: a = 0-15, a = 16-31.
    struct Column {
        V first, second;
    };

    __attribute__((always_inline)) static V SplatByte(uint8_t value) { return wasm_u8x16_splat(value); }
    __attribute__((always_inline)) static W SplatWord(uint16_t value) { return wasm_u16x8_splat(value); }
    __attribute__((always_inline)) static V LoadBytes(const uint8_t* bytes) { return wasm_v128_load(bytes); }
    __attribute__((always_inline)) static W LoadWords(const uint8_t* bytes) { return wasm_v128_load(bytes); }
    __attribute__((always_inline)) static void StoreWords(uint8_t* bytes, W words) { wasm_v128_store(bytes, words); }

    __attribute__((always_inline)) static Pixels LoadPixels(const uint8_t* bytes) {
        const V a = wasm_v128_load(bytes);
        const V b = wasm_v128_load(bytes + 16);
        return {wasm_i8x16_shuffle(a, b, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
                wasm_i8x16_shuffle(a, b, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31)};
    }

    __attribute__((always_inline)) static void StorePixels(uint8_t* bytes, Pixels p) {
        wasm_v128_store(bytes,
                        wasm_i8x16_shuffle(p.low, p.high, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
        wasm_v128_store(bytes + 16, wasm_i8x16_shuffle(p.low, p.high, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14,
                                                       30, 15, 31));
    }

    __attribute__((always_inline)) static V And(V a, V b) { return wasm_v128_and(a, b); }
    __attribute__((always_inline)) static V Or(V a, V b) { return wasm_v128_or(a, b); }
    __attribute__((always_inline)) static V AndNot(V a, V b) { return wasm_v128_andnot(a, b); }
    __attribute__((always_inline)) static V AddBytes(V a, V b) { return wasm_i8x16_add(a, b); }
    __attribute__((always_inline)) static V Eq(V a, V b) { return wasm_i8x16_eq(a, b); }
    __attribute__((always_inline)) static V AtLeast(V a, V b) { return wasm_u8x16_ge(a, b); }
    __attribute__((always_inline)) static V Below(V a, V b) { return wasm_u8x16_lt(a, b); }
    __attribute__((always_inline)) static V Select(V mask, V a, V b) { return wasm_v128_bitselect(a, b, mask); }
    __attribute__((always_inline)) static W KeepWhereEqual(W s, W d, W key) {
        return wasm_v128_bitselect(d, s, wasm_i16x8_eq(s, key));
    }

    // Green: pixel bits 8-10 from the high byte, bits 6-7 from the low one.
    __attribute__((always_inline)) static V GreenBits(Pixels p) {
        return wasm_v128_or(wasm_i8x16_shl(p.high, 5), wasm_u8x16_shr(p.low, 3));
    }

    __attribute__((always_inline)) static Channels SplitChannels(Pixels p) {
        const V top5 = SplatByte(0xF8);
        return {wasm_v128_and(p.high, top5), wasm_v128_and(GreenBits(p), top5), wasm_i8x16_shl(p.low, 3)};
    }

    __attribute__((always_inline)) static Channels SplitChannelValues(Pixels p) {
        return {wasm_u8x16_shr(p.high, 3), wasm_u8x16_shr(GreenBits(p), 3), wasm_v128_and(p.low, SplatByte(31))};
    }

    __attribute__((always_inline)) static Pixels PackSums(const Channels& sum) {
        return {wasm_v128_or(wasm_v128_and(wasm_i8x16_shl(sum.green, 3), SplatByte(0xE0)), wasm_u8x16_shr(sum.blue, 3)),
                wasm_v128_or(wasm_v128_and(sum.red, SplatByte(0xF8)), wasm_u8x16_shr(sum.green, 5))};
    }

    // DivideBy255 of 8 16-bit products, left in the high byte of each lane.
    __attribute__((always_inline)) static V DivideInHighBytes(V x) {
        return wasm_i16x8_add(wasm_i16x8_add(x, wasm_u16x8_shr(x, 8)), wasm_i16x8_splat(1));
    }

    // extmul gives x = 64 a w (at most 61504), the division leaves the result
    // in each high byte, and one shuffle gathers those.
    __attribute__((always_inline)) static V TableProduct(V a8, V w8) {
        const V low = DivideInHighBytes(wasm_u16x8_extmul_low_u8x16(a8, w8));
        const V high = DivideInHighBytes(wasm_u16x8_extmul_high_u8x16(a8, w8));
        return wasm_i8x16_shuffle(low, high, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
    }

    static Column TableColumn(int weight) {
        const V w8 = SplatByte(static_cast<uint8_t>(weight << 3));
        const V a8 = wasm_u8x16_make(0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120);
        return {TableProduct(a8, w8), TableProduct(wasm_i8x16_add(a8, SplatByte(128)), w8)};
    }

    // A swizzle gives 0 for an index past 15, so each value is found in
    // exactly one half (value - 16 wraps past 15 below 16).
    __attribute__((always_inline)) static V LookUp(const Column& column, V values) {
        return wasm_v128_or(wasm_i8x16_swizzle(column.first, values),
                            wasm_i8x16_swizzle(column.second, wasm_i8x16_sub(values, SplatByte(16))));
    }
};

} // namespace

const RowKernels g_simd128Kernels = MakeRowKernels<ByteLaneRows<Simd128>>("simd128");
