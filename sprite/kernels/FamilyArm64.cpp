// 64-bit ARM: the scalar set and NEON's.
#include "sprite/kernels/Kernels.h"

const RowKernels* const* FamilyKernels(int* count) {
    static const RowKernels* const sets[] = {&g_scalarKernels, &g_neonKernels};
    *count = 2;
    return sets;
}
