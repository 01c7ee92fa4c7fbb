// Widening on SSE2: eight pixels a block.
#include "platform/isa/WidenRows.h"

#include <emmintrin.h>

namespace {

struct Sse2Blocks : Lanes16<uint16_t __attribute__((vector_size(16)))> {
    static V Load(const uint8_t* p) { return (V)_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static void Store(uint8_t* p, V low, V high) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi16((__m128i)low, (__m128i)high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi16((__m128i)low, (__m128i)high));
    }
};

} // namespace

void WidenSse2(const uint8_t* source, int count, uint8_t* wide, WideOrder order) {
    WidenRows<Sse2Blocks>::Widen(source, count, wide, order);
}
