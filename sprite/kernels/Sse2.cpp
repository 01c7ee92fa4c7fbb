// The row kernels on SSE2: eight pixels a block. Every x86-64 processor has
// SSE2; rows of fewer than eight pixels go to the scalar set.
#include "sprite/kernels/VectorRows.h"

#include <emmintrin.h>

namespace {

struct Sse2 {
    using V = __m128i;
    using M = __m128i;
    struct Lanes {};
    static constexpr Lanes kAll{};
    static constexpr bool kWalksAnyCount = false;
    static constexpr int kLanes = 8;
    static constexpr int kShortest = kLanes;
    static const RowKernels& Shorter() { return g_scalarKernels; }

    static V Load(const uint8_t* p, Lanes) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static V LoadAlpha(const uint8_t* p, Lanes) {
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    }
    static void Store(uint8_t* p, V v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
    template <typename Block> static void Walk(uint8_t* destination, int count, Block block) {
        WalkOverlapping<Sse2>(
            destination, count, [&](ptrdiff_t i) __attribute__((always_inline)) { return block(i, Lanes{}); });
    }

    static V Set(int value) { return _mm_set1_epi16(static_cast<short>(value)); }
    static V Add(V a, V b) { return _mm_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V And(V a, V b) { return _mm_and_si128(a, b); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V MulLo(V a, V b) { return _mm_mullo_epi16(a, b); }
    static V MulHi(V a, V b) { return _mm_mulhi_epu16(a, b); }
    template <int n> static V Srl(V a) { return _mm_srli_epi16(a, n); }
    template <int n> static V Sll(V a) { return _mm_slli_epi16(a, n); }
    static V Opaque(V v) {
        __asm__("" : "+x"(v));
        return v;
    }
    static M Eq(V a, V b) { return _mm_cmpeq_epi16(a, b); }
    static V Select(M m, V ifSet, V otherwise) {
        return _mm_or_si128(_mm_and_si128(m, ifSet), _mm_andnot_si128(m, otherwise));
    }
    using Skip = M;
    static Skip SkipWhere(V a, V b) { return Eq(a, b); }
    static Skip AlsoSkipWhere(Skip skip, V a, V b) { return Or(skip, Eq(a, b)); }
    static V Finish(Skip skip, V d, V v) { return Select(skip, d, v); }
};

} // namespace

const RowKernels g_sse2Kernels = MakeRowKernels<VectorRows<Sse2>>("sse2");
