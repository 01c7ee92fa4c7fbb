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

using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Words8 = uint16_t __attribute__((vector_size(16)));

struct Simd128 : ByteLanes<Bytes16> {
    using W = Words8;
    // Two halves: a = 0-15, a = 16-31.
    struct Column {
        V first, second;
    };

    __attribute__((always_inline)) static W SplatWord(uint16_t value) { return W{} + value; }
    __attribute__((always_inline)) static V LoadBytes(const uint8_t* bytes) { return (V)wasm_v128_load(bytes); }
    __attribute__((always_inline)) static W LoadWords(const uint8_t* bytes) { return (W)wasm_v128_load(bytes); }
    __attribute__((always_inline)) static void StoreWords(uint8_t* bytes, W words) {
        wasm_v128_store(bytes, (v128_t)words);
    }

    __attribute__((always_inline)) static Pixels LoadPair(const uint8_t* first, const uint8_t* second) {
        const v128_t a = wasm_v128_load(first);
        const v128_t b = wasm_v128_load(second);
        return {(V)wasm_i8x16_shuffle(a, b, 0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30),
                (V)wasm_i8x16_shuffle(a, b, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31)};
    }
    __attribute__((always_inline)) static Pixels LoadPixels(const uint8_t* bytes) {
        return LoadPair(bytes, bytes + 16);
    }

    __attribute__((always_inline)) static void StorePair(uint8_t* first, uint8_t* second, Pixels p) {
        const v128_t low = (v128_t)p.low, high = (v128_t)p.high;
        wasm_v128_store(first, wasm_i8x16_shuffle(low, high, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23));
        wasm_v128_store(second,
                        wasm_i8x16_shuffle(low, high, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31));
    }
    __attribute__((always_inline)) static void StorePixels(uint8_t* bytes, Pixels p) {
        StorePair(bytes, bytes + 16, p);
    }

    __attribute__((always_inline)) static V Select(V mask, V a, V b) {
        return (V)wasm_v128_bitselect((v128_t)a, (v128_t)b, (v128_t)mask);
    }
    __attribute__((always_inline)) static W KeepWhereEqual(W s, W d, W key) {
        return (W)wasm_v128_bitselect((v128_t)d, (v128_t)s, (v128_t)(s == key));
    }

    // Green: pixel bits 8-10 from the high byte, bits 6-7 from the low one.
    __attribute__((always_inline)) static V GreenBits(Pixels p) { return (p.high << 5) | (p.low >> 3); }

    __attribute__((always_inline)) static Pixels PackSums(const Channels& sum) {
        return {((sum.green << 3) & 0xE0) | (sum.blue >> 3), (sum.red & 0xF8) | (sum.green >> 5)};
    }

    // DivideBy255 of 8 16-bit products, left in the high byte of each lane.
    __attribute__((always_inline)) static W DivideInHighBytes(W x) { return x + (x >> 8) + 1; }

    // extmul gives x = 64 a w (at most 61504), the division leaves the result
    // in each high byte, and one shuffle gathers those.
    __attribute__((always_inline)) static V TableProduct(V a8, V w8) {
        const W low = DivideInHighBytes((W)wasm_u16x8_extmul_low_u8x16((v128_t)a8, (v128_t)w8));
        const W high = DivideInHighBytes((W)wasm_u16x8_extmul_high_u8x16((v128_t)a8, (v128_t)w8));
        return (V)wasm_i8x16_shuffle((v128_t)low, (v128_t)high, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29,
                                     31);
    }

    static Column TableColumn(int weight) {
        const V w8 = SplatByte(static_cast<uint8_t>(weight << 3));
        const V a8 = (V)wasm_u8x16_make(0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120);
        return {TableProduct(a8, w8), TableProduct(a8 + 128, w8)};
    }

    // A swizzle gives 0 for an index past 15, so each value is found in
    // exactly one half (value - 16 wraps past 15 below 16).
    __attribute__((always_inline)) static V LookUp(const Column& column, V values) {
        return (V)wasm_v128_or(wasm_i8x16_swizzle((v128_t)column.first, (v128_t)values),
                               wasm_i8x16_swizzle((v128_t)column.second, (v128_t)(values - 16)));
    }
};

} // namespace

RowKernels g_simd128Kernels = MakeRowKernels<ByteLaneRows<Simd128>>("simd128");
