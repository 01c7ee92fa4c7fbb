// WebAssembly with SIMD128: the scalar set and SIMD128's.
#include "sprite/kernels/Kernels.h"

RowKernels* const* FamilyKernels(int* count) {
    static RowKernels* const sets[] = {&g_scalarKernels, &g_simd128Kernels};
    *count = 2;
    return sets;
}
