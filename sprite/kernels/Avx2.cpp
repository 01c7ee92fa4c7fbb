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
};

} // namespace

RowKernels g_avx2Kernels = MakeRowKernels<VectorRows<Avx2>>("avx2");
