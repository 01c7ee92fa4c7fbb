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

// Builds a frame from an RGBA image (width and height at most kMaxFrameSide).
// Center puts the hotspot at (width / 2, height / 2), Bottom at
// (width / 2, height - 1), both rounded down. Pixels with alpha 0 are stored
// as the colour key; the alpha block is left out when every pixel is fully
// opaque. movedPixels counts the visible pixels moved off the key.
SpriteFrame ImageToFrame(const PngImage& image, const PackOptions& options, uint32_t& movedPixels);

// The frame as the demo draws it, as an RGBA image: colour-key pixels fully
// transparent, the others with their alpha value (255 without an alpha
// block). False, with the reason, when the frame is empty or a block holds
// fewer bytes than width x height needs.
bool FrameToImage(const SpriteFrame& frame, PngImage& image, std::string& error);
