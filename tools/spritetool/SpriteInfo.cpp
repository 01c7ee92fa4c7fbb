#include "tools/spritetool/SpriteInfo.h"

#include <string>

namespace {

std::string Coordinate(int16_t value) {
    return value == -1 ? "none" : std::to_string(value);
}

} // namespace

void PrintSpriteInfo(FILE* out, const char* path, const Sprite& sprite, const SpriteReadStatus& status) {
    std::fprintf(out, "file: %s (%llu bytes)\n", path, (unsigned long long)status.size);
    std::fprintf(out, "header values: 0x%08X 0x%08X\n", unsigned(sprite.headerValue1), unsigned(sprite.headerValue2));
    std::fprintf(out, "frame count: %d\n", int(sprite.frameCount));
    for (size_t i = 0; i < sprite.frames.size(); ++i) {
        const SpriteFrame& frame = sprite.frames[i];
        std::string fixed = frame.fixedX == -1 && frame.fixedY == -1
                                ? "none"
                                : Coordinate(frame.fixedX) + "," + Coordinate(frame.fixedY);
        std::fprintf(out, "frame %zu: %dx%d, colour key 0x%04X, hotspot %d,%d, offset %d,%d, fixed %s\n", i,
                     frame.width, frame.height, unsigned(frame.colorKey), frame.hotspotX, frame.hotspotY, frame.offsetX,
                     frame.offsetY, fixed.c_str());
        std::fprintf(out, "  blocks: pixel %u bytes, alpha %u bytes, extra %u bytes\n", unsigned(frame.pixelBlock.size),
                     unsigned(frame.alphaBlock.size), unsigned(frame.extraBlock.size));

        uint64_t count = frame.width > 0 && frame.height > 0 ? uint64_t(frame.width) * uint64_t(frame.height) : 0;
        if (frame.pixelBlock.size != count * 2) {
            std::fprintf(out, "  warning: pixel block is %u bytes, %dx%d needs %llu\n", unsigned(frame.pixelBlock.size),
                         frame.width, frame.height, (unsigned long long)(count * 2));
        }
        if (frame.alphaBlock.size != 0 && frame.alphaBlock.size != count) {
            std::fprintf(out, "  warning: alpha block is %u bytes, %dx%d needs 0 or %llu\n",
                         unsigned(frame.alphaBlock.size), frame.width, frame.height, (unsigned long long)count);
        }
    }
    if (status.offset < status.size) {
        std::fprintf(out, "%llu bytes after the last frame (not read)\n",
                     (unsigned long long)(status.size - status.offset));
    }
}

void CountFrame(PackSummary& summary, const PackedFrame& frame) {
    if (summary.frames == 0) {
        summary.width = frame.width;
        summary.height = frame.height;
    } else if (frame.width != summary.width || frame.height != summary.height) {
        summary.sameSize = false;
    }
    ++summary.frames;
    summary.framesWithAlpha += frame.hasAlpha ? 1 : 0;
}

std::string DescribePack(const PackSummary& summary, const std::string& output) {
    const std::string firstSize =
        std::to_string(summary.width) + "\xC3\x97" /* × in UTF-8 */ + std::to_string(summary.height);
    std::string line = "wrote " + output + ": " + std::to_string(summary.frames) + " frame";
    if (summary.frames == 1) {
        line += ", " + firstSize;
    } else {
        line += "s, " + (summary.sameSize ? firstSize : "the first " + firstSize);
    }
    if (summary.framesWithAlpha == 0 || summary.framesWithAlpha == summary.frames) {
        line += summary.framesWithAlpha == 0 ? ", without alpha" : ", with alpha";
    } else {
        line += ", " + std::to_string(summary.framesWithAlpha) + " with alpha";
    }
    if (summary.frames > 1) {
        line += " (spritedemo draws only the first)";
    }
    return line;
}
