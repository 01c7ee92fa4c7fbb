// What the page asks of spritetool, in a WebAssembly module of its own
// (site/spritetool.js): whether bytes load as a SPRITE file, by the demo's
// own reader, and packing an image as `spritetool pack` does, by spritetool's
// own code. The page decodes PNGs to exact 8-bit RGBA; every rule about what
// a pixel becomes stays here.
//
// A module apart from the program's, so that the page can check and pack
// whether or not a program instance is running.
#include "sprite/Sprite.h"
#include "tools/spritetool/PackStream.h"

#include <emscripten.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
    PackOptions options;
    options.hotspotAt = hotspotAt == 1 ? HotspotAt::Center : hotspotAt == 2 ? HotspotAt::Bottom : HotspotAt::Given;
    options.fixedX = int16_t(fixedX);
    options.fixedY = int16_t(fixedY);
    // The same packing as spritetool's, into memory, with the rows whole and in order.
    PackSink sink;
    sink.write = [](uint64_t offset, const void* data, size_t size, std::string&) {
        if (g_packed.size() < offset + size) {
            g_packed.resize(offset + size);
        }
        std::memcpy(g_packed.data() + offset, data, size);
        return true;
    };
    sink.read = [](uint64_t offset, void* data, size_t size, std::string&) {
        std::memset(data, 0, size);
        if (offset < g_packed.size()) {
            std::memcpy(data, g_packed.data() + offset, std::min<size_t>(size, g_packed.size() - offset));
        }
        return true;
    };
    const PackRows rows = [&](const PngSizeReader& onSize, const PngRowReader& onRow, std::string& why) {
        if (!onSize(width, height, why)) {
            return false;
        }
        for (uint32_t y = 0; y < height; ++y) {
            if (!onRow(PngRowPart{y, 0, 1, width, rgba + size_t(y) * width * 4}, why)) {
                return false;
            }
        }
        return true;
    };
    std::string error;
    if (!PackSpriteFile(sink, {rows}, options, nullptr, error)) {
        g_packed.clear();
        return nullptr;
    }
    return g_packed.data();
}

EMSCRIPTEN_KEEPALIVE uint32_t spritetool_packed_size() {
    return uint32_t(g_packed.size());
}

} // extern "C"
