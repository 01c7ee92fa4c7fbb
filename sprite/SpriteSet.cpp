// The SPRITE reader. Every count and size in an input is checked against what
// is actually left of it, so a damaged file is refused whole, with the reason
// and where, and nothing is read or allocated beyond its end.
#include "platform/LittleEndian.h"
#include "platform/NotLoaded.h"
#include "platform/RegularFile.h"
#include "platform/ShownText.h"
#include "sprite/Sprite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

namespace {

constexpr size_t kMagicSize = 7;
constexpr char kMagic[] = "SPRITE";
constexpr size_t kFileHeaderSize = 12;
constexpr size_t kFrameHeaderSize = 24;

// Where the bytes come from: an open file or a buffer, read front to back.
struct SpriteSource {
    FILE* file;           // null: read from bytes
    const uint8_t* bytes; // the whole buffer
    uint64_t size;        // of the whole input
    uint64_t offset;      // of the next byte to read
};

int16_t LeSigned16(const uint8_t* bytes) {
    return static_cast<int16_t>(LoadLe16(bytes));
}

bool Fail(SpriteReadStatus* status, const char* failure, uint64_t offset) {
    status->failure = failure;
    status->offset = offset;
    return false;
}

bool FailReading(SpriteReadStatus* status, FILE* file, uint64_t offset) {
    status->systemError = errno;
    if (!std::ferror(file)) {
        status->systemError = 0; // the file shrank while being read
        return Fail(status, "file ends early", offset);
    }
    return Fail(status, "cannot read", offset);
}

// Exactly count bytes, or false with endsEarly when the input has fewer left.
bool ReadExactly(SpriteSource* source, void* buffer, size_t count, const char* endsEarly, SpriteReadStatus* status) {
    if (count > source->size - source->offset) {
        return Fail(status, endsEarly, source->offset);
    }
    if (count == 0) {
        return true;
    }
    if (source->file == nullptr) {
        std::memcpy(buffer, source->bytes + source->offset, count);
    } else if (std::fread(buffer, 1, count, source->file) != count) {
        return FailReading(status, source->file, source->offset);
    }
    source->offset += count;
    return true;
}

// The magic comes first and is read before the file is measured, so that a
// file that cannot be read at all says so.
bool ReadMagic(SpriteSource* source, uint8_t* magic, SpriteReadStatus* status) {
    if (source->file == nullptr) {
        return ReadExactly(source, magic, kMagicSize, "file ends inside the magic", status);
    }
    const size_t got = std::fread(magic, 1, kMagicSize, source->file);
    if (got != kMagicSize) {
        if (std::ferror(source->file)) {
            return FailReading(status, source->file, 0);
        }
        source->size = got; // the whole file
        return Fail(status, "file ends inside the magic", 0);
    }
    const long end = std::fseek(source->file, 0, SEEK_END) == 0 ? std::ftell(source->file) : -1;
    if (end < static_cast<long>(kMagicSize) || std::fseek(source->file, kMagicSize, SEEK_SET) != 0) {
        status->systemError = errno;
        return Fail(status, "cannot read", kMagicSize);
    }
    source->size = static_cast<uint64_t>(end);
    source->offset = kMagicSize;
    return true;
}

// One length-prefixed block. A size that claims more than is left is refused
// before anything is allocated; false leaves the block untouched.
bool ReadDataBlock(DataBlock* block, SpriteSource* source, SpriteReadStatus* status) {
    const uint64_t start = source->offset;
    uint8_t sizeBytes[4];
    if (!ReadExactly(source, sizeBytes, sizeof sizeBytes, "file ends inside a block size", status)) {
        return false;
    }
    const uint32_t size = LoadLe32(sizeBytes);
    if (size > source->size - source->offset) {
        return Fail(status, "block is larger than the rest of the file", start);
    }
    std::unique_ptr<uint8_t[]> data;
    if (size > 0) {
        data.reset(new (std::nothrow) uint8_t[size]);
        if (!data) {
            return Fail(status, "out of memory for a block", start);
        }
        if (!ReadExactly(source, data.get(), size, "file ends inside a block", status)) {
            return false;
        }
    }
    block->size = size;
    block->data = std::move(data);
    return true;
}

void DecodeFrameHeader(const uint8_t* header, SpriteFrame* frame) {
    std::memcpy(frame->spare1, header, 4);
    frame->colorKey = LoadLe16(header + 4);
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

bool ReadFrame(SpriteSource* source, SpriteFrame* frame, SpriteReadStatus* status) {
    uint8_t header[kFrameHeaderSize];
    if (!ReadExactly(source, header, sizeof header, "file ends inside a frame header", status)) {
        return false;
    }
    DecodeFrameHeader(header, frame);
    return ReadDataBlock(&frame->pixelBlock, source, status) && ReadDataBlock(&frame->alphaBlock, source, status) &&
           ReadDataBlock(&frame->extraBlock, source, status);
}

bool ReadSprite(SpriteSource* source, Sprite* result, SpriteReadStatus* status) {
    *status = SpriteReadStatus();
    const bool magicRead = ReadMagic(source, status->magic, status);
    status->size = source->size;
    if (!magicRead) {
        return false;
    }
    if (std::memcmp(status->magic, kMagic, kMagicSize) != 0) {
        status->wrongMagic = true;
        return Fail(status, "not a SPRITE file (wrong magic)", 0);
    }

    Sprite sprite;
    uint8_t header[kFileHeaderSize];
    if (!ReadExactly(source, header, sizeof header, "file ends inside the header", status)) {
        return false;
    }
    sprite.headerValue1 = LoadLe32(header);
    sprite.headerValue2 = LoadLe32(header + 4);
    sprite.frameCount = static_cast<int32_t>(LoadLe32(header + 8));

    // No reserve(frameCount): the count is untrusted, the input's length bounds it.
    for (int32_t i = 0; i < sprite.frameCount; ++i) {
        SpriteFrame frame;
        if (!ReadFrame(source, &frame, status)) {
            return false;
        }
        sprite.frames.push_back(std::move(frame));
    }
    if (!sprite.frames.empty()) {
        sprite.frames[0].spans = MakeSpanPlan(sprite.frames[0]);
    }
    status->offset = source->offset;
    *result = std::move(sprite);
    return true;
}

// The magic is shown as text: its bytes up to the first zero, seven at most,
// control bytes escaped.
void ReportWrongMagic(const uint8_t* magic) {
    const char* text = reinterpret_cast<const char*>(magic);
    const std::string shown = ShowControlBytes(text, strnlen(text, kMagicSize));
    // "非Sprite檔 : %s : %s\n", stored in code page 950: these bytes are what the
    // loader prints, whatever the console's encoding.
    std::printf("\xAB\x44Sprite\xC0\xC9 : %s : %s\n", shown.c_str(), kMagic);
}

} // namespace

bool ReadSpriteFile(const char* fileName, Sprite* sprite, SpriteReadStatus* status) {
    const char* notRegular = nullptr;
    FILE* file = OpenRegularFile(fileName, &notRegular);
    if (file == nullptr) {
        *status = SpriteReadStatus();
        status->notRegular = notRegular;
        status->systemError = notRegular != nullptr ? 0 : errno;
        return Fail(status, notRegular != nullptr ? "not a regular file" : "cannot open", 0);
    }
    SpriteSource source = {file, nullptr, 0, 0};
    const bool read = ReadSprite(&source, sprite, status);
    std::fclose(file);
    return read;
}

bool ReadSpriteBytes(const uint8_t* bytes, size_t size, Sprite* sprite, SpriteReadStatus* status) {
    SpriteSource source = {nullptr, bytes, size, 0};
    return ReadSprite(&source, sprite, status);
}

std::string SpriteReadReason(const SpriteReadStatus& status) {
    std::string reason;
    if (status.notRegular != nullptr) {
        reason = std::string(status.notRegular) + ", " + status.failure;
    } else if (status.systemError != 0) {
        reason = std::string(status.failure) + ": " + std::strerror(status.systemError);
    } else {
        reason = "byte " + std::to_string(status.offset) + ": " + status.failure;
    }
    // Whatever a reason may come to quote, it never drives a terminal.
    return ShowControlBytes(reason);
}

bool SpriteSet::Load(const char* fileName) {
    Sprite sprite;
    SpriteReadStatus status;
    if (!ReadSpriteFile(fileName, &sprite, &status)) {
        if (status.wrongMagic) {
            ReportWrongMagic(status.magic);
        }
        // The name may come from a command line, with any bytes in it.
        SaySpriteNotLoaded(ShowControlBytes(fileName, std::strlen(fileName)).c_str(), SpriteReadReason(status).c_str());
        return false;
    }
    sprites.push_back(std::move(sprite));
    return true;
}
