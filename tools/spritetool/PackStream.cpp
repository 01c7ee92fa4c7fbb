#include "tools/spritetool/PackStream.h"

#include "sprite/LittleEndian.h"
#include "tools/common/PngIo.h"
#include "tools/spritetool/SpriteWriter.h"

#include <vector>

namespace {

// A frame record being filled in: the pixel block's size is known from the
// picture's size, so both blocks have fixed places and a row can land in
// its place whatever order the rows arrive in (an interlaced PNG brings
// each row in up to seven parts).
struct FrameRecord {
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t pixelsAt = 0; // where the pixel block's bytes start
    uint64_t alphaAt = 0;  // where the alpha block's bytes start, if it has any
    bool hasAlpha = false;
    uint32_t movedPixels = 0;
    std::vector<uint8_t> pixelRow; // width * 2
    std::vector<uint8_t> alphaRow; // width
    std::vector<uint8_t> partAlpha;
};

bool WriteLe32At(OutputFile& out, uint64_t offset, uint32_t value, std::string& error) {
    uint8_t bytes[4];
    StoreLe16(bytes, uint16_t(value));
    StoreLe16(bytes + 2, uint16_t(value >> 16));
    return WriteOutputAt(out, offset, bytes, sizeof bytes, error);
}

bool StartFrame(OutputFile& out, uint64_t start, const PackOptions& options, uint32_t width, uint32_t height,
                FrameRecord& record, std::string& error) {
    SpriteFrame frame;
    frame.colorKey = options.colorKey;
    frame.hotspotX = options.hotspotX;
    frame.hotspotY = options.hotspotY;
    frame.offsetX = options.offsetX;
    frame.offsetY = options.offsetY;
    frame.fixedX = options.fixedX;
    frame.fixedY = options.fixedY;
    frame.width = int16_t(width);
    frame.height = int16_t(height);
    std::vector<uint8_t> header;
    PutFrameHeader(header, frame);

    const uint32_t pixelBytes = width * height * 2; // below 2^31 for 32767 x 32767
    record.width = width;
    record.height = height;
    record.pixelsAt = start + header.size() + 4;
    record.alphaAt = record.pixelsAt + pixelBytes + 4;
    record.pixelRow.resize(size_t(width) * 2);
    record.alphaRow.resize(width);
    record.partAlpha.resize(width);
    return WriteOutputAt(out, start, header.data(), header.size(), error) &&
           WriteLe32At(out, start + header.size(), pixelBytes, error);
}

// The alpha block is begun by the first pixel that needs it. Every pixel
// before it was opaque, so the block starts as all 255 and the parts still
// to come overwrite their places.
bool StartAlpha(OutputFile& out, FrameRecord& record, std::string& error) {
    const std::vector<uint8_t> opaque(record.width, 255);
    for (uint32_t y = 0; y < record.height; ++y) {
        if (!WriteOutputAt(out, record.alphaAt + uint64_t(y) * record.width, opaque.data(), opaque.size(), error)) {
            return false;
        }
    }
    record.hasAlpha = true;
    return true;
}

bool WritePart(OutputFile& out, FrameRecord& record, const PackOptions& options, const PngRowPart& part,
               std::string& error) {
    const bool wholeRow = part.count == record.width;
    const uint64_t pixelsAt = record.pixelsAt + uint64_t(part.y) * record.width * 2;
    const uint64_t alphaAt = record.alphaAt + uint64_t(part.y) * record.width;
    if (!wholeRow && !ReadOutputAt(out, pixelsAt, record.pixelRow.data(), record.pixelRow.size(), error)) {
        return false;
    }
    bool partlyTransparent = false;
    for (uint32_t i = 0; i < part.count; ++i) {
        const uint32_t x = part.firstColumn + i * part.columnStep;
        const uint16_t pixel = StoredPixel(part.rgba + size_t(i) * 4, options, record.partAlpha[i], record.movedPixels);
        StoreLe16(&record.pixelRow[size_t(x) * 2], pixel);
        partlyTransparent |= record.partAlpha[i] != 255;
    }
    if (!WriteOutputAt(out, pixelsAt, record.pixelRow.data(), record.pixelRow.size(), error)) {
        return false;
    }
    if (partlyTransparent && !options.noAlpha && !record.hasAlpha && !StartAlpha(out, record, error)) {
        return false;
    }
    if (!record.hasAlpha) {
        return true;
    }
    if (!wholeRow && !ReadOutputAt(out, alphaAt, record.alphaRow.data(), record.alphaRow.size(), error)) {
        return false;
    }
    for (uint32_t i = 0; i < part.count; ++i) {
        record.alphaRow[part.firstColumn + i * part.columnStep] = record.partAlpha[i];
    }
    return WriteOutputAt(out, alphaAt, record.alphaRow.data(), record.alphaRow.size(), error);
}

} // namespace

bool StartSpriteFile(OutputFile& out, uint32_t frameCount, uint64_t& end, std::string& error) {
    std::vector<uint8_t> header;
    PutFileHeader(header, 0, 0, frameCount);
    end = header.size();
    return WriteOutputAt(out, 0, header.data(), header.size(), error);
}

bool PackPngFrame(const char* path, OutputFile& out, uint64_t& end, const PackOptions& options, uint32_t& movedPixels,
                  std::string& error) {
    FrameRecord record;
    const auto onSize = [&](uint32_t width, uint32_t height, std::string& why) {
        return StartFrame(out, end, options, width, height, record, why);
    };
    const auto onRow = [&](const PngRowPart& part, std::string& why) {
        return WritePart(out, record, options, part, why);
    };
    if (!ReadPngRows(path, onSize, onRow, error, kMaxFrameSide)) {
        return false;
    }
    // The alpha block's size and an empty extra block close the record.
    const uint32_t alphaBytes = record.hasAlpha ? record.width * record.height : 0;
    if (!WriteLe32At(out, record.alphaAt - 4, alphaBytes, error) ||
        !WriteLe32At(out, record.alphaAt + alphaBytes, 0, error)) {
        return false;
    }
    end = record.alphaAt + alphaBytes + 4;
    movedPixels = record.movedPixels;
    return true;
}
