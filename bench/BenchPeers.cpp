// Each alpha peer gets the art as 32-bit ARGB (the colour key fully
// transparent, RGB565 widened by bit replication), the keyed peer the art's
// own RGB565 pixels, and each the same background and places. Beside its
// speed each reports differing_pixels: how many of the pixels of one draw of
// each of the first sixteen sprites differ from what our draws give.
#include "bench/BenchPeers.h"

#include "platform/Rgb565.h"
#include "sprite/PixelRules.h"

#include <SDL.h>
#include <pixman.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kComparedSprites = 16;

// Sprite i as 32-bit words 0xAARRGGBB, straight or premultiplied alpha.
std::vector<uint32_t> ArgbSprite(const ArtSet& art, int i, bool premultiplied) {
    const SpriteFrame& frame = art.sprites[i]->frames[0];
    const int pixelCount = art.width * art.height;
    std::vector<uint32_t> argb(pixelCount);
    for (int p = 0; p < pixelCount; ++p) {
        const uint16_t pixel = LoadPixel(frame.pixelBlock.data.get() + 2 * p);
        const unsigned alpha = pixel == frame.colorKey      ? 0
                               : frame.alphaBlock.size != 0 ? frame.alphaBlock.data[p]
                                                            : 255;
        uint8_t r, g, b;
        UnpackRgb565(pixel, r, g, b);
        const auto channel = [&](unsigned c) { return premultiplied ? (c * alpha + 127) / 255 : c; };
        argb[p] = alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
    }
    return argb;
}

std::vector<uint16_t> Background() {
    std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight);
    FillBackground(reinterpret_cast<uint8_t*>(surface.data()), 2 * kSurfaceWidth);
    return surface;
}

// Draws each of the first sprites once over a fresh background with
// draw(i, surface) and counts the pixels that differ from rule(d, s, alpha, key)
// applied to sprite i.
template <typename Draw, typename Rule> int64_t DifferingPixels(const ArtSet& art, Draw draw, Rule rule) {
    static bool tableBuilt = (BuildBlendTable(), true);
    (void)tableBuilt;
    const std::vector<uint16_t> background = Background();
    int64_t differing = 0;
    for (int i = 0; i < std::min<int>(kComparedSprites, static_cast<int>(art.sprites.size())); ++i) {
        std::vector<uint16_t> drawn = background, exact = background;
        draw(i, drawn.data());
        const SpriteFrame& frame = art.sprites[i]->frames[0];
        for (int v = 0; v < art.height; ++v) {
            for (int u = 0; u < art.width; ++u) {
                uint16_t& d = exact[(art.y[i] + v) * kSurfaceWidth + art.x[i] + u];
                const int p = v * art.width + u;
                const uint8_t alpha = frame.alphaBlock.size != 0 ? frame.alphaBlock.data[p] : 255;
                d = rule(d, LoadPixel(frame.pixelBlock.data.get() + 2 * p), alpha, frame.colorKey);
            }
        }
        for (size_t p = 0; p < drawn.size(); ++p) {
            differing += drawn[p] != exact[p];
        }
    }
    return differing;
}

// Blits SDL surfaces of the art, one a sprite, onto an RGB565 surface.
template <typename Rule>
void RunSdl2(benchmark::State& state, const ArtSet& art, const std::vector<SDL_Surface*>& sprites, Rule rule) {
    const auto blit = [&](int i, SDL_Surface* target) {
        SDL_Rect place = {art.x[i], art.y[i], art.width, art.height};
        SDL_BlitSurface(sprites[i], nullptr, target, &place);
    };
    const int64_t differing = DifferingPixels(
        art,
        [&](int i, uint16_t* surface) {
            SDL_Surface* target = SDL_CreateRGBSurfaceWithFormatFrom(surface, kSurfaceWidth, kSurfaceHeight, 16,
                                                                     2 * kSurfaceWidth, SDL_PIXELFORMAT_RGB565);
            blit(i, target);
            SDL_FreeSurface(target);
        },
        rule);

    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kSurfaceWidth, kSurfaceHeight, 16, SDL_PIXELFORMAT_RGB565);
    FillBackground(static_cast<uint8_t*>(target->pixels), target->pitch);
    CycleArt(state, art, [&](int i) { blit(i, target); });
    state.counters["differing_pixels"] = static_cast<double>(differing);
    SDL_FreeSurface(target);
    for (SDL_Surface* sprite : sprites) {
        SDL_FreeSurface(sprite);
    }
}

void RunSdl2Argb(benchmark::State& state, const ArtSet& art, bool rle) {
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<SDL_Surface*> sprites;
    for (size_t i = 0; i < art.sprites.size(); ++i) {
        pixels.push_back(ArgbSprite(art, static_cast<int>(i), false));
        sprites.push_back(SDL_CreateRGBSurfaceWithFormatFrom(pixels.back().data(), art.width, art.height, 32,
                                                             4 * art.width, SDL_PIXELFORMAT_ARGB8888));
        SDL_SetSurfaceBlendMode(sprites.back(), SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceRLE(sprites.back(), rle ? 1 : 0);
    }
    RunSdl2(state, art, sprites, AlphaRule);
}

} // namespace

void PeerSdl2Alpha(benchmark::State& state, ArtName name) {
    RunSdl2Argb(state, ArtOf(name), false);
}

void PeerSdl2Rle(benchmark::State& state, ArtName name) {
    RunSdl2Argb(state, ArtOf(name), true);
}

void PeerSdl2Keyed(benchmark::State& state, ArtName name) {
    const ArtSet* art = &ArtOf(name);
    std::vector<SDL_Surface*> sprites;
    for (const Sprite* sprite : art->sprites) {
        const SpriteFrame& frame = sprite->frames[0];
        sprites.push_back(SDL_CreateRGBSurfaceWithFormatFrom(frame.pixelBlock.data.get(), art->width, art->height, 16,
                                                             2 * art->width, SDL_PIXELFORMAT_RGB565));
        SDL_SetColorKey(sprites.back(), SDL_TRUE, frame.colorKey);
    }
    RunSdl2(state, *art, sprites,
            [](uint16_t d, uint16_t s, uint8_t, uint16_t colorKey) { return KeyedRule(d, s, colorKey); });
}

void PeerPixmanOver(benchmark::State& state, ArtName name) {
    const ArtSet* art = &ArtOf(name);
    std::vector<std::vector<uint32_t>> pixels;
    std::vector<pixman_image_t*> sprites;
    for (size_t i = 0; i < art->sprites.size(); ++i) {
        pixels.push_back(ArgbSprite(*art, static_cast<int>(i), true));
        sprites.push_back(
            pixman_image_create_bits(PIXMAN_a8r8g8b8, art->width, art->height, pixels.back().data(), 4 * art->width));
    }
    const auto composite = [&](int i, pixman_image_t* target) {
        pixman_image_composite32(PIXMAN_OP_OVER, sprites[i], nullptr, target, 0, 0, 0, 0, art->x[i], art->y[i],
                                 art->width, art->height);
    };
    const int64_t differing = DifferingPixels(
        *art,
        [&](int i, uint16_t* surface) {
            pixman_image_t* target = pixman_image_create_bits(PIXMAN_r5g6b5, kSurfaceWidth, kSurfaceHeight,
                                                              reinterpret_cast<uint32_t*>(surface), 2 * kSurfaceWidth);
            composite(i, target);
            pixman_image_unref(target);
        },
        AlphaRule);

    std::vector<uint16_t> surface = Background();
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_r5g6b5, kSurfaceWidth, kSurfaceHeight,
                                                      reinterpret_cast<uint32_t*>(surface.data()), 2 * kSurfaceWidth);
    CycleArt(state, *art, [&](int i) { composite(i, target); });
    state.counters["differing_pixels"] = static_cast<double>(differing);
    pixman_image_unref(target);
    for (pixman_image_t* sprite : sprites) {
        pixman_image_unref(sprite);
    }
}

namespace {

// count seeded bunnies, each frame moved, the target cleared by clear() and
// every bunny drawn by draw(x, y) at its frame's top-left corner.
template <typename Clear, typename Draw> void RunBunnymark(benchmark::State& state, int count, Clear clear, Draw draw) {
    int32_t left = 0, top = 0;
    ArtOf(kBunnyArt).sprites[0]->ApplyPlacement(left, top); // the corner a bunny at (0, 0) lands on
    BunnyField field = SeededBunnies(count);
    for (auto _ : state) {
        MoveBunnies(field);
        clear();
        for (const Bunny& bunny : field.bunnies) {
            draw(bunny.x + left, bunny.y + top);
        }
    }
    CountBunnies(state, count);
}

} // namespace

void PeerSdl2Bunnymark(benchmark::State& state, int count) {
    const ArtSet& art = ArtOf(kBunnyArt);
    std::vector<uint32_t> pixels = ArgbSprite(art, 0, false);
    SDL_Surface* bunny = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), art.width, art.height, 32, 4 * art.width,
                                                            SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(bunny, SDL_BLENDMODE_BLEND);
    SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kSurfaceWidth, kSurfaceHeight, 16, SDL_PIXELFORMAT_RGB565);
    const Uint32 white = SDL_MapRGB(target->format, 255, 255, 255);
    RunBunnymark(
        state, count, [&] { SDL_FillRect(target, nullptr, white); },
        [&](int x, int y) {
            SDL_Rect place = {x, y, art.width, art.height};
            SDL_BlitSurface(bunny, nullptr, target, &place);
        });
    SDL_FreeSurface(target);
    SDL_FreeSurface(bunny);
}

void PeerPixmanBunnymark(benchmark::State& state, int count) {
    const ArtSet& art = ArtOf(kBunnyArt);
    std::vector<uint32_t> pixels = ArgbSprite(art, 0, true);
    pixman_image_t* bunny =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, art.width, art.height, pixels.data(), 4 * art.width);
    std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight);
    uint32_t* bits = reinterpret_cast<uint32_t*>(surface.data());
    pixman_image_t* target =
        pixman_image_create_bits(PIXMAN_r5g6b5, kSurfaceWidth, kSurfaceHeight, bits, 2 * kSurfaceWidth);
    RunBunnymark(
        state, count, [&] { pixman_fill(bits, kSurfaceWidth / 2, 16, 0, 0, kSurfaceWidth, kSurfaceHeight, 0xFFFF); },
        [&](int x, int y) {
            pixman_image_composite32(PIXMAN_OP_OVER, bunny, nullptr, target, 0, 0, 0, 0, x, y, art.width, art.height);
        });
    pixman_image_unref(target);
    pixman_image_unref(bunny);
}
