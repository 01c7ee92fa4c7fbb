// x86-64: the scalar set and one set per vector instruction set, each marked
// runnable from what the processor (and the system, for the wider registers)
// reports. Built with the default flags: it only asks.
#include "sprite/kernels/Kernels.h"

const KernelSet* BuiltKernelSets(int* count) {
    __builtin_cpu_init();
    static const KernelSet sets[] = {
        {&g_scalarKernels, true},
        {&g_sse2Kernels, __builtin_cpu_supports("sse2") != 0},
        {&g_avx2Kernels, __builtin_cpu_supports("avx2") != 0},
        {&g_avx512Kernels, __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
                               __builtin_cpu_supports("avx512vl") != 0},
    };
    *count = static_cast<int>(sizeof(sets) / sizeof(sets[0]));
    return sets;
}
