#include "bench/BenchArt.h"

#include <random>

namespace {

// A quarter transparent, half opaque, a quarter in between, and one pixel in
// eight the colour key, each pixel drawn at random.
Sprite MakeSprite(std::mt19937& random) {
    std::vector<uint8_t> pixels(2 * kArtPixels), alpha(kArtPixels);
    for (int i = 0; i < kArtPixels; ++i) {
        uint16_t pixel = static_cast<uint16_t>(random());
        if (random() % 8 == 0) {
            pixel = kArtColorKey;
        }
        pixels[2 * i] = static_cast<uint8_t>(pixel);
        pixels[2 * i + 1] = static_cast<uint8_t>(pixel >> 8);
        const unsigned kind = random() % 4;
        alpha[i] = kind == 0 ? static_cast<uint8_t>(random() % 8)
                             : (kind == 3 ? static_cast<uint8_t>(8 + random() % 240)
                                          : static_cast<uint8_t>(248 + random() % 8));
    }
    Sprite sprite;
    sprite.frameCount = 1;
    sprite.frames.resize(1);
    SpriteFrame& frame = sprite.frames[0];
    frame.colorKey = kArtColorKey;
    frame.width = kArtWidth;
    frame.height = kArtHeight;
    frame.pixelBlock = CopyBlock(pixels);
    frame.alphaBlock = CopyBlock(alpha);
    return sprite;
}

} // namespace

const BenchArt& Art() {
    static const BenchArt art = [] {
        BenchArt built;
        std::mt19937 random(2026);
        for (int i = 0; i < kArtCount; ++i) {
            built.sprites.push_back(MakeSprite(random));
            // Spread over the surface, some overlapping, none clipped.
            built.x[i] = static_cast<int>(random() % (kSurfaceWidth - kArtWidth + 1));
            built.y[i] = static_cast<int>(random() % (kSurfaceHeight - kArtHeight + 1));
        }
        return built;
    }();
    return art;
}

void FillBackground(uint8_t* pixels, ptrdiff_t pitch) {
    std::mt19937 random(7);
    for (int y = 0; y < kSurfaceHeight; ++y) {
        for (int x = 0; x < 2 * kSurfaceWidth; ++x) {
            pixels[y * pitch + x] = static_cast<uint8_t>(random());
        }
    }
}
