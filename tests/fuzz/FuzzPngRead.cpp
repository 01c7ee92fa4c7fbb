// spritetool's PNG reader on arbitrary bytes, under libFuzzer's
// -malloc_limit_mb: a file may cost memory only for the row it holds. Every
// part of a row it hands over lies inside the image it claims, and an image
// read has had each of its pixels handed over. Chunk checksums are made right
// before reading, so the mutations reach the decoder instead of stopping at
// the first CRC check.
#include "tools/common/PngIo.h"
#include "tools/spritetool/FrameImage.h" // kMaxFrameSide

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

uint32_t Be32(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

void PutBe32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = uint8_t(value >> (24 - 8 * i));
    }
}

// After the 8-byte signature: length, type, data, CRC of type and data.
void FixChunkChecksums(std::vector<uint8_t>& png) {
    size_t at = 8;
    while (at + 12 <= png.size()) {
        const uint32_t length = Be32(&png[at]);
        if (length > png.size() - at - 12) {
            return;
        }
        const uLong crc = crc32(0, &png[at + 4], uInt(length + 4));
        PutBe32(&png[at + 8 + length], uint32_t(crc));
        at += 12 + length;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::vector<uint8_t> png(bytes, bytes + size);
    FixChunkChecksums(png);
    FILE* file = fmemopen(png.data(), png.size(), "rb");
    if (file == nullptr) {
        return 0; // fmemopen refuses an empty buffer
    }
    uint32_t width = 0, height = 0;
    size_t pixels = 0;
    bool inside = true;
    const auto onSize = [&](uint32_t w, uint32_t h, std::string&) {
        width = w;
        height = h;
        return true;
    };
    const auto onRow = [&](const PngRowPart& part, std::string&) {
        inside &= part.y < height && part.firstColumn + uint64_t(part.count - 1) * part.columnStep < width;
        pixels += part.count;
        return true;
    };
    std::string error;
    if (ReadPngRowsFrom(file, onSize, onRow, error, kMaxFrameSide)) {
        if (!inside || width == 0 || width > kMaxFrameSide || height > kMaxFrameSide ||
            pixels != size_t(width) * height) {
            std::fprintf(stderr, "fuzz_png_read: a %ux%u image with %zu pixels handed over%s\n", width, height, pixels,
                         inside ? "" : ", some outside it");
            std::abort();
        }
    } else if (error.empty()) {
        std::fprintf(stderr, "fuzz_png_read: a refusal without a reason\n");
        std::abort();
    }
    std::fclose(file);
    return 0;
}
