// WebAssembly with SIMD128: a module holding these instructions loads only
// where they run (the page picks a build without them elsewhere), so once
// linked in, the set always runs.
#include "sprite/kernels/Kernels.h"

const KernelSet* BuiltKernelSets(int* count) {
    static const KernelSet sets[] = {{&g_scalarKernels, true}, {&g_simd128Kernels, true}};
    *count = 2;
    return sets;
}
