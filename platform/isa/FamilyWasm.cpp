// WebAssembly with SIMD128: a module holding these instructions loads only
// where they run (the page picks a build without them elsewhere), so once
// linked in, the set always runs.
#include "platform/InstructionSets.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

extern const RowWidening g_simd128Widening;

const InstructionSet* BuiltInstructionSets(int* count) {
    static const InstructionSet sets[] = {{"scalar", true, WidenPlainRow}, {"simd128", true, g_simd128Widening}};
    *count = 2;
    return sets;
}
