// Widening RGB565 frames into 32-bit pixels, for the screens that show them
// on something without an RGB565 format (a canvas, most SDL renderers), on
// the instruction set the program uses (InstructionSets.h).
#pragma once

#include <cstddef>
#include <cstdint>

// Where each widened pixel's bytes go, in memory order. Alpha is always 255.
enum class WideOrder {
    Rgba, // R, G, B, A: a canvas's image data; SDL_PIXELFORMAT_RGBA32
    Bgra, // B, G, R, A: ARGB8888 words on a little-endian machine; SDL_PIXELFORMAT_BGRA32
};

// height rows of width RGB565 words (pitch bytes apart) into rows of width
// 32-bit pixels (widePitch bytes apart), each channel by bit replication
// (r8 = r5 << 3 | r5 >> 2) as UnpackRgb565. The two may not overlap.
void WidenPixels(uint8_t* wide, ptrdiff_t widePitch, const uint8_t* pixels, ptrdiff_t pitch, int width, int height,
                 WideOrder order);
