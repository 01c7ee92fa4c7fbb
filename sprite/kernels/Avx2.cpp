// The row kernels on AVX2: sixteen pixels a block; rows of fewer go to the
// SSE2 set.
#include "sprite/kernels/Arithmetic256.h"
#include "sprite/kernels/VectorRows.h"
#include "sprite/kernels/WidenRows.h"

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

// Widening, for the screens: sixteen pixels a block. The 16-bit interleave
// works within each 128-bit half, so the load puts pixels 0-3 and 8-11 in the
// low half and 4-7 and 12-15 in the high one.
namespace {

struct Avx2Wide {
    static constexpr int kLanes = 16;
    static __m256i Load(const uint8_t* p) {
        return _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), 0xD8);
    }
    static void Store(uint8_t* p, __m256i low, __m256i high) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_unpacklo_epi16(low, high));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), _mm256_unpackhi_epi16(low, high));
    }
};

} // namespace

const RowKernels g_avx2Kernels = MakeRowKernels<VectorRows<Avx2>>("avx2", WidenRows<Avx2, Avx2Wide>::Widen);
