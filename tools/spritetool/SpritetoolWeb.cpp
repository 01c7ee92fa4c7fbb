// What the page asks of spritetool, in a WebAssembly module of its own
// (site/spritetool.js): whether bytes load as a SPRITE file, by the demo's
// own reader, and packing an image as `spritetool pack` does, by spritetool's
// own code. The page decodes PNGs to exact 8-bit RGBA; every rule about what
// a pixel becomes stays here.
//
// A module apart from the program's, so that the page can check and pack
// whether or not a program instance is running.
#include "sprite/Sprite.h"
#include "tools/spritetool/FrameImage.h"
#include "tools/spritetool/SpriteWriter.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string g_reason;
std::vector<uint8_t> g_packed;

} // namespace

extern "C" {

// Why size bytes do not load as a SPRITE file, in the reader's words ("byte
// 43: block is larger than the rest of the file"); "" when they load.
EMSCRIPTEN_KEEPALIVE const char* spritetool_check(const uint8_t* bytes, size_t size) {
    Sprite sprite;
    SpriteReadStatus status;
    g_reason = ReadSpriteBytes(bytes, size, &sprite, &status) ? "" : SpriteReadReason(status);
    return g_reason.c_str();
}

// The SPRITE file `spritetool pack` makes of width x height RGBA pixels, with
// the hotspot in the middle (hotspotAt 1, --hotspot center), the middle of
// the bottom edge (2, bottom) or at 0,0 (0), and --fixed fixedX,fixedY (-1
// for none). Its bytes stay valid until the next call; spritetool_packed_size
// counts them. Null for an image spritetool refuses as too large.
EMSCRIPTEN_KEEPALIVE const uint8_t* spritetool_pack(const uint8_t* rgba, uint32_t width, uint32_t height, int hotspotAt,
                                                    int fixedX, int fixedY) {
    g_packed.clear();
    if (width == 0 || height == 0 || width > kMaxFrameSide || height > kMaxFrameSide) {
        return nullptr;
    }
    PngImage image;
    image.width = width;
    image.height = height;
    image.pixels.assign(rgba, rgba + size_t(width) * height * 4);
    PackOptions options;
    options.hotspotAt = hotspotAt == 1 ? HotspotAt::Center : hotspotAt == 2 ? HotspotAt::Bottom : HotspotAt::Given;
    options.fixedX = int16_t(fixedX);
    options.fixedY = int16_t(fixedY);
    uint32_t moved = 0;
    Sprite sprite;
    sprite.frames.push_back(ImageToFrame(image, options, moved));
    sprite.frameCount = 1;
    g_packed = SerializeSprite(sprite);
    return g_packed.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t spritetool_packed_size() {
    return uint32_t(g_packed.size());
}

} // extern "C"
