// The row kernels on AVX2: sixteen pixels a block; rows of fewer go to the
// SSE2 set.
#include "sprite/kernels/VectorRows.h"

#include <immintrin.h>

namespace {

using Words16 = uint16_t __attribute__((vector_size(32)));

struct Avx2 : LaneArithmetic<Words16>, WholeBlocks<Avx2, Words16> {
    static const RowKernels& Shorter() { return g_sse2Kernels; }
    static V LoadAlpha(const uint8_t* p, Lanes) {
        return (V)_mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static V MulHi(V a, V b) { return (V)_mm256_mulhi_epu16((__m256i)a, (__m256i)b); }
    // A blend, where SSE2 needs three instructions.
    static V Select(V m, V ifSet, V otherwise) {
        return (V)_mm256_blendv_epi8((__m256i)otherwise, (__m256i)ifSet, (__m256i)m);
    }
    // The blend reads only the top bit of each byte: the mark is its own mask.
    static V KeepWhere(V mark, V d, V v) { return Select(mark, d, v); }
    // Two halves of eight pixels.
    static V LoadPair(const uint8_t* first, const uint8_t* second) {
        return (V)_mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(second),
                                      reinterpret_cast<const __m128i*>(first));
    }
    static void StorePair(uint8_t* first, uint8_t* second, V v) {
        _mm256_storeu2_m128i(reinterpret_cast<__m128i*>(second), reinterpret_cast<__m128i*>(first), (__m256i)v);
    }
};

} // namespace

RowKernels g_avx2Kernels = MakeRowKernels<VectorRows<Avx2>>("avx2");
