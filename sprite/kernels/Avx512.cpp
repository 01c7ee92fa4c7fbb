// The row kernels on AVX-512BW with VL: thirty-two pixels a block in 512-bit
// registers, rows of 32 or more ending in an overlapping block (as AVX2's do:
// one more unmasked store costs less than a masked one), shorter ones loaded and
// stored under a lane mask. Draws whose rows are 16 pixels or fewer take
// 16-lane steps in 256-bit registers under the same masks, which cost half
// as much as a 32-lane step at those widths.
#include "sprite/kernels/VectorRows.h"

#include <immintrin.h>

namespace {

// Walks a row of count pixels in blocks of O::kLanes: whole blocks with
// every lane in the row, then the row's end under a lane mask. Blocks are
// stored whole, skipped lanes with their destination: a store masked by the
// pixels that change costs more, as it waits for lines the keyed rows never
// load.
template <typename O, typename Block>
__attribute__((always_inline)) inline void WalkMasked(uint8_t* destination, int count, Block block) {
    using Lanes = typename O::Lanes;
    ptrdiff_t i = 0;
    for (; i + O::kLanes <= count; i += O::kLanes) {
        O::Store(destination + 2 * i, block(i, static_cast<Lanes>(~Lanes{0})));
    }
    if (i < count) {
        const Lanes lanes = static_cast<Lanes>((1u << (count - i)) - 1);
        O::StoreMasked(destination + 2 * i, lanes, block(i, lanes));
    }
}

using Words16 = uint16_t __attribute__((vector_size(32)));
using Words32 = uint16_t __attribute__((vector_size(64)));

// Sixteen lanes in 256-bit registers, for draws of rows up to 16 pixels.
struct Avx512Narrow : LaneArithmetic<Words16> {
    using V = Words16;
    using M = __mmask16;
    using Lanes = __mmask16;
    static constexpr Lanes kAll = 0xFFFF;
    static constexpr bool kWalksAnyCount = true; // masked
    static constexpr int kLanes = 16;
    static constexpr int kShortest = 1;
    static const RowKernels& Shorter() { return g_scalarKernels; }

    static V Load(const uint8_t* p, Lanes lanes) { return (V)_mm256_maskz_loadu_epi16(lanes, p); }
    static V LoadAlpha(const uint8_t* p, Lanes lanes) {
        return (V)_mm256_cvtepu8_epi16(_mm_maskz_loadu_epi8(lanes, p));
    }
    static void Store(uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), (__m256i)v); }
    static void StoreMasked(uint8_t* p, Lanes lanes, V v) { _mm256_mask_storeu_epi16(p, lanes, (__m256i)v); }
    static V MulHi(V a, V b) { return (V)_mm256_mulhi_epu16((__m256i)a, (__m256i)b); }
    struct Skip {
        M write;
    };
    static Skip SkipWhere(V a, V b) { return {_mm256_cmpneq_epi16_mask((__m256i)a, (__m256i)b)}; }
    static Skip AlsoSkipWhere(Skip skip, V a, V b) {
        return {_mm256_mask_cmpneq_epi16_mask(skip.write, (__m256i)a, (__m256i)b)};
    }
    static V Finish(Skip skip, V d, V v) { return (V)_mm256_mask_blend_epi16(skip.write, (__m256i)d, (__m256i)v); }
    template <typename Block> static void Walk(uint8_t* destination, int count, Block block) {
        WalkMasked<Avx512Narrow>(destination, count, block);
    }

    static M Eq(V a, V b) { return _mm256_cmpeq_epi16_mask((__m256i)a, (__m256i)b); }
    static V Select(M m, V ifSet, V otherwise) {
        return (V)_mm256_mask_blend_epi16(m, (__m256i)otherwise, (__m256i)ifSet);
    }
};

// Only the full set's short draws come here.
const RowKernels g_avx512NarrowKernels = VectorRows<Avx512Narrow>::Kernels("avx512");

struct Avx512 : LaneArithmetic<Words32> {
    using V = Words32;
    using M = __mmask32;
    using Lanes = __mmask32; // the pixels of the block that lie in the row
    static constexpr Lanes kAll = 0xFFFFFFFF;
    static constexpr bool kWalksAnyCount = false; // masked below 32
    static constexpr int kLanes = 32;
    static constexpr int kShortest = Avx512Narrow::kLanes + 1;
    static const RowKernels& Shorter() { return g_avx512NarrowKernels; }

    static V Load(const uint8_t* p, Lanes lanes) { return (V)_mm512_maskz_loadu_epi16(lanes, p); }
    static V LoadAlpha(const uint8_t* p, Lanes lanes) {
        return (V)_mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(lanes, p));
    }
    static V MulHi(V a, V b) { return (V)_mm512_mulhi_epu16((__m512i)a, (__m512i)b); }
    // Skipped lanes are held as their complement, the lanes that take the new
    // pixels, which chained masked compares build without mask arithmetic.
    struct Skip {
        M write;
    };
    static Skip SkipWhere(V a, V b) { return {_mm512_cmpneq_epi16_mask((__m512i)a, (__m512i)b)}; }
    static Skip AlsoSkipWhere(Skip skip, V a, V b) {
        return {_mm512_mask_cmpneq_epi16_mask(skip.write, (__m512i)a, (__m512i)b)};
    }
    static V Finish(Skip skip, V d, V v) { return (V)_mm512_mask_blend_epi16(skip.write, (__m512i)d, (__m512i)v); }
    static void Store(uint8_t* p, V v) { _mm512_storeu_si512(p, (__m512i)v); }
    static void StoreMasked(uint8_t* p, Lanes lanes, V v) { _mm512_mask_storeu_epi16(p, lanes, (__m512i)v); }
    template <typename Block> static void Walk(uint8_t* destination, int count, Block block) {
        if (count >= kLanes) {
            WalkOverlapping<Avx512>(
                destination, count, [&](ptrdiff_t i) __attribute__((always_inline)) {
                    return block(i, static_cast<Lanes>(~Lanes{0}));
                });
        } else {
            WalkMasked<Avx512>(destination, count, block);
        }
    }
    static M Eq(V a, V b) { return _mm512_cmpeq_epi16_mask((__m512i)a, (__m512i)b); }
    static V Select(M m, V ifSet, V otherwise) {
        return (V)_mm512_mask_blend_epi16(m, (__m512i)otherwise, (__m512i)ifSet);
    }
};

} // namespace

RowKernels g_avx512Kernels = VectorRows<Avx512>::Kernels("avx512");
