// spritedemo-bunnymark: the field's sprite benchmark as a program. Bunnies
// bounce about the 640x480 screen, each drawn by its alpha every frame;
// holding the left button (or a finger) adds more at the pointer. One line
// at the top, and the window's title, say how many and the frame rate.
#pragma once

#include <cstdint>

// Holding the button stops adding here: twice the largest count the
// benchmark measures, where even the widest instruction set takes about
// 30 ms a frame, so a longer hold only slows the picture; and 3.2 MB of bunnies.
constexpr long kMaxBunnies = 200000;
constexpr int32_t kBunniesPerFrame = 100; // added while the button is held

// How a run starts and ends; a main outside Windows may change them before
// WinMain runs (bunnymark/Options.h).
struct BunnymarkSettings {
    long bunnies = 100; // scattered over the screen at the start
    long seed = 1;      // of the generator that places them and picks their speeds
    long frames = 0;    // > 0: WinMain returns 0 once this many frames are shown
};
extern BunnymarkSettings g_bunnymark;
