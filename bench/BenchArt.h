// What the benchmarks draw, on a 640x480 RGB565 surface.
//
// Mixed art: sprites whose pixels are at random a quarter transparent, half
// opaque, a quarter in between and one in eight the colour key, so no run of
// pixels can be skipped. 1024 different sprites of each size up to 64x64 (16
// above), each at its own place: cycling through them keeps the branch
// predictor from learning a sprite, which would flatter branchy code. Each
// is planned as the reader plans a sprite: shares only, no run being long
// enough.
//
// Real art: the demo's girl.spr and the same girl drawn four times the size
// (bench/art/girl4x.png), long transparent and opaque runs with a thin
// blended rim, one sprite at sixteen places; and the bunnymark's 32x32 bunny,
// a solid body with a one-pixel soft rim.
#pragma once

#include "bunnymark/Bunnies.h"
#include "sprite/Sprite.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kSurfaceWidth = 640;
constexpr int kSurfaceHeight = 480;
constexpr uint16_t kArtColorKey = 0xF81F;

struct ArtSet {
    int width = 0; // of every sprite in the set
    int height = 0;
    std::vector<Sprite> owned;
    std::vector<const Sprite*> sprites;
    std::vector<int> drawX; // what to hand the draw routine for sprite i
    std::vector<int> drawY;
    std::vector<int> x; // where frame 0's top-left corner lands: wholly on the surface
    std::vector<int> y;
};

// Which art a benchmark draws: mixed art of a size, or real art by name
// ("girl", "girl4x" or "bunny", or any with "-unplanned": without its span
// plan).
struct ArtName {
    int width = 0;
    int height = 0;
    const char* real = nullptr;
};

// Built on first use, so a filtered run builds only what it draws; the same
// every run. Exits with a message when real art does not load.
const ArtSet& ArtOf(const ArtName& name);

// A varied RGB565 background, the same every time.
void FillBackground(uint8_t* pixels, ptrdiff_t pitch);

// Runs `draw(i)` for sprite i = 0, 1, ... of art in turn, one draw an
// iteration; reports pixels drawn as items and the time of one draw as the
// counter ns_per_draw.
template <typename Draw> void CycleArt(benchmark::State& state, const ArtSet& art, Draw draw) {
    const int count = static_cast<int>(art.sprites.size());
    int i = 0;
    for (auto _ : state) {
        draw(i);
        i = i + 1 == count ? 0 : i + 1;
    }
    state.SetItemsProcessed(state.iterations() * art.width * art.height);
    // Time over (iterations x 1e-9): nanoseconds a draw. An inverted rate, so
    // the console prints it with an "s" after it; the JSON holds the number.
    state.counters["ns_per_draw"] =
        benchmark::Counter(1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

constexpr ArtName kBunnyArt = {0, 0, "bunny"};

// The bunnymark's bunnies, the same every run: count of them scattered over
// the screen by one seed, not yet moved.
BunnyField SeededBunnies(int count);

// Reports a run of bunnymark frames of count bunnies, one an iteration: the
// bunnies drawn as items, and as the counter bunnies_at_60fps how many a
// frame of 16.67 ms would hold at this frame's time a bunny.
inline void CountBunnies(benchmark::State& state, int count) {
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["bunnies_at_60fps"] =
        benchmark::Counter(count / 60.0, benchmark::Counter::kIsIterationInvariantRate);
}
