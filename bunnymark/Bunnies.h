// The bunnymark's scene: bunnies bouncing about the screen, each drawn by its
// alpha every frame. Positions and velocities are whole pixels and new
// bunnies come from a generator of our own, so one seed gives the same frames
// on every build.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <vector>

struct Sprite;

// A 32-bit linear congruential generator (Numerical Recipes' constants); its
// high bits are the random ones.
struct BunnyRandom {
    uint32_t state = 0;
};

// A whole number from 0 to count - 1.
int32_t NextRandom(BunnyRandom& random, int32_t count);

struct Bunny {
    int32_t x, y;   // where the bunny is drawn (its sprite's placement applies)
    int32_t dx, dy; // pixels a frame, 1 to 4 either way on each axis
};

struct BunnyField {
    std::vector<Bunny> bunnies;
    BunnyRandom random;
    int32_t width = 640, height = 480; // the screen the bunnies bounce in
    int32_t top = 0;                   // what above this row belongs to the text line
    int32_t bunnyWidth = 32, bunnyHeight = 32;
};

// count more bunnies at (x, y), each with a velocity of its own.
void AddBunnies(BunnyField& field, int32_t count, int32_t x, int32_t y);

// count bunnies anywhere on the screen.
void ScatterBunnies(BunnyField& field, int32_t count);

// One step of every bunny. A bunny whose centre has left the screen on a side
// turns back on that axis; it is not moved back, so it returns on the next step.
void MoveBunnies(BunnyField& field);

// Every bunny through Sprite::DrawAlpha, in the order they were added.
void DrawBunnies(const BunnyField& field, const Sprite& bunny, LPDIRECTDRAWSURFACE7 target);

// One frame of the bunnymark into g_display's back buffer, as the program and
// the benchmark draw it: every bunny moved, the buffer cleared to white, every
// bunny drawn, then line written outlined at the top. The caller presents it.
void DrawBunnyFrame(BunnyField& field, const Sprite& bunny, const char* line);
