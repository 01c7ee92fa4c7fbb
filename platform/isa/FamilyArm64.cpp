// 64-bit ARM: NEON belongs to the architecture, so its set always runs.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

void WidenNeon(const uint8_t* source, int count, uint8_t* wide, WideOrder order);

const InstructionSet* BuiltInstructionSets(int* count) {
    static const InstructionSet sets[] = {{"scalar", true, WidenPlainRow}, {"neon", true, WidenNeon}};
    *count = 2;
    return sets;
}
