// Processors without vector code of ours: the plain set alone.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

const InstructionSet* BuiltInstructionSets(int* count) {
    static const InstructionSet sets[] = {{"scalar", true, WidenPlainRow}};
    *count = 1;
    return sets;
}
