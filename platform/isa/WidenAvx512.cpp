// Widening on AVX-512BW: thirty-two pixels a block. The 16-bit interleave
// works within each 128-bit quarter, so the load gives quarter k the 64-bit
// groups k and k + 4.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h"

#include <immintrin.h>

namespace {

struct Avx512Blocks : Lanes16<uint16_t __attribute__((vector_size(64)))> {
    static V Load(const uint8_t* p) {
        // (The unmasked permute trips GCC 12's uninitialised-use warning.)
        return (V)_mm512_maskz_permutexvar_epi64(0xFF, _mm512_setr_epi64(0, 4, 1, 5, 2, 6, 3, 7),
                                                 _mm512_loadu_si512(p));
    }
    static void Store(uint8_t* p, V low, V high) {
        _mm512_storeu_si512(p, _mm512_unpacklo_epi16((__m512i)low, (__m512i)high));
        _mm512_storeu_si512(p + 64, _mm512_unpackhi_epi16((__m512i)low, (__m512i)high));
    }
};

} // namespace

extern const RowWidening g_avx512Widening = WidenRows<Avx512Blocks>::Widen;
