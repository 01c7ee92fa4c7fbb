// The row kernels on AVX2: sixteen pixels a block; rows of fewer go to the
// SSE2 set.
#include "sprite/kernels/Arithmetic256.h"
#include "sprite/kernels/VectorRows.h"

#include <immintrin.h>

namespace {

struct Avx2 : Arithmetic256 {
    using M = __m256i;
    struct Lanes {};
    static constexpr Lanes kAll{};
    static constexpr bool kWalksAnyCount = false;
    static constexpr int kLanes = 16;
    static constexpr int kShortest = kLanes;
    static const RowKernels& Shorter() { return g_sse2Kernels; }

    static V Load(const uint8_t* p, Lanes) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static V LoadAlpha(const uint8_t* p, Lanes) {
        return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    }
    static void Store(uint8_t* p, V v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v); }
    template <typename Block> static void Walk(uint8_t* destination, int count, Block block) {
        WalkOverlapping<Avx2>(
            destination, count, [&](ptrdiff_t i) __attribute__((always_inline)) { return block(i, Lanes{}); });
    }

    static M Eq(V a, V b) { return _mm256_cmpeq_epi16(a, b); }
    static V Select(M m, V ifSet, V otherwise) { return _mm256_blendv_epi8(otherwise, ifSet, m); }
    using Skip = M;
    static Skip SkipWhere(V a, V b) { return Eq(a, b); }
    static Skip AlsoSkipWhere(Skip skip, V a, V b) { return Or(skip, Eq(a, b)); }
    static V Finish(Skip skip, V d, V v) { return Select(skip, d, v); }
};

} // namespace

const RowKernels g_avx2Kernels = MakeRowKernels<VectorRows<Avx2>>("avx2");
