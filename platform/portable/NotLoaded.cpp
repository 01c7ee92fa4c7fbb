// The portable program's line for a sprite file that did not load, once
// RunProgram has started it. Whatever else runs WinMain (spritedemo-render,
// the tests) says so in its own words or not at all.
#include "platform/NotLoaded.h"
#include "Layer.h"

#include <cstdio>

namespace {

bool g_sayWhy = false;

} // namespace

void SayWhySpritesDoNotLoad() {
    g_sayWhy = true;
}

void SaySpriteNotLoaded(const char* fileName, const char* reason) {
    if (g_sayWhy) {
        std::fprintf(stderr, "spritedemo: %s: did not load (%s)\n", fileName, reason);
    }
}
