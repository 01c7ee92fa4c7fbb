// SPRITE files in memory, the two global sprite sets, and the draw routines.
#pragma once

#include "platform/Platform.h"
#include "sprite/SpanPlan.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One length-prefixed block of a frame: exactly `size` bytes, owned.
struct DataBlock {
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data;
};

// The fixed fields that begin a frame record, in file order.
struct SpriteFrameHeader {
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
};

struct SpriteFrame : SpriteFrameHeader {
    DataBlock pixelBlock;
    DataBlock alphaBlock;
    DataBlock extraBlock;
    // Made by the reader for frame 0, the frame the routines draw; whoever
    // changes the blocks of a frame after reading it makes it again or
    // clears it. Without one the routines draw every pixel through the kernels.
    SpanPlan spans;
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
    // unchanged, when the file cannot be opened or read, is not a regular
    // file (refused without waiting on it), has the wrong magic
    // (reported on standard output), or ends early.
    bool Load(const char* fileName);
};

// What reading a SPRITE file found, stb-style: on failure a short static text
// and the offset of the field that could not be read.
struct SpriteReadStatus {
    const char* failure = nullptr; // null: the whole sprite was read
    uint64_t offset = 0;           // of the failing field; after success, where the frame records end
    uint64_t size = 0;             // of the input, once known
    int systemError = 0;           // errno of a failed open or read
    bool wrongMagic = false;       // the first seven bytes were read and are not the magic ...
    uint8_t magic[7] = {};         // ... and these they are
    // Refused unread, being this ("a FIFO") and not a regular file.
    const char* notRegular = nullptr;
};

// The one reader of the format, behind SpriteSet::Load and the tools. Fills
// *sprite from a file or from size bytes in memory, read front to back; every
// count and size is checked against what is left, so a damaged input is
// refused whole and nothing is read or allocated beyond its end. False leaves
// *sprite untouched and says why in *status.
bool ReadSpriteFile(const char* fileName, Sprite* sprite, SpriteReadStatus* status);
bool ReadSpriteBytes(const uint8_t* bytes, size_t size, Sprite* sprite, SpriteReadStatus* status);

// Why a read failed, in one line: "byte 43: block is larger than the rest of
// the file", "cannot open: No such file or directory" or "a FIFO, not a
// regular file"; control bytes shown as \xHH.
std::string SpriteReadReason(const SpriteReadStatus& status);

extern SpriteSet g_girlSprites;
extern SpriteSet g_backgroundSprites;
