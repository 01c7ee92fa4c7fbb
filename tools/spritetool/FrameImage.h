// Conversion between RGBA images and sprite frames, both ways.
#pragma once

#include "sprite/Sprite.h"
#include "tools/common/PngIo.h"

#include <cstdint>
#include <string>

// Where a frame's hotspot goes: the given point, or one taken from its size.
enum class HotspotAt { Given, Center, Bottom };

struct PackOptions {
    uint16_t colorKey = 0xF81F;
    HotspotAt hotspotAt = HotspotAt::Given;
    int16_t hotspotX = 0; // used with HotspotAt::Given
    int16_t hotspotY = 0;
    int16_t offsetX = 0;
    int16_t offsetY = 0;
    int16_t fixedX = -1;
    int16_t fixedY = -1;
    bool noAlpha = false; // alpha below 128 becomes the key, the rest opaque
};

// Largest width and height a frame can have (they are signed 16-bit).
constexpr uint32_t kMaxFrameSide = 32767;

// The 565 value other than key that comes closest to the colour (r, g, b);
// used for visible pixels that would otherwise vanish as the colour key.
uint16_t NearestOtherThanKey(uint8_t r, uint8_t g, uint8_t b, uint16_t key);

// The header fields of a width x height frame packed with options. Center
// puts the hotspot at (width / 2, height / 2), Bottom at (width / 2,
// height - 1), both rounded down; Given takes hotspotX and hotspotY.
SpriteFrame FrameHeader(const PackOptions& options, uint32_t width, uint32_t height);

// One RGBA pixel as a frame stores it: its RGB565 value, and in alpha its
// opacity (0 or 255 with noAlpha). A pixel with alpha 0 is the colour key; a
// visible one that would be the key moves to the nearest other colour and
// counts in movedPixels.
uint16_t StoredPixel(const uint8_t* rgba, const PackOptions& options, uint8_t& alpha, uint32_t& movedPixels);

// The frame as the demo draws it, as an RGBA image: colour-key pixels fully
// transparent, the others with their alpha value (255 without an alpha
// block). False, with the reason, when the frame is empty or a block holds
// fewer bytes than width x height needs.
bool FrameToImage(const SpriteFrame& frame, PngImage& image, std::string& error);
