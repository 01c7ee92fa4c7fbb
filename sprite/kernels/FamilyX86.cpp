// x86-64: the scalar set and one set per vector instruction set.
#include "sprite/kernels/Kernels.h"

RowKernels* const* FamilyKernels(int* count) {
    static RowKernels* const sets[] = {&g_scalarKernels, &g_sse2Kernels, &g_avx2Kernels, &g_avx512Kernels};
    *count = static_cast<int>(sizeof(sets) / sizeof(sets[0]));
    return sets;
}
