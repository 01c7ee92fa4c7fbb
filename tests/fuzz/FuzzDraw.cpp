// The four draws on an arbitrary frame (any header values, short or missing
// blocks), placement, opacity and tint, onto a surface of any size up to
// 300x300 pixels, with any row padding (odd pixel pitches too) and any clip
// rectangle inside it. Every byte of the surface is compared
// with what the pixel rules give, pixel by pixel, so a pixel drawn outside
// the clipped frame rectangle, a row padding byte touched, or a word that
// differs from the scalar rules shows at once. Every kernel set the
// processor can run is checked the same way.
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"
#include "tests/support/DrawRoutines.h"
#include "tests/support/EverySet.h"
#include "tests/support/SpriteBytes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// The display device the draws clip to: a program of its own defines it, as
// the demo does in app/Globals.cpp.
DisplayDevice g_display;

namespace {

// Surfaces up to this many pixels a side: rows of several whole AVX-512
// vectors (32 pixels) and a tail.
constexpr int kMaxSide = 300;
constexpr int kMaxPadding = 16; // pixels past the width in a row

// The surface each input draws on: one portable surface whose size, pitch
// and memory are set for the input, the memory exactly as long as its rows,
// so AddressSanitizer sees a draw past either end.
struct Target {
    LPDIRECTDRAWSURFACE7 surface = nullptr;
    uint8_t* ownPixels = nullptr;
    int width = 0;
    int height = 0;
    LONG pitch = 0;
    std::vector<uint8_t> memory;
};

Target& TheTarget() {
    static Target target = [] {
        Target made;
        LPDIRECTDRAW directDraw = nullptr;
        DDSURFACEDESC2 description = {};
        description.dwSize = sizeof description;
        description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        description.dwWidth = 1;
        description.dwHeight = 1;
        if (DirectDrawCreate(nullptr, &directDraw, nullptr) != DD_OK ||
            directDraw->CreateSurface(&description, &made.surface, nullptr) != DD_OK) {
            std::fprintf(stderr, "fuzz_draw: no surface to draw on\n");
            std::abort();
        }
        // Surface and device live to the end.
        made.ownPixels = made.surface->pixels;
        BuildBlendTable();
        return made;
    }();
    return target;
}

// The surface's geometry for this input; its memory is the caller's.
void Reshape(Target& target, FuzzedDataProvider& data) {
    // Mostly small surfaces, which run fast; wide, tall and now and then
    // large ones, which cost a hundred small ones.
    const int shape = data.ConsumeIntegralInRange(0, 15);
    target.width = data.ConsumeIntegralInRange(1, shape < 10 || shape == 13 || shape == 14 ? 40 : kMaxSide);
    target.height = data.ConsumeIntegralInRange(1, shape < 13 ? 12 : kMaxSide);
    target.pitch = 2 * (target.width + data.ConsumeIntegralInRange(0, kMaxPadding));
    target.memory = std::vector<uint8_t>(static_cast<size_t>(target.pitch) * target.height); // no spare capacity
    target.surface->width = target.width;
    target.surface->height = target.height;
    target.surface->pitch = target.pitch;
    target.surface->pixels = target.memory.data();
}

// Any rectangle inside the surface, empty ones included.
RECT ClipInside(const Target& target, FuzzedDataProvider& data) {
    RECT clip;
    clip.left = data.ConsumeIntegralInRange<LONG>(0, target.width);
    clip.right = data.ConsumeIntegralInRange<LONG>(clip.left, target.width);
    clip.top = data.ConsumeIntegralInRange<LONG>(0, target.height);
    clip.bottom = data.ConsumeIntegralInRange<LONG>(clip.top, target.height);
    return clip;
}

int16_t Extent(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? data.ConsumeIntegralInRange<int16_t>(-2, kMaxSide + 20)
                              : data.ConsumeIntegral<int16_t>();
}

int32_t Coordinate(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? data.ConsumeIntegralInRange<int32_t>(-kMaxSide - 40, kMaxSide + 40)
                              : data.ConsumeIntegral<int32_t>();
}

int16_t Position(FuzzedDataProvider& data) {
    return data.ConsumeBool() ? data.ConsumeIntegralInRange<int16_t>(-20, 20) : data.ConsumeIntegral<int16_t>();
}

// A block of exactly the frame's size, none, or any short length.
DataBlock Block(FuzzedDataProvider& data, int64_t exact) {
    const uint8_t kind = data.ConsumeIntegralInRange<uint8_t>(0, 2);
    const size_t wanted = kind == 0   ? static_cast<size_t>(std::max<int64_t>(0, std::min<int64_t>(exact, 1 << 18)))
                          : kind == 1 ? 0
                                      : data.ConsumeIntegralInRange<size_t>(0, 64);
    std::vector<uint8_t> bytes = data.ConsumeBytes<uint8_t>(wanted);
    bytes.resize(wanted, 0x5A); // past the input's end the block is still as long as chosen
    return CopyBlock(bytes);
}

struct Call {
    int32_t x, y;
    DrawArguments arguments;
};

// after: the surface as it must be after the draw: the rules applied to each pixel
// of the clipped frame rectangle, everything else as it was. A frame whose
// blocks are too short for its size draws nothing; alpha is read only by the
// routines that use it, and a frame without alpha values is opaque.
void Expect(const Sprite& sprite, const DrawRoutine& routine, const Call& call, const std::vector<uint8_t>& before,
            LONG pitch, RECT clip, std::vector<uint8_t>& after) {
    after = before;
    if (sprite.frames.empty()) {
        return;
    }
    const SpriteFrame& frame = sprite.frames[0];
    const int64_t w = frame.width, h = frame.height;
    const bool hasAlpha = routine.readsAlpha && frame.alphaBlock.size != 0;
    if (w <= 0 || h <= 0 || frame.pixelBlock.size < static_cast<uint64_t>(w * h * 2) ||
        (hasAlpha && frame.alphaBlock.size < static_cast<uint64_t>(w * h))) {
        return;
    }
    const int64_t left = frame.fixedX != -1 ? frame.fixedX : int64_t{call.x} - frame.hotspotX + frame.offsetX;
    const int64_t top = frame.fixedY != -1 ? frame.fixedY : int64_t{call.y} - frame.hotspotY + frame.offsetY;
    for (int64_t y = std::max<int64_t>(top, clip.top); y < std::min<int64_t>(top + h, clip.bottom); ++y) {
        for (int64_t x = std::max<int64_t>(left, clip.left); x < std::min<int64_t>(left + w, clip.right); ++x) {
            const int64_t i = (x - left) + (y - top) * w;
            uint8_t* d = after.data() + y * pitch + 2 * x;
            const uint16_t s = LoadPixel(frame.pixelBlock.data.get() + 2 * i);
            const uint8_t a = hasAlpha ? frame.alphaBlock.data[static_cast<size_t>(i)] : 255;
            StorePixel(d, routine.Rule(LoadPixel(d), s, a, frame.colorKey, call.arguments));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Target& target = TheTarget();
    FuzzedDataProvider data(bytes, size);

    Reshape(target, data);
    const RECT clip = ClipInside(target, data);
    Sprite sprite;
    if (data.ConsumeIntegralInRange<uint8_t>(0, 15) != 0) {
        SpriteFrame frame;
        frame.colorKey = data.ConsumeIntegral<uint16_t>();
        frame.hotspotX = Position(data);
        frame.hotspotY = Position(data);
        frame.offsetX = Position(data);
        frame.offsetY = Position(data);
        frame.fixedX = data.ConsumeBool() ? -1 : Position(data);
        frame.fixedY = data.ConsumeBool() ? -1 : Position(data);
        frame.width = Extent(data);
        frame.height = Extent(data);
        const int64_t pixels = int64_t{frame.width} * frame.height;
        frame.pixelBlock = Block(data, pixels * 2);
        frame.alphaBlock = Block(data, pixels);
        frame.spans = MakeSpanPlan(frame); // as the reader makes it: alpha draws on every set use it
        sprite.frameCount = 1;
        sprite.frames.push_back(std::move(frame));
    }
    Call call;
    call.x = Coordinate(data);
    call.y = Coordinate(data);
    call.arguments.opacity = data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 255) : data.ConsumeIntegral<int>();
    call.arguments.tintColour = data.ConsumeIntegral<uint32_t>();
    call.arguments.tintAmount = data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 255) : data.ConsumeIntegral<int>();
    // What the surface held: the rest of the input, repeated.
    const std::vector<uint8_t> rest = data.ConsumeRemainingBytes<uint8_t>();
    // Buffers kept from input to input: large allocations would cost more than the draws.
    static std::vector<uint8_t> before, expected;
    before.resize(target.memory.size());
    if (rest.empty()) {
        for (size_t i = 0; i < before.size(); ++i) {
            before[i] = static_cast<uint8_t>(i * 7);
        }
    } else {
        for (size_t at = 0; at < before.size(); at += rest.size()) {
            std::memcpy(before.data() + at, rest.data(), std::min(rest.size(), before.size() - at));
        }
    }

    g_display.clipRect = clip;
    g_display.bitsPerPixel = 16;
    for (const DrawRoutine& routine : kDrawRoutines) {
        Expect(sprite, routine, call, before, target.pitch, clip, expected);
        ForEveryRunnableSet([&](const RunnableSet& set) {
            std::memcpy(target.memory.data(), before.data(), before.size());
            routine.Run(sprite, target.surface, call.x, call.y, call.arguments);
            if (target.memory != expected) {
                const size_t at = static_cast<size_t>(
                    std::mismatch(expected.begin(), expected.end(), target.memory.begin()).first - expected.begin());
                std::fprintf(stderr,
                             "fuzz_draw: %s with the %s kernels on %dx%d, pitch %ld, clip %ld,%ld-%ld,%ld: "
                             "byte %zu (row %zu) is 0x%02X, not 0x%02X\n",
                             routine.name, set.name, target.width, target.height, static_cast<long>(target.pitch),
                             static_cast<long>(clip.left), static_cast<long>(clip.top), static_cast<long>(clip.right),
                             static_cast<long>(clip.bottom), at, at / target.pitch, target.memory[at], expected[at]);
                std::abort();
            }
        });
    }
    target.surface->pixels = target.ownPixels; // as the surface was made
    return 0;
}
