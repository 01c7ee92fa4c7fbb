// x86-64: the plain set and one set per vector instruction set, each marked
// runnable from what the processor (and the system, for the wider registers)
// reports. Built with the plain flags: it only asks.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

extern const RowWidening g_sse2Widening;
extern const RowWidening g_avx2Widening;
extern const RowWidening g_avx512Widening;

const InstructionSet* BuiltInstructionSets(int* count) {
    __builtin_cpu_init();
    static const InstructionSet sets[] = {
        {"scalar", true, WidenPlainRow},
        {"sse2", __builtin_cpu_supports("sse2") != 0, g_sse2Widening},
        {"avx2", __builtin_cpu_supports("avx2") != 0, g_avx2Widening},
        {"avx512",
         __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
             __builtin_cpu_supports("avx512vl") != 0,
         g_avx512Widening},
    };
    *count = static_cast<int>(sizeof(sets) / sizeof(sets[0]));
    return sets;
}
