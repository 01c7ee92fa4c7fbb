// 64-bit ARM: NEON belongs to the architecture, so its set always runs.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

extern const RowWidening g_neonWidening;

const InstructionSet* BuiltInstructionSets(int* count) {
    static const InstructionSet sets[] = {{"scalar", true, WidenPlainRow}, {"neon", true, g_neonWidening}};
    *count = 2;
    return sets;
}
