// Widening on AVX2: sixteen pixels a block. The 16-bit interleave works
// within each 128-bit half, so the load puts pixels 0-3 and 8-11 in the low
// half and 4-7 and 12-15 in the high one.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h"

#include <immintrin.h>

namespace {

struct Avx2Blocks : Lanes16<uint16_t __attribute__((vector_size(32)))> {
    static V Load(const uint8_t* p) {
        return (V)_mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), 0xD8);
    }
    static void Store(uint8_t* p, V low, V high) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_unpacklo_epi16((__m256i)low, (__m256i)high));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), _mm256_unpackhi_epi16((__m256i)low, (__m256i)high));
    }
};

} // namespace

extern const RowWidening g_avx2Widening = WidenRows<Avx2Blocks>::Widen;
