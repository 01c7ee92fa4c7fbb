// Each peer gets the benchmark art as 32-bit ARGB (the colour key fully
// transparent, RGB565 widened by bit replication) and the same background and
// places. Beside its speed each reports differing_pixels: how many of the
// pixels of one composite of each sprite differ from the exact result.
#include "bench/BenchPeers.h"

#include "bench/BenchArt.h"
#include "sprite/PixelRules.h"
#include "platform/Rgb565.h"

#include <SDL.h>
#include <pixman.h>

#include <cstdlib>
#include <vector>

namespace {

// Sprite i as 32-bit words 0xAARRGGBB, straight or premultiplied alpha.
std::vector<uint32_t> ArgbSprite(int i, bool premultiplied) {
    const SpriteFrame& frame = Art().sprites[i].frames[0];
    std::vector<uint32_t> argb(kArtPixels);
    for (int p = 0; p < kArtPixels; ++p) {
        const uint16_t pixel = LoadPixel(frame.pixelBlock.data.get() + 2 * p);
        const unsigned alpha = pixel == frame.colorKey ? 0 : frame.alphaBlock.data[p];
        uint8_t r, g, b;
        UnpackRgb565(pixel, r, g, b);
        const auto channel = [&](unsigned c) { return premultiplied ? (c * alpha + 127) / 255 : c; };
        argb[p] = alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
    return argb;
}

// The exact composite of sprite i over the background, as the draws give it.
std::vector<uint16_t> ExactComposite(int i) {
    std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight);
    FillBackground(reinterpret_cast<uint8_t*>(surface.data()), 2 * kSurfaceWidth);
    const BenchArt& art = Art();
    const SpriteFrame& frame = art.sprites[i].frames[0];
    for (int v = 0; v < kArtHeight; ++v) {
        for (int u = 0; u < kArtWidth; ++u) {
            uint16_t& d = surface[(art.y[i] + v) * kSurfaceWidth + art.x[i] + u];
            const int p = v * kArtWidth + u;
            d = AlphaRule(d, LoadPixel(frame.pixelBlock.data.get() + 2 * p), frame.alphaBlock.data[p], kArtColorKey);
        }
    }
    return surface;
}

// Composites each sprite once over a fresh background with composite(i, surface)
// and counts the pixels that differ from the exact result.
template <typename Composite> int64_t DifferingPixels(Composite composite) {
    static bool tableBuilt = (BuildBlendTable(), true);
    (void)tableBuilt;
    int64_t differing = 0;
    for (int i = 0; i < kArtCount; ++i) {
        std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight);
        FillBackground(reinterpret_cast<uint8_t*>(surface.data()), 2 * kSurfaceWidth);
        composite(i, surface.data());
        const std::vector<uint16_t> exact = ExactComposite(i);
        for (size_t p = 0; p < surface.size(); ++p) {
            differing += surface[p] != exact[p];
        }
    }
    return differing;
}

} // namespace

void PeerSdl2Alpha(benchmark::State& state) {
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<SDL_Surface*> sprites;
    for (int i = 0; i < kArtCount; ++i) {
        pixels.push_back(ArgbSprite(i, false));
        sprites.push_back(SDL_CreateRGBSurfaceWithFormatFrom(pixels.back().data(), kArtWidth, kArtHeight, 32,
                                                             4 * kArtWidth, SDL_PIXELFORMAT_ARGB8888));
        SDL_SetSurfaceBlendMode(sprites.back(), SDL_BLENDMODE_BLEND);
    }
    const BenchArt& art = Art();
    const auto blit = [&](int i, SDL_Surface* target) {
        SDL_Rect place = {art.x[i], art.y[i], kArtWidth, kArtHeight};
        SDL_BlitSurface(sprites[i], nullptr, target, &place);
    };
    const int64_t differing = DifferingPixels([&](int i, uint16_t* surface) {
        SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(surface, kSurfaceWidth, kSurfaceHeight, 16,
                                                                 2 * kSurfaceWidth, SDL_PIXELFORMAT_RGB565);
        blit(i, target);
        SDL_FreeSurface(target);
    });

    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kSurfaceWidth, kSurfaceHeight, 16, SDL_PIXELFORMAT_RGB565);
    FillBackground(static_cast<uint8_t*>(target->pixels), target->pitch);
    CycleArt(state, [&](int i) { blit(i, target); });
    state.counters["differing_pixels"] = static_cast<double>(differing);
    SDL_FreeSurface(target);
    for (SDL_Surface* sprite : sprites) {
        SDL_FreeSurface(sprite);
    }
}

void PeerPixmanOver(benchmark::State& state) {
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<pixman_image_t*> sprites;
    for (int i = 0; i < kArtCount; ++i) {
        pixels.push_back(ArgbSprite(i, true));
        sprites.push_back(
            pixman_image_create_bits(PIXMAN_a8r8g8b8, kArtWidth, kArtHeight, pixels.back().data(), 4 * kArtWidth));
    }
    const BenchArt& art = Art();
    const auto composite = [&](int i, pixman_image_t* target) {
        pixman_image_composite32(PIXMAN_OP_OVER, sprites[i], nullptr, target, 0, 0, 0, 0, art.x[i], art.y[i], kArtWidth,
                                 kArtHeight);
    };
    const int64_t differing = DifferingPixels([&](int i, uint16_t* surface) {
        pixman_image_t* target = pixman_image_create_bits(PIXMAN_r5g6b5, kSurfaceWidth, kSurfaceHeight,
                                                          reinterpret_cast<uint32_t*>(surface), 2 * kSurfaceWidth);
        composite(i, target);
        pixman_image_unref(target);
    });

    std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight);
    FillBackground(reinterpret_cast<uint8_t*>(surface.data()), 2 * kSurfaceWidth);
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_r5g6b5, kSurfaceWidth, kSurfaceHeight,
                                                      reinterpret_cast<uint32_t*>(surface.data()), 2 * kSurfaceWidth);
    CycleArt(state, [&](int i) { composite(i, target); });
    state.counters["differing_pixels"] = static_cast<double>(differing);
    pixman_image_unref(target);
    for (pixman_image_t* sprite : sprites) {
        pixman_image_unref(sprite);
    }
}
