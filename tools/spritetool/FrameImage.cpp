#include "tools/spritetool/FrameImage.h"

#include "platform/LittleEndian.h"

uint16_t NearestOtherThanKey(uint8_t r, uint8_t g, uint8_t b, uint16_t key) {
    // Candidates: the key with one channel one step up or down. Green goes
    // first so that, on equal distance, its finer step wins.
    struct Channel {
        int shift;
        int max;
    };
    static const Channel kChannels[3] = {{5, 63}, {0, 31}, {11, 31}};
    uint16_t best = key;
    long bestDistance = -1;
    for (const Channel& channel : kChannels) {
        int value = (key >> channel.shift) & channel.max;
        for (int step : {-1, 1}) {
            int moved = value + step;
            if (moved < 0 || moved > channel.max) {
                continue;
            }
            uint16_t candidate = uint16_t((key & ~(channel.max << channel.shift)) | (moved << channel.shift));
            uint8_t cr, cg, cb;
            UnpackRgb565(candidate, cr, cg, cb);
            long dr = long(cr) - r, dg = long(cg) - g, db = long(cb) - b;
            long distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                best = candidate;
                bestDistance = distance;
            }
        }
    }
    return best;
}

SpriteFrame FrameHeader(const PackOptions& options, uint32_t width, uint32_t height) {
    SpriteFrame frame;
    frame.colorKey = options.colorKey;
    frame.hotspotX = options.hotspotX;
    frame.hotspotY = options.hotspotY;
    if (options.hotspotAt != HotspotAt::Given) {
        frame.hotspotX = int16_t(width / 2);
        frame.hotspotY = int16_t(options.hotspotAt == HotspotAt::Center ? height / 2 : height - 1);
    }
    frame.offsetX = options.offsetX;
    frame.offsetY = options.offsetY;
    frame.fixedX = options.fixedX;
    frame.fixedY = options.fixedY;
    frame.width = int16_t(width);
    frame.height = int16_t(height);
    return frame;
}

uint16_t StoredPixel(const uint8_t* rgba, const PackOptions& options, uint8_t& alpha, uint32_t& movedPixels) {
    alpha = options.noAlpha ? (rgba[3] < 128 ? 0 : 255) : rgba[3];
    if (alpha == 0) {
        return options.colorKey;
    }
    const uint16_t pixel = PackRgb565(rgba[0], rgba[1], rgba[2]);
    if (pixel != options.colorKey) {
        return pixel;
    }
    ++movedPixels;
    return NearestOtherThanKey(rgba[0], rgba[1], rgba[2], options.colorKey);
}

bool FrameToImage(const SpriteFrame& frame, PngImage& image, std::string& error) {
    if (frame.width <= 0 || frame.height <= 0) {
        error = "the frame is empty (" + std::to_string(frame.width) + "x" + std::to_string(frame.height) + ")";
        return false;
    }
    uint32_t count = uint32_t(frame.width) * uint32_t(frame.height);
    if (frame.pixelBlock.size < count * 2) {
        error = "the pixel block holds " + std::to_string(frame.pixelBlock.size) + " bytes; " +
                std::to_string(frame.width) + "x" + std::to_string(frame.height) + " needs " +
                std::to_string(count * 2);
        return false;
    }
    bool hasAlpha = frame.alphaBlock.size != 0;
    if (hasAlpha && frame.alphaBlock.size < count) {
        error = "the alpha block holds " + std::to_string(frame.alphaBlock.size) + " bytes; " +
                std::to_string(frame.width) + "x" + std::to_string(frame.height) + " needs " + std::to_string(count);
        return false;
    }

    image.width = uint32_t(frame.width);
    image.height = uint32_t(frame.height);
    image.channels = 4;
    image.pixels.assign(size_t(count) * 4, 0);
    const uint8_t* pixelIn = frame.pixelBlock.data.get();
    const uint8_t* alphaIn = hasAlpha ? frame.alphaBlock.data.get() : nullptr;
    uint8_t* out = image.pixels.data();
    for (uint32_t i = 0; i < count; ++i, pixelIn += 2, out += 4) {
        uint16_t pixel = LoadLe16(pixelIn);
        UnpackRgb565(pixel, out[0], out[1], out[2]);
        if (pixel == frame.colorKey) {
            out[3] = 0;
        } else {
            out[3] = alphaIn ? alphaIn[i] : 255;
        }
    }
    return true;
}
