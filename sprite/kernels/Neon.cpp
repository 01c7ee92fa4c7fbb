// NEON row kernels, 16 pixels a step in 8-bit lanes (ByteLaneRows.h):
// vld2q_u8 splits the pixels into their low and high bytes. NEON has no
// 16-bit multiply-high to do the blend table's division in 16-bit lanes.
#include "sprite/kernels/ByteLaneRows.h"

#include <arm_neon.h>

namespace {

// x / 255 as TableProduct computes it: the high byte of x + ((x + 128) >> 8).
constexpr int DivideBy255(int x) {
    return (x + ((x + 128) >> 8)) >> 8;
}
static_assert(DividesEveryProductExactly(DivideBy255), "the blend table's products need another division");

struct Neon : ByteLanes<uint8x16_t> {
    using W = uint16x8_t;
    // A 32-byte tbl table.
    using Column = uint8x16x2_t;

    __attribute__((always_inline)) static W SplatWord(uint16_t value) { return vdupq_n_u16(value); }
    __attribute__((always_inline)) static V LoadBytes(const uint8_t* bytes) { return vld1q_u8(bytes); }
    __attribute__((always_inline)) static W LoadWords(const uint8_t* bytes) {
        return vreinterpretq_u16_u8(vld1q_u8(bytes));
    }
    __attribute__((always_inline)) static void StoreWords(uint8_t* bytes, W words) {
        vst1q_u8(bytes, vreinterpretq_u8_u16(words));
    }

    // val[0] the low bytes, val[1] the high bytes.
    __attribute__((always_inline)) static Pixels LoadPixels(const uint8_t* bytes) {
        const uint8x16x2_t p = vld2q_u8(bytes);
        return {p.val[0], p.val[1]};
    }
    __attribute__((always_inline)) static void StorePixels(uint8_t* bytes, Pixels p) {
        vst2q_u8(bytes, uint8x16x2_t{{p.low, p.high}});
    }
    __attribute__((always_inline)) static Pixels LoadPair(const uint8_t* first, const uint8_t* second) {
        const uint8x8x2_t a = vld2_u8(first);
        const uint8x8x2_t b = vld2_u8(second);
        return {vcombine_u8(a.val[0], b.val[0]), vcombine_u8(a.val[1], b.val[1])};
    }
    __attribute__((always_inline)) static void StorePair(uint8_t* first, uint8_t* second, Pixels p) {
        vst2_u8(first, uint8x8x2_t{{vget_low_u8(p.low), vget_low_u8(p.high)}});
        vst2_u8(second, uint8x8x2_t{{vget_high_u8(p.low), vget_high_u8(p.high)}});
    }

    __attribute__((always_inline)) static V Select(V mask, V a, V b) { return vbslq_u8(mask, a, b); }
    __attribute__((always_inline)) static W KeepWhereEqual(W s, W d, W key) {
        return vbslq_u16(vceqq_u16(s, key), d, s);
    }

    // Green: pixel bits 8-10 from the high byte, bits 6-7 from the low one.
    __attribute__((always_inline)) static V GreenBits(Pixels p) { return vsriq_n_u8(vshlq_n_u8(p.high, 5), p.low, 3); }

    __attribute__((always_inline)) static Pixels PackSums(const Channels& sum) {
        return {vsriq_n_u8(vshlq_n_u8(sum.green, 3), sum.blue, 3), vsriq_n_u8(sum.red, sum.green, 5)};
    }

    // One multiply gives x = 64 a w, ursra and uzp2 divide as DivideBy255.
    __attribute__((always_inline)) static V TableProduct(V a8, V w8) {
        uint16x8_t low = vmull_u8(vget_low_u8(a8), vget_low_u8(w8));
        uint16x8_t high = vmull_high_u8(a8, w8);
        low = vrsraq_n_u16(low, low, 8);
        high = vrsraq_n_u16(high, high, 8);
        return vuzp2q_u8(vreinterpretq_u8_u16(low), vreinterpretq_u8_u16(high));
    }

    static Column TableColumn(int weight) {
        static const uint8_t k8a[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120};
        const V w8 = vdupq_n_u8(static_cast<uint8_t>(weight << 3));
        const V a8 = vld1q_u8(k8a);
        return {{TableProduct(a8, w8), TableProduct(vaddq_u8(a8, vdupq_n_u8(128)), w8)}};
    }

    __attribute__((always_inline)) static V LookUp(const Column& column, V values) {
        return vqtbl2q_u8(column, values);
    }
};

} // namespace

RowKernels g_neonKernels = MakeRowKernels<ByteLaneRows<Neon>>("neon");
