// The sets' tables made whole, and the one the draws use: that of the
// program's instruction set.
#include "platform/InstructionSets.h"
#include "sprite/kernels/Kernels.h"

const RowKernels* g_activeKernels = nullptr;

const RowKernels* const* BuiltKernelSets(int* count) {
    RowKernels* const* sets = FamilyKernels(count);
    static const bool filled = [&] {
        for (int i = 1; i < *count; ++i) {
            for (const KernelRoutine& routine : kKernelRoutines) {
                if (sets[i]->*routine.kernel == nullptr) {
                    sets[i]->*routine.kernel = sets[i - 1]->*routine.kernel;
                }
            }
        }
        return true;
    }();
    (void)filled;
    return sets;
}

const RowKernels& ChooseKernels() {
    int count = 0;
    g_activeKernels = BuiltKernelSets(&count)[ChosenInstructionSet()];
    return *g_activeKernels;
}

void UseKernels(const RowKernels& kernels) {
    g_activeKernels = &kernels;
}
