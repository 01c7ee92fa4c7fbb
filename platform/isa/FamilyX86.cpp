// x86-64: the plain set and one set per vector instruction set, each marked
// runnable from what the processor (and the system, for the wider registers)
// reports. Built with the plain flags: it only asks.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

void WidenSse2(const uint8_t* source, int count, uint8_t* wide, WideOrder order);
void WidenAvx2(const uint8_t* source, int count, uint8_t* wide, WideOrder order);
void WidenAvx512(const uint8_t* source, int count, uint8_t* wide, WideOrder order);

const InstructionSet* BuiltInstructionSets(int* count) {
    __builtin_cpu_init();
    static const InstructionSet sets[] = {
        {"scalar", true, WidenPlainRow},
        {"sse2", __builtin_cpu_supports("sse2") != 0, WidenSse2},
        {"avx2", __builtin_cpu_supports("avx2") != 0, WidenAvx2},
        {"avx512",
         __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
             __builtin_cpu_supports("avx512vl") != 0,
         WidenAvx512},
    };
    *count = static_cast<int>(sizeof(sets) / sizeof(sets[0]));
    return sets;
}
