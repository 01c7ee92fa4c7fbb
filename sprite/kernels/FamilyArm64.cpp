// 64-bit ARM: the scalar set and NEON's.
#include "sprite/kernels/Kernels.h"

RowKernels* const* FamilyKernels(int* count) {
    static RowKernels* const sets[] = {&g_scalarKernels, &g_neonKernels};
    *count = 2;
    return sets;
}
