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

// What both of this file's records do alike, under lane masks: 16 lanes in
// 256-bit registers or 32 in 512-bit ones, as V has them.
template <typename Vector, typename Mask> struct MaskedLanes : LaneArithmetic<Vector> {
    using V = Vector;
    using M = Mask;
    using Lanes = Mask; // the pixels of the block that lie in the row
    static constexpr Lanes kAll = static_cast<Lanes>(~Lanes{0});
    static constexpr int kLanes = sizeof(V) / 2;
    static constexpr bool kWide = kLanes == 32;

    static V Load(const uint8_t* p, Lanes lanes) {
        if constexpr (kWide) {
            return (V)_mm512_maskz_loadu_epi16(lanes, p);
        } else {
            return (V)_mm256_maskz_loadu_epi16(lanes, p);
        }
    }
    static V LoadAlpha(const uint8_t* p, Lanes lanes) {
        if constexpr (kWide) {
            return (V)_mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(lanes, p));
        } else {
            return (V)_mm256_cvtepu8_epi16(_mm_maskz_loadu_epi8(lanes, p));
        }
    }
    static void StoreMasked(uint8_t* p, Lanes lanes, V v) {
        if constexpr (kWide) {
            _mm512_mask_storeu_epi16(p, lanes, (__m512i)v);
        } else {
            _mm256_mask_storeu_epi16(p, lanes, (__m256i)v);
        }
    }
    static V MulHi(V a, V b) {
        if constexpr (kWide) {
            return (V)_mm512_mulhi_epu16((__m512i)a, (__m512i)b);
        } else {
            return (V)_mm256_mulhi_epu16((__m256i)a, (__m256i)b);
        }
    }
    static M Eq(V a, V b) {
        if constexpr (kWide) {
            return _mm512_cmpeq_epi16_mask((__m512i)a, (__m512i)b);
        } else {
            return _mm256_cmpeq_epi16_mask((__m256i)a, (__m256i)b);
        }
    }
    // Where m is set ifSet, else otherwise.
    static V Select(M m, V ifSet, V otherwise) {
        if constexpr (kWide) {
            return (V)_mm512_mask_blend_epi16(m, (__m512i)otherwise, (__m512i)ifSet);
        } else {
            return (V)_mm256_mask_blend_epi16(m, (__m256i)otherwise, (__m256i)ifSet);
        }
    }

    // Skipped lanes are held as their complement, the lanes that take the new
    // pixels, which chained masked compares build without mask arithmetic.
    struct Skip {
        M write;
    };
    static Skip AlsoSkipWhere(Skip skip, V a, V b) {
        if constexpr (kWide) {
            return {_mm512_mask_cmpneq_epi16_mask(skip.write, (__m512i)a, (__m512i)b)};
        } else {
            return {_mm256_mask_cmpneq_epi16_mask(skip.write, (__m256i)a, (__m256i)b)};
        }
    }
    static Skip SkipWhere(V a, V b) { return AlsoSkipWhere({kAll}, a, b); }
    static V Finish(Skip skip, V d, V v) { return Select(skip.write, v, d); }
    // d in the lanes whose word of mark has its top bit set, v in the others.
    static V KeepWhere(V mark, V d, V v) {
        if constexpr (kWide) {
            return Select(_mm512_movepi16_mask((__m512i)mark), d, v);
        } else {
            return Select(_mm256_movepi16_mask((__m256i)mark), d, v);
        }
    }
    // block(lanes)'s pixels stored at p, but for its first keep lanes, which stay.
    template <typename Block> static void StoreAfter(uint8_t* p, int keep, Block block) {
        const Lanes lanes = static_cast<Lanes>(kAll << keep);
        StoreMasked(p, lanes, block(lanes));
    }
};

// Sixteen lanes in 256-bit registers, for draws of rows up to 16 pixels.
struct Avx512Narrow : MaskedLanes<Words16, __mmask16> {
    static constexpr bool kWalksAnyCount = true; // masked
    static constexpr int kShortest = 1;
    static const RowKernels& Shorter() { return g_scalarKernels; }
    template <typename Block>
    __attribute__((always_inline)) static void Walk(uint8_t* destination, int count, Block block) {
        WalkMasked<Avx512Narrow>(destination, count, block);
    }
    // Two halves of eight pixels.
    static V LoadPair(const uint8_t* first, const uint8_t* second) {
        return (V)_mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(second),
                                      reinterpret_cast<const __m128i*>(first));
    }
    static void StorePair(uint8_t* first, uint8_t* second, V v) {
        _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(second), reinterpret_cast<__m128i*>(first), (__m256i)v);
    }
};

// Only the full set's short draws come here.
const RowKernels g_avx512NarrowKernels = MakeRowKernels<VectorRows<Avx512Narrow>>("avx512");

struct Avx512 : MaskedLanes<Words32, __mmask32> {
    static constexpr bool kWalksAnyCount = false; // masked below 32
    static constexpr int kShortest = Avx512Narrow::kLanes + 1;
    static const RowKernels& Shorter() { return g_avx512NarrowKernels; }
    template <typename Block>
    __attribute__((always_inline)) static void Walk(uint8_t* destination, int count, Block block) {
        if (count >= kLanes) {
            WalkOverlapping<Avx512>(
                destination, count, [&](ptrdiff_t i) __attribute__((always_inline)) { return block(i, kAll); });
        } else {
            WalkMasked<Avx512>(destination, count, block);
        }
    }
};

} // namespace

RowKernels g_avx512Kernels = MakeRowKernels<VectorRows<Avx512>>("avx512");
