// The instruction sets this processor runs, for the tests, the fuzz target
// and the benchmark: each one's name and row kernels, and each in use in
// turn, for the draws and the screens' widening alike.
#pragma once

#include "platform/InstructionSets.h"
#include "sprite/kernels/Kernels.h"

#include <vector>

struct RunnableSet {
    int place; // in BuiltInstructionSets' list
    const char* name;
    const RowKernels* kernels;
};

// Every set this processor runs, narrowest first.
inline std::vector<RunnableSet> RunnableSets() {
    int count = 0;
    const RowKernels* const* kernels = BuiltKernelSets(&count);
    const InstructionSet* sets = BuiltInstructionSets(&count);
    std::vector<RunnableSet> runnable;
    for (int i = 0; i < count; ++i) {
        if (sets[i].runnable) {
            runnable.push_back({i, sets[i].name, kernels[i]});
        }
    }
    return runnable;
}

// body(set) with each runnable set in use in turn, for the draws and the
// widening alike; what was in use before, in use again after.
template <typename Body> void ForEveryRunnableSet(Body body) {
    const int chosen = ChosenInstructionSet();
    const RowKernels& kernels = ActiveKernels();
    for (const RunnableSet& set : RunnableSets()) {
        UseInstructionSet(set.place);
        UseKernels(*set.kernels);
        body(set);
    }
    UseInstructionSet(chosen);
    UseKernels(kernels);
}
