// Processors without vector kernels of ours: the scalar set alone.
#include "sprite/kernels/Kernels.h"

RowKernels* const* FamilyKernels(int* count) {
    static RowKernels* const sets[] = {&g_scalarKernels};
    *count = 1;
    return sets;
}
