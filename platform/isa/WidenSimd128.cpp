// Widening on WebAssembly SIMD128: eight pixels a block in 16-bit lanes.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h"

#include <wasm_simd128.h>

namespace {

struct Simd128Blocks : Lanes16<uint16_t __attribute__((vector_size(16)))> {
    static void Store(uint8_t* p, V low, V high) {
        wasm_v128_store(p, wasm_i16x8_shuffle((v128_t)low, (v128_t)high, 0, 8, 1, 9, 2, 10, 3, 11));
        wasm_v128_store(p + 16, wasm_i16x8_shuffle((v128_t)low, (v128_t)high, 4, 12, 5, 13, 6, 14, 7, 15));
    }
};

} // namespace

extern const RowWidening g_simd128Widening = WidenRows<Simd128Blocks>::Widen;
