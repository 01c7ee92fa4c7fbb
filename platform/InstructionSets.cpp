#include "platform/InstructionSets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int g_chosenSet = -1;

int ChooseInstructionSet() {
    int count = 0;
    const InstructionSet* sets = BuiltInstructionSets(&count);
    // The cap is a place in the list: the best runnable set at or below it.
    int cap = count - 1;
    const char* wanted = std::getenv("SPRITEDEMO_ISA");
    if (wanted != nullptr && *wanted != '\0') {
        int found = -1;
        for (int i = 0; i < count; ++i) {
            if (std::strcmp(sets[i].name, wanted) == 0) {
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
    while (cap > 0 && !sets[cap].runnable) {
        --cap;
    }
    return cap;
}

} // namespace

int ChosenInstructionSet() {
    if (g_chosenSet < 0) {
        g_chosenSet = ChooseInstructionSet();
    }
    return g_chosenSet;
}

void UseInstructionSet(int set) {
    g_chosenSet = set;
}
