// What the benchmarks draw: sixteen different 128x64 sprites with the alpha
// mix of real sprite art, each at its own place on a 640x480 RGB565 surface.
// Cycling through them keeps the branch predictor from learning one
// sprite's alpha pattern, which would flatter branchy code.
#pragma once

#include "sprite/Sprite.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kArtWidth = 128;
constexpr int kArtHeight = 64;
constexpr int kArtPixels = kArtWidth * kArtHeight;
constexpr int kArtCount = 16;
constexpr int kSurfaceWidth = 640;
constexpr int kSurfaceHeight = 480;
constexpr uint16_t kArtColorKey = 0xF81F;

struct BenchArt {
    std::vector<Sprite> sprites; // kArtCount, frame 0 each, with alpha
    int x[kArtCount];            // top-left corners, wholly on the surface
    int y[kArtCount];
};

// Built on first use, the same every run.
const BenchArt& Art();

// A varied RGB565 background, the same every time.
void FillBackground(uint8_t* pixels, ptrdiff_t pitch);

// Runs `draw(i)` for sprite i = 0, 1, ... in turn, one draw an iteration, and
// reports pixels drawn as items.
template <typename State, typename Draw> void CycleArt(State& state, Draw draw) {
    int i = 0;
    for (auto _ : state) {
        draw(i);
        i = (i + 1) % kArtCount;
    }
    state.SetItemsProcessed(state.iterations() * kArtPixels);
}
