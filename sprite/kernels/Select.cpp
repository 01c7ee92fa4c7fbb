// Chooses the row kernels once, from what the processor can run and what
// SPRITEDEMO_ISA allows.
#include "sprite/kernels/Kernels.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const RowKernels* g_activeKernels = nullptr;

const RowKernels& ChooseKernels() {
    int count = 0;
    const KernelSet* sets = BuiltKernelSets(&count);
    // The cap is a position in the list: the best runnable set at or below it.
    int cap = count - 1;
    const char* wanted = std::getenv("SPRITEDEMO_ISA");
    if (wanted != nullptr && *wanted != '\0') {
        int found = -1;
        for (int i = 0; i < count; ++i) {
            if (std::strcmp(sets[i].kernels->name, wanted) == 0) {
                found = i;
            }
        }
        if (found < 0) {
            std::fprintf(stderr, "spritedemo: SPRITEDEMO_ISA=%s is not an instruction set of this build; ignored\n",
                         wanted);
        } else {
            cap = found;
        }
    }
    for (int i = cap; i >= 0; --i) {
        if (sets[i].runnable) {
            return *sets[i].kernels;
        }
    }
    return g_scalarKernels;
}

} // namespace

const RowKernels& ActiveKernels() {
    if (g_activeKernels == nullptr) {
        g_activeKernels = &ChooseKernels();
    }
    return *g_activeKernels;
}

void UseKernels(const RowKernels& kernels) {
    g_activeKernels = &kernels;
}

// The screens' widening (platform/Widen.h), with the draws' set.
void WidenPixels(uint8_t* wide, ptrdiff_t widePitch, const uint8_t* pixels, ptrdiff_t pitch, int width, int height,
                 WideOrder order) {
    const RowKernels& kernels = ActiveKernels();
    for (int y = 0; y < height; ++y) {
        kernels.widen(wide + y * widePitch, pixels + y * pitch, width, order);
    }
}
