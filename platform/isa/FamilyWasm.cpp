// WebAssembly with SIMD128: a module holding these instructions loads only
// where they run (the page picks a build without them elsewhere), so once
// linked in, the set always runs.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

void WidenSimd128(const uint8_t* source, int count, uint8_t* wide, WideOrder order);

const InstructionSet* BuiltInstructionSets(int* count) {
    static const InstructionSet sets[] = {{"scalar", true, WidenPlainRow}, {"simd128", true, WidenSimd128}};
    *count = 2;
    return sets;
}
