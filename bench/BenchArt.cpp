#include "bench/BenchArt.h"

#include "tests/support/SpriteBytes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>

namespace {

constexpr int kManySprites = 1024; // of each size up to 64x64
constexpr int kFewSprites = 16;    // of the larger sizes
constexpr int kRealPlaces = 16;

// A quarter transparent, half opaque, a quarter in between, and one pixel in
// eight the colour key, each pixel drawn at random.
Sprite MakeSprite(std::mt19937& random, int width, int height) {
    const int pixelCount = width * height;
    std::vector<uint8_t> pixels(2 * pixelCount), alpha(pixelCount);
    for (int i = 0; i < pixelCount; ++i) {
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
    frame.width = static_cast<int16_t>(width);
    frame.height = static_cast<int16_t>(height);
    frame.pixelBlock = CopyBlock(pixels);
    frame.alphaBlock = CopyBlock(alpha);
    frame.spans = MakeSpanPlan(frame);
    return sprite;
}

// Sprite i drawn at a random place where its frame lies wholly on the surface.
void Place(ArtSet& art, const Sprite& sprite, std::mt19937& random) {
    int32_t left = 0, top = 0;
    sprite.ApplyPlacement(left, top); // the corner a request at (0, 0) lands on
    const int x = static_cast<int>(random() % (kSurfaceWidth - art.width + 1));
    const int y = static_cast<int>(random() % (kSurfaceHeight - art.height + 1));
    art.sprites.push_back(&sprite);
    art.x.push_back(x);
    art.y.push_back(y);
    art.drawX.push_back(x - left);
    art.drawY.push_back(y - top);
}

const ArtSet& MixedArt(int width, int height) {
    static std::map<std::pair<int, int>, std::unique_ptr<ArtSet>> built;
    std::unique_ptr<ArtSet>& art = built[{width, height}];
    if (!art) {
        art.reset(new ArtSet);
        art->width = width;
        art->height = height;
        const int count = width <= 64 && height <= 64 ? kManySprites : kFewSprites;
        // One seed for every size: the 16 sprites of 128x64 are the ones
        // the benchmark has always drawn.
        std::mt19937 random(2026);
        art->owned.reserve(count);
        for (int i = 0; i < count; ++i) {
            art->owned.push_back(MakeSprite(random, width, height));
            Place(*art, art->owned.back(), random);
        }
    }
    return *art;
}

const ArtSet& RealArt(const char* name) {
    static std::map<std::string, std::unique_ptr<ArtSet>> loaded;
    std::unique_ptr<ArtSet>& art = loaded[name];
    if (!art) {
        // "<art>-unplanned": the same art without its span plan.
        const std::string requested = name;
        const size_t suffix = requested.find("-unplanned");
        const std::string file = requested.substr(0, suffix);
        const std::string fileName = file == "girl4x" ? std::string(SPRITEDEMO_BENCH_ART_DIR "/girl4x.spr")
                                                      : std::string(SPRITEDEMO_BINARY_DIR "/demo/") + file + ".spr";
        art.reset(new ArtSet);
        art->owned.resize(1);
        SpriteReadStatus status;
        if (!ReadSpriteFile(fileName.c_str(), &art->owned[0], &status) || art->owned[0].frames.empty()) {
            std::fprintf(stderr, "spritedemo-bench: %s did not load: %s\n", fileName.c_str(),
                         status.failure != nullptr ? status.failure : "no frames");
            std::exit(1);
        }
        if (suffix != std::string::npos) {
            art->owned[0].frames[0].spans = SpanPlan();
        }
        const SpriteFrame& frame = art->owned[0].frames[0];
        art->width = frame.width;
        art->height = frame.height;
        // The peers and limits read whole blocks, so real art must have them.
        const uint64_t pixelCount = uint64_t{frame.pixelBlock.size} / 2;
        if (art->width <= 0 || art->height <= 0 || art->width > kSurfaceWidth || art->height > kSurfaceHeight ||
            pixelCount < static_cast<uint64_t>(art->width) * art->height ||
            frame.alphaBlock.size < static_cast<uint64_t>(art->width) * art->height) {
            std::fprintf(stderr, "spritedemo-bench: %s has no %dx%d frame with alpha values that fits the surface\n",
                         fileName.c_str(), art->width, art->height);
            std::exit(1);
        }
        std::mt19937 random(17);
        for (int i = 0; i < kRealPlaces; ++i) {
            Place(*art, art->owned[0], random);
        }
    }
    return *art;
}

} // namespace

const ArtSet& ArtOf(const ArtName& name) {
    return name.real != nullptr ? RealArt(name.real) : MixedArt(name.width, name.height);
}

void FillBackground(uint8_t* pixels, ptrdiff_t pitch) {
    static const std::vector<uint8_t> background = [] {
        std::vector<uint8_t> bytes(2 * kSurfaceWidth * kSurfaceHeight);
        std::mt19937 random(7);
        for (uint8_t& byte : bytes) {
            byte = static_cast<uint8_t>(random());
        }
        return bytes;
    }();
    for (int y = 0; y < kSurfaceHeight; ++y) {
        std::memcpy(pixels + y * pitch, background.data() + y * 2 * kSurfaceWidth, 2 * kSurfaceWidth);
    }
}

BunnyField SeededBunnies(int count) {
    BunnyField field;
    field.random.state = 7;
    ScatterBunnies(field, count);
    return field;
}
