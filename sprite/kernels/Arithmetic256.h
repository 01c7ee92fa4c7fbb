// 16-bit lane arithmetic on 256-bit registers, as VectorRows.h asks of its
// operations record: shared by the AVX2 set and the AVX-512 set's 16-lane
// steps, whose records take it as their base and add their own loads,
// stores and masks. Internal linkage, as every kernel header: each file
// builds it with its own flags.
#pragma once

#include <immintrin.h>

namespace {

struct Arithmetic256 {
    using V = __m256i;
    static V Set(int value) { return _mm256_set1_epi16(static_cast<short>(value)); }
    static V Add(V a, V b) { return _mm256_add_epi16(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V And(V a, V b) { return _mm256_and_si256(a, b); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V MulLo(V a, V b) { return _mm256_mullo_epi16(a, b); }
    static V MulHi(V a, V b) { return _mm256_mulhi_epu16(a, b); }
    template <int n> static V Srl(V a) { return _mm256_srli_epi16(a, n); }
    template <int n> static V Sll(V a) { return _mm256_slli_epi16(a, n); }
    static V Opaque(V v) {
        __asm__("" : "+x"(v));
        return v;
    }
};

} // namespace
