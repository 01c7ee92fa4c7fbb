// NEON row kernels, 16 pixels a step. vld2q_u8 splits the pixels into their
// low and high bytes, so every channel is worked in 8-bit lanes: NEON has no
// 16-bit multiply-high to do the blend table's division in 16-bit lanes.
#include "sprite/kernels/Kernels.h"

#include <arm_neon.h>

namespace {

constexpr int kStep = 16;

// 16 pixels: val[0] the low bytes, val[1] the high bytes.
using Pixels = uint8x16x2_t;

// 16 pixels of each channel as the blend table indexes it (red p >> 11, green
// (p >> 6) & 31, blue p & 31), each shifted left by 3. Also used for the
// channel sums of a blend, before they are packed.
struct Channels {
    uint8x16_t red, green, blue;
};

// The helpers here are always inlined into the row loops: a call would pass
// the vectors through memory.
__attribute__((always_inline)) inline Channels SplitChannels(Pixels p) {
    const uint8x16_t top5 = vdupq_n_u8(0xF8);
    // Green: pixel bits 8-10 from the high byte, bits 6-7 from the low one.
    return {vandq_u8(p.val[1], top5), vandq_u8(vsriq_n_u8(vshlq_n_u8(p.val[1], 5), p.val[0], 3), top5),
            vshlq_n_u8(p.val[0], 3)};
}

// x / 255 as the kernels compute it: the high byte of x + ((x + 128) >> 8).
// Exact for every x = 64 a w with a and w in 0-31, not for every 16-bit x.
constexpr int DivideBy255(int x) {
    return (x + ((x + 128) >> 8)) >> 8;
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

// The blend table's floor(64 a w / 255) for 16 pairs given as 8a and 8w: one
// multiply gives x = 64 a w, ursra and uzp2 divide as DivideBy255.
__attribute__((always_inline)) inline uint8x16_t TableProduct(uint8x16_t a8, uint8x16_t w8) {
    uint16x8_t low = vmull_u8(vget_low_u8(a8), vget_low_u8(w8));
    uint16x8_t high = vmull_high_u8(a8, w8);
    low = vrsraq_n_u16(low, low, 8);
    high = vrsraq_n_u16(high, high, 8);
    return vuzp2q_u8(vreinterpretq_u8_u16(low), vreinterpretq_u8_u16(high));
}

// Channels as plain 5-bit values (0-31), to index a table column.
__attribute__((always_inline)) inline Channels SplitChannelValues(Pixels p) {
    return {vshrq_n_u8(p.val[1], 3), vshrq_n_u8(vsriq_n_u8(vshlq_n_u8(p.val[1], 5), p.val[0], 3), 3),
            vandq_u8(p.val[0], vdupq_n_u8(31))};
}

// The blend table's column for one weight, T[a][weight] for a = 0-31, as a
// 32-byte tbl table: at a weight that is the same for the whole row one tbl
// replaces each product.
uint8x16x2_t TableColumn(int weight) {
    static const uint8_t k8a[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120};
    const uint8x16_t w8 = vdupq_n_u8(static_cast<uint8_t>(weight << 3));
    const uint8x16_t a8 = vld1q_u8(k8a);
    return {{TableProduct(a8, w8), TableProduct(vaddq_u8(a8, vdupq_n_u8(128)), w8)}};
}

// Each channel's column entry: T[value][weight].
__attribute__((always_inline)) inline Channels LookUp(const uint8x16x2_t& column, const Channels& values) {
    return {vqtbl2q_u8(column, values.red), vqtbl2q_u8(column, values.green), vqtbl2q_u8(column, values.blue)};
}

__attribute__((always_inline)) inline Channels AddChannels(const Channels& a, const Channels& b) {
    return {vaddq_u8(a.red, b.red), vaddq_u8(a.green, b.green), vaddq_u8(a.blue, b.blue)};
}

// Each channel's sum of s at weight w and d at rest = 31 - w (both as 8w),
// at most 241, as BlendPixel adds them.
__attribute__((always_inline)) inline Channels BlendSums(const Channels& s, uint8x16_t w8, const Channels& d,
                                                         uint8x16_t rest8) {
    return {vaddq_u8(TableProduct(s.red, w8), TableProduct(d.red, rest8)),
            vaddq_u8(TableProduct(s.green, w8), TableProduct(d.green, rest8)),
            vaddq_u8(TableProduct(s.blue, w8), TableProduct(d.blue, rest8))};
}

// The pixels BlendPixel makes of channel sums: red >> 3, green >> 2, blue >> 3.
__attribute__((always_inline)) inline Pixels PackSums(const Channels& sum) {
    return {{vsriq_n_u8(vshlq_n_u8(sum.green, 3), sum.blue, 3), vsriq_n_u8(sum.red, sum.green, 5)}};
}

// The channels of PackSums(sum), straight from the sums: their top five bits.
__attribute__((always_inline)) inline Channels SumsAsChannels(const Channels& sum) {
    const uint8x16_t top5 = vdupq_n_u8(0xF8);
    return {vandq_u8(sum.red, top5), vandq_u8(sum.green, top5), vandq_u8(sum.blue, top5)};
}

// Lanes of mask from a, the others from b.
__attribute__((always_inline)) inline Pixels Select(uint8x16_t mask, Pixels a, Pixels b) {
    return {{vbslq_u8(mask, a.val[0], b.val[0]), vbslq_u8(mask, a.val[1], b.val[1])}};
}

struct Key {
    uint8x16_t low, high;
};

Key SplitKey(uint16_t colorKey) {
    return {vdupq_n_u8(static_cast<uint8_t>(colorKey)), vdupq_n_u8(static_cast<uint8_t>(colorKey >> 8))};
}

__attribute__((always_inline)) inline uint8x16_t IsKey(Pixels s, const Key& key) {
    return vandq_u8(vceqq_u8(s.val[0], key.low), vceqq_u8(s.val[1], key.high));
}

// Lays down 16 pixels by their alpha bytes: d where the weight (alpha >> 3) is
// 0 or s is the key, s where it is 31, the blend of s and d between.
__attribute__((always_inline)) inline Pixels LayByAlpha(Pixels s, const Channels& sChannels, Pixels d, uint8x16_t alpha,
                                                        uint8x16_t skip) {
    const uint8x16_t top5 = vdupq_n_u8(0xF8);
    const uint8x16_t w8 = vandq_u8(alpha, top5);
    const uint8x16_t rest8 = vbicq_u8(top5, alpha); // (31 - w) << 3
    const Pixels blended = PackSums(BlendSums(sChannels, w8, SplitChannels(d), rest8));
    const Pixels laid = Select(vcgeq_u8(alpha, vdupq_n_u8(248)), s, blended);
    return Select(vorrq_u8(skip, vcltq_u8(alpha, vdupq_n_u8(8))), d, laid);
}

__attribute__((always_inline)) inline void StoreStep(uint8_t* destination, Pixels p) {
    vst2q_u8(destination, p);
}

// Pixels as whole words, when no channel is taken apart.
__attribute__((always_inline)) inline void StoreStep(uint8_t* destination, uint16x8x2_t words) {
    vst1q_u8(destination, vreinterpretq_u8_u16(words.val[0]));
    vst1q_u8(destination + 16, vreinterpretq_u8_u16(words.val[1]));
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
    // Whole words: the bytes of little-endian pixels are already in lane order.
    const uint16x8_t key = vdupq_n_u16(colorKey);
    auto half = [&](int i) __attribute__((always_inline)) {
        const uint16x8_t s = vreinterpretq_u16_u8(vld1q_u8(source + 2 * i));
        const uint16x8_t d = vreinterpretq_u16_u8(vld1q_u8(destination + 2 * i));
        return vbslq_u16(vceqq_u16(s, key), d, s);
    };
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            return uint16x8x2_t{{half(i), half(i + 8)}};
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
            const Pixels s = vld2q_u8(source + 2 * i);
            return LayByAlpha(s, SplitChannels(s), vld2q_u8(destination + 2 * i), vld1q_u8(alpha + i), IsKey(s, key));
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
    const uint8x16x2_t sourceColumn = TableColumn(weight);
    const uint8x16x2_t destinationColumn = TableColumn(31 - weight);
    ForEachStep(
        destination, count, [&](int i) __attribute__((always_inline)) {
            const Pixels s = vld2q_u8(source + 2 * i);
            const Pixels d = vld2q_u8(destination + 2 * i);
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
    uint8x16x2_t sourceColumn;
    Key key;
};

Tint MakeTint(uint16_t tint, int tintWeight, uint16_t colorKey) {
    const uint8x16_t w8 = vdupq_n_u8(static_cast<uint8_t>(tintWeight << 3));
    auto product = [&](int channel) { return TableProduct(vdupq_n_u8(static_cast<uint8_t>(channel << 3)), w8); };
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
            const Pixels s = vld2q_u8(source + 2 * i);
            const Channels tinted = TintSums(tinting, s);
            return LayByAlpha(PackSums(tinted), SumsAsChannels(tinted), vld2q_u8(destination + 2 * i),
                              vld1q_u8(alpha + i), IsKey(s, tinting.key));
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
            const Pixels s = vld2q_u8(source + 2 * i);
            return Select(IsKey(s, tinting.key), vld2q_u8(destination + 2 * i), PackSums(TintSums(tinting, s)));
        });
}

} // namespace

const RowKernels g_neonKernels = {"neon", KeyedRow, AlphaRow, TranslucentRow, TintedRow, TintedOpaqueRow};
