// The draws' row kernels, those of the instruction set the program uses.
#include "platform/InstructionSets.h"
#include "sprite/kernels/Kernels.h"

#include <vector>

namespace {

const RowKernels* g_activeKernels = nullptr;

} // namespace

const KernelSet* BuiltKernelSets(int* count) {
    static const std::vector<KernelSet> sets = [] {
        int tableCount = 0;
        const RowKernels* const* tables = FamilyKernels(&tableCount);
        int setCount = 0;
        const InstructionSet* instructionSets = BuiltInstructionSets(&setCount);
        std::vector<KernelSet> built;
        for (int i = 0; i < tableCount && i < setCount; ++i) {
            built.push_back({tables[i], instructionSets[i].runnable});
        }
        return built;
    }();
    *count = static_cast<int>(sets.size());
    return sets.data();
}

const RowKernels& ActiveKernels() {
    if (g_activeKernels == nullptr) {
        int count = 0;
        g_activeKernels = FamilyKernels(&count)[ChosenInstructionSet()];
    }
    return *g_activeKernels;
}

void UseKernels(const RowKernels& kernels) {
    g_activeKernels = &kernels;
}
