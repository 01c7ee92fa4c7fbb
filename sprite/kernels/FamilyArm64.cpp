// 64-bit ARM: NEON belongs to the architecture, so its set always runs.
#include "sprite/kernels/Kernels.h"

const KernelSet* BuiltKernelSets(int* count) {
    static const KernelSet sets[] = {{&g_scalarKernels, true}, {&g_neonKernels, true}};
    *count = 2;
    return sets;
}
