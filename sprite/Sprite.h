// SPRITE files in memory, the two global sprite sets, and the draw routines.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

// One length-prefixed block of a frame: exactly `size` bytes, owned.
struct DataBlock {
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data;
};

struct SpriteFrame {
    uint8_t spare1[4] = {};
    uint16_t colorKey = 0;
    uint8_t spare2[2] = {};
    int16_t hotspotX = 0;
    int16_t hotspotY = 0;
    int16_t offsetX = 0;
    int16_t offsetY = 0;
    int16_t fixedX = -1;
    int16_t fixedY = -1;
    int16_t width = 0;
    int16_t height = 0;
    DataBlock pixelBlock;
    DataBlock alphaBlock;
    DataBlock extraBlock;
};

struct Sprite {
    uint32_t headerValue1 = 0;
    uint32_t headerValue2 = 0;
    int32_t frameCount = 0;
    std::vector<SpriteFrame> frames;

    // Turns a requested position into frame 0's top-left corner.
    void ApplyPlacement(int32_t& x, int32_t& y) const;

    // DrawAlpha when frame 0 has alpha values, DrawKeyed otherwise.
    void Draw(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const;
    void DrawKeyed(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const;
    void DrawAlpha(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const;
    void DrawTranslucent(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, int opacity) const;
    void DrawTinted(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, COLORREF tintColour, int tintAmount) const;
};

struct SpriteSet {
    std::vector<Sprite> sprites;

    // Reads one SPRITE file and appends its sprite. False, with the set
    // unchanged, when the file cannot be opened, has the wrong magic, or ends
    // early.
    bool Load(const char* fileName);
};

// Reads one length-prefixed block at the file's position. bytesLeft is what
// remains of the file; a block that claims more is refused before anything is
// allocated. False leaves the block untouched.
bool ReadDataBlock(DataBlock* block, FILE* file, uint64_t* bytesLeft);

extern SpriteSet g_girlSprites;
extern SpriteSet g_backgroundSprites;
