// The row kernels on SSE2: eight pixels a block. Every x86-64 processor has
// SSE2; rows of fewer than eight pixels go to the scalar set.
#include "sprite/kernels/VectorRows.h"

#include <emmintrin.h>

namespace {

using Words8 = uint16_t __attribute__((vector_size(16)));

struct Sse2 : LaneArithmetic<Words8>, WholeBlocks<Sse2, Words8> {
    static const RowKernels& Shorter() { return g_scalarKernels; }
    static V LoadAlpha(const uint8_t* p, Lanes) {
        return (V)_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    }
    static V MulHi(V a, V b) { return (V)_mm_mulhi_epu16((__m128i)a, (__m128i)b); }
    // d in the lanes whose word of mark has its top bit set, v in the others.
    static V KeepWhere(V mark, V d, V v) { return Select((V)_mm_srai_epi16((__m128i)mark, 15), d, v); }
};

} // namespace

RowKernels g_sse2Kernels = MakeRowKernels<VectorRows<Sse2>>("sse2");
