// The SPRITE loader. Every count and size in a file is checked against what
// is actually left of it, so a damaged file is refused whole and nothing is
// read or allocated beyond its end.
#include "sprite/Sprite.h"

#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr size_t kMagicSize = 7;
constexpr char kMagic[] = "SPRITE";
constexpr size_t kFileHeaderSize = 12;
constexpr size_t kFrameHeaderSize = 24;

uint16_t Le16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t Le32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

int16_t LeSigned16(const uint8_t* bytes) {
    return static_cast<int16_t>(Le16(bytes));
}

// Exactly count bytes, or false when the file has fewer left.
bool ReadExactly(FILE* file, void* buffer, size_t count, uint64_t* bytesLeft) {
    if (count > *bytesLeft) {
        return false;
    }
    if (count > 0 && std::fread(buffer, 1, count, file) != count) {
        return false;
    }
    *bytesLeft -= count;
    return true;
}

bool MeasureFile(FILE* file, uint64_t* size) {
    if (std::fseek(file, 0, SEEK_END) != 0) {
        return false;
    }
    const long end = std::ftell(file);
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        return false;
    }
    *size = static_cast<uint64_t>(end);
    return true;
}

void DecodeFrameHeader(const uint8_t* header, SpriteFrame* frame) {
    std::memcpy(frame->spare1, header, 4);
    frame->colorKey = Le16(header + 4);
    std::memcpy(frame->spare2, header + 6, 2);
    frame->hotspotX = LeSigned16(header + 8);
    frame->hotspotY = LeSigned16(header + 10);
    frame->offsetX = LeSigned16(header + 12);
    frame->offsetY = LeSigned16(header + 14);
    frame->fixedX = LeSigned16(header + 16);
    frame->fixedY = LeSigned16(header + 18);
    frame->width = LeSigned16(header + 20);
    frame->height = LeSigned16(header + 22);
}

bool ReadFrame(FILE* file, uint64_t* bytesLeft, SpriteFrame* frame) {
    uint8_t header[kFrameHeaderSize];
    if (!ReadExactly(file, header, sizeof header, bytesLeft)) {
        return false;
    }
    DecodeFrameHeader(header, frame);
    return ReadDataBlock(&frame->pixelBlock, file, bytesLeft) && ReadDataBlock(&frame->alphaBlock, file, bytesLeft) &&
           ReadDataBlock(&frame->extraBlock, file, bytesLeft);
}

// The magic is shown as text: its bytes up to the first zero, seven at most.
void ReportWrongMagic(const uint8_t* magic) {
    char shown[kMagicSize + 1] = {};
    for (size_t i = 0; i < kMagicSize && magic[i] != 0; ++i) {
        shown[i] = static_cast<char>(magic[i]);
    }
    // "非Sprite檔 : %s : %s\n" in code page 950, the encoding the message has always had.
    std::printf("\xAB\x44Sprite\xC0\xC9 : %s : %s\n", shown, kMagic);
}

bool ReadSprite(FILE* file, Sprite* sprite) {
    uint64_t bytesLeft = 0;
    if (!MeasureFile(file, &bytesLeft)) {
        return false;
    }

    uint8_t magic[kMagicSize];
    if (!ReadExactly(file, magic, sizeof magic, &bytesLeft)) {
        return false;
    }
    if (std::memcmp(magic, kMagic, sizeof magic) != 0) {
        ReportWrongMagic(magic);
        return false;
    }

    uint8_t header[kFileHeaderSize];
    if (!ReadExactly(file, header, sizeof header, &bytesLeft)) {
        return false;
    }
    sprite->headerValue1 = Le32(header);
    sprite->headerValue2 = Le32(header + 4);
    sprite->frameCount = static_cast<int32_t>(Le32(header + 8));

    // No reserve(frameCount): the count is untrusted, the file's length bounds it.
    for (int32_t i = 0; i < sprite->frameCount; ++i) {
        SpriteFrame frame;
        if (!ReadFrame(file, &bytesLeft, &frame)) {
            return false;
        }
        sprite->frames.push_back(std::move(frame));
    }
    return true;
}

} // namespace

bool ReadDataBlock(DataBlock* block, FILE* file, uint64_t* bytesLeft) {
    uint8_t sizeBytes[4];
    if (!ReadExactly(file, sizeBytes, sizeof sizeBytes, bytesLeft)) {
        return false;
    }
    const uint32_t size = Le32(sizeBytes);
    if (size > *bytesLeft) {
        return false;
    }
    std::unique_ptr<uint8_t[]> data;
    if (size > 0) {
        data.reset(new (std::nothrow) uint8_t[size]);
        if (!data || !ReadExactly(file, data.get(), size, bytesLeft)) {
            return false;
        }
    }
    block->size = size;
    block->data = std::move(data);
    return true;
}

bool SpriteSet::Load(const char* fileName) {
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        return false;
    }
    Sprite sprite;
    const bool complete = ReadSprite(file, &sprite);
    std::fclose(file);
    if (!complete) {
        return false;
    }
    sprites.push_back(std::move(sprite));
    return true;
}
