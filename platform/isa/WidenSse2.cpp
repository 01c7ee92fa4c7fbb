// Widening on SSE2: eight pixels a block.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h"

#include <emmintrin.h>

namespace {

struct Sse2Blocks : Lanes16<uint16_t __attribute__((vector_size(16)))> {
    static void Store(uint8_t* p, V low, V high) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_unpacklo_epi16((__m128i)low, (__m128i)high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16), _mm_unpackhi_epi16((__m128i)low, (__m128i)high));
    }
};

} // namespace

extern const RowWidening g_sse2Widening = WidenRows<Sse2Blocks>::Widen;
