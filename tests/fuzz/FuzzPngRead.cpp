// spritetool's PNG reader on arbitrary bytes, under libFuzzer's
// -malloc_limit_mb: a file may cost memory only for the rows it really holds.
// Chunk checksums are made right before reading, so the mutations reach the
// decoder instead of stopping at the first CRC check.
#include "tools/common/PngIo.h"
#include "tools/spritetool/FrameImage.h" // kMaxFrameSide

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
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
    PngImage image;
    std::string error;
    if (ReadPngRgbaFrom(file, image, error, kMaxFrameSide)) {
        if (image.width == 0 || image.height == 0 || image.width > kMaxFrameSide || image.height > kMaxFrameSide ||
            image.channels != 4 || image.pixels.size() != size_t(image.width) * image.height * 4) {
            std::fprintf(stderr, "fuzz_png_read: a %ux%u image with %zu bytes of pixels\n", image.width, image.height,
                         image.pixels.size());
            std::abort();
        }
    } else if (error.empty()) {
        std::fprintf(stderr, "fuzz_png_read: a refusal without a reason\n");
        std::abort();
    }
    std::fclose(file);
    return 0;
}
