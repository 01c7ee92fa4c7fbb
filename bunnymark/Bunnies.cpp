#include "bunnymark/Bunnies.h"

#include "display/DisplayDevice.h"
#include "sprite/Sprite.h"

#include <algorithm>

namespace {

// A velocity component: 1 to 4 pixels a frame, either way.
int32_t RandomSpeed(BunnyRandom& random) {
    const int32_t speed = 1 + NextRandom(random, 8);
    return speed <= 4 ? speed : 4 - speed;
}

Bunny NewBunny(BunnyRandom& random, int32_t x, int32_t y) {
    const int32_t dx = RandomSpeed(random);
    return {x, y, dx, RandomSpeed(random)};
}

} // namespace

int32_t NextRandom(BunnyRandom& random, int32_t count) {
    random.state = random.state * 1664525u + 1013904223u;
    return static_cast<int32_t>((static_cast<uint64_t>(random.state >> 8) * static_cast<uint32_t>(count)) >> 24);
}

void AddBunnies(BunnyField& field, int32_t count, int32_t x, int32_t y) {
    for (int32_t i = 0; i < count; ++i) {
        field.bunnies.push_back(NewBunny(field.random, x, y));
    }
}

void ScatterBunnies(BunnyField& field, int32_t count) {
    // A bunny as wide or high as the screen stands at its edge.
    const int32_t columns = std::max(1, field.width - field.bunnyWidth);
    const int32_t rows = std::max(1, field.height - field.top - field.bunnyHeight);
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = NextRandom(field.random, columns);
        const int32_t y = field.top + NextRandom(field.random, rows);
        field.bunnies.push_back(NewBunny(field.random, x, y));
    }
}

void MoveBunnies(BunnyField& field) {
    const int32_t halfWidth = field.bunnyWidth / 2;
    const int32_t halfHeight = field.bunnyHeight / 2;
    for (Bunny& bunny : field.bunnies) {
        bunny.x += bunny.dx;
        bunny.y += bunny.dy;
        const int32_t centreX = bunny.x + halfWidth;
        const int32_t centreY = bunny.y + halfHeight;
        if (centreX > field.width || centreX < 0) {
            bunny.dx = -bunny.dx;
        }
        if (centreY > field.height || centreY < field.top) {
            bunny.dy = -bunny.dy;
        }
    }
}

void DrawBunnies(const BunnyField& field, const Sprite& bunny, LPDIRECTDRAWSURFACE7 target) {
    for (const Bunny& b : field.bunnies) {
        bunny.DrawAlpha(target, b.x, b.y);
    }
}

void DrawBunnyFrame(BunnyField& field, const Sprite& bunny, const char* line) {
    MoveBunnies(field);
    g_display.Clear(0x00FFFFFF);
    DrawBunnies(field, bunny, g_display.backBuffer);
    g_display.DrawOutlinedText(g_display.backBuffer, 8, 4, 0x0000FF, 0xFFFFFF, line);
}
