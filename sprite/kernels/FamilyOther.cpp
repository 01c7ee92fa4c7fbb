// Processors without vector kernels of ours: the scalar set alone.
#include "sprite/kernels/Kernels.h"

const RowKernels* const* FamilyKernels(int* count) {
    static const RowKernels* const sets[] = {&g_scalarKernels};
    *count = 1;
    return sets;
}
