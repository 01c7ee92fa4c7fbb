#include "platform/Widen.h"

#include "platform/InstructionSets.h"
#include "platform/Rgb565.h"
#include "platform/isa/WidenRows.h" // WidenPlainRow

void WidenPlainRow(const uint8_t* source, int count, uint8_t* wide, WideOrder order) {
    WidenRow(source, count, wide, order);
}

void WidenPixels(uint8_t* wide, ptrdiff_t widePitch, const uint8_t* pixels, ptrdiff_t pitch, int width, int height,
                 WideOrder order) {
    int count = 0;
    const auto widen = BuiltInstructionSets(&count)[ChosenInstructionSet()].widen;
    for (int y = 0; y < height; ++y) {
        widen(pixels + y * pitch, width, wide + y * widePitch, order);
    }
}
