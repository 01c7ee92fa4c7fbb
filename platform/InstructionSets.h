// The instruction sets this build holds code for, and the one the program
// uses: the one choice that both the screens' widening (Widen.h) and the
// sprite draws' row kernels (sprite/kernels) follow. Each vector set's code
// sits in files of its own, built with that set's flags, and runs only where
// the processor reports the set.
#pragma once

#include "platform/Widen.h" // WideOrder

#include <cstdint>

// count RGB565 words widened to 32-bit pixels exactly as WidenRow (Rgb565.h)
// widens them; source and wide do not overlap.
using RowWidening = void (*)(const uint8_t* source, int count, uint8_t* wide, WideOrder order);

struct InstructionSet {
    const char* name; // as SPRITEDEMO_ISA names it
    bool runnable;    // this processor (and its system, for the wider registers) runs it
    RowWidening widen;
};

// Every set built for this processor family, narrowest first: set 0 is plain
// code every processor runs, and each set after it holds the instructions of
// the one before. One family file per build gives it (isa/Family*.cpp).
const InstructionSet* BuiltInstructionSets(int* count);

// The set the program uses, by its place in that list: on first use, the
// widest runnable one at or below the one SPRITEDEMO_ISA names (a name this
// build does not hold is reported on standard error and ignored).
int ChosenInstructionSet();

// The program uses set from now on (tests and benchmarks).
void UseInstructionSet(int set);
