// Processors without vector kernels of ours: the scalar set alone.
#include "sprite/kernels/Kernels.h"

const KernelSet* BuiltKernelSets(int* count) {
    static const KernelSet sets[] = {{&g_scalarKernels, true}};
    *count = 1;
    return sets;
}
