#include "tools/spritetool/PackStream.h"

#include "platform/LittleEndian.h"
#include "tools/spritetool/SpriteWriter.h"

#include <vector>

namespace {

// A frame record being filled in: the pixel block's size is known from the
// picture's size, so both blocks have fixed places and a row can land in
// its place whatever order the rows arrive in (an interlaced PNG brings
// each row in up to seven parts).
struct FrameRecord {
    PackedFrame packed;
    uint64_t pixelsAt = 0;         // where the pixel block's bytes start
    uint64_t alphaAt = 0;          // where the alpha block's bytes start, if it has any
    std::vector<uint8_t> pixelRow; // width * 2
    std::vector<uint8_t> alphaRow; // width
    std::vector<uint8_t> partAlpha;
};

bool WriteLe32At(PackSink& sink, uint64_t offset, uint32_t value, std::string& error) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    return sink.write(offset, bytes, sizeof bytes, error);
}

bool StartFrame(PackSink& sink, const PackOptions& options, uint32_t width, uint32_t height, FrameRecord& record,
                std::string& error) {
    std::vector<uint8_t> header;
    PutFrameHeader(header, FrameHeader(options, width, height));

    const uint32_t pixelBytes = width * height * 2; // below 2^31 for 32767 x 32767
    record.packed.width = width;
    record.packed.height = height;
    record.pixelsAt = sink.end + header.size() + 4;
    record.alphaAt = record.pixelsAt + pixelBytes + 4;
    record.pixelRow.resize(size_t(width) * 2);
    record.alphaRow.resize(width);
    record.partAlpha.resize(width);
    return sink.write(sink.end, header.data(), header.size(), error) &&
           WriteLe32At(sink, sink.end + header.size(), pixelBytes, error);
}

// The alpha block is begun by the first pixel that needs it. Every pixel
// before it was opaque, so the block starts as all 255 and the parts still
// to come overwrite their places.
bool StartAlpha(PackSink& sink, FrameRecord& record, std::string& error) {
    const uint32_t width = record.packed.width;
    const std::vector<uint8_t> opaque(width, 255);
    for (uint32_t y = 0; y < record.packed.height; ++y) {
        if (!sink.write(record.alphaAt + uint64_t(y) * width, opaque.data(), opaque.size(), error)) {
            return false;
        }
    }
    record.packed.hasAlpha = true;
    return true;
}

bool WritePart(PackSink& sink, FrameRecord& record, const PackOptions& options, const PngRowPart& part,
               std::string& error) {
    const uint32_t width = record.packed.width;
    const bool wholeRow = part.count == width;
    const uint64_t pixelsAt = record.pixelsAt + uint64_t(part.y) * width * 2;
    const uint64_t alphaAt = record.alphaAt + uint64_t(part.y) * width;
    if (!wholeRow && !sink.read(pixelsAt, record.pixelRow.data(), record.pixelRow.size(), error)) {
        return false;
    }
    bool partlyTransparent = false;
    for (uint32_t i = 0; i < part.count; ++i) {
        const uint32_t x = part.firstColumn + i * part.columnStep;
        const uint16_t pixel =
            StoredPixel(part.rgba + size_t(i) * 4, options, record.partAlpha[i], record.packed.movedPixels);
        StoreLe16(&record.pixelRow[size_t(x) * 2], pixel);
        partlyTransparent |= record.partAlpha[i] != 255;
    }
    if (!sink.write(pixelsAt, record.pixelRow.data(), record.pixelRow.size(), error)) {
        return false;
    }
    if (partlyTransparent && !options.noAlpha && !record.packed.hasAlpha && !StartAlpha(sink, record, error)) {
        return false;
    }
    if (!record.packed.hasAlpha) {
        return true;
    }
    if (!wholeRow && !sink.read(alphaAt, record.alphaRow.data(), record.alphaRow.size(), error)) {
        return false;
    }
    for (uint32_t i = 0; i < part.count; ++i) {
        record.alphaRow[part.firstColumn + i * part.columnStep] = record.partAlpha[i];
    }
    return sink.write(alphaAt, record.alphaRow.data(), record.alphaRow.size(), error);
}

// The file header of a SPRITE file of frameCount frames at the start of
// sink; sink.end becomes where the first frame record goes.
bool StartSpriteFile(PackSink& sink, uint32_t frameCount, std::string& error) {
    std::vector<uint8_t> header;
    PutFileHeader(header, 0, 0, frameCount);
    sink.end = header.size();
    return sink.write(0, header.data(), header.size(), error);
}

// One frame record at sink.end made from the picture rows gives; sink.end
// moves behind it.
bool PackFrame(PackSink& sink, const PackRows& rows, const PackOptions& options, PackedFrame& packed,
               std::string& error) {
    FrameRecord record;
    const auto onSize = [&](uint32_t width, uint32_t height, std::string& why) {
        return StartFrame(sink, options, width, height, record, why);
    };
    const auto onRow = [&](const PngRowPart& part, std::string& why) {
        return WritePart(sink, record, options, part, why);
    };
    if (!rows(onSize, onRow, error)) {
        return false;
    }
    // The alpha block's size and an empty extra block close the record.
    const uint32_t alphaBytes = record.packed.hasAlpha ? record.packed.width * record.packed.height : 0;
    if (!WriteLe32At(sink, record.alphaAt - 4, alphaBytes, error) ||
        !WriteLe32At(sink, record.alphaAt + alphaBytes, 0, error)) {
        return false;
    }
    sink.end = record.alphaAt + alphaBytes + 4;
    packed = record.packed;
    return true;
}

} // namespace

bool PackSpriteFile(PackSink& sink, const std::vector<PackRows>& pictures, const PackOptions& options,
                    const std::function<void(const PackedFrame&)>& onFrame, std::string& error) {
    if (!StartSpriteFile(sink, uint32_t(pictures.size()), error)) {
        return false;
    }
    for (const PackRows& rows : pictures) {
        PackedFrame packed;
        if (!PackFrame(sink, rows, options, packed, error)) {
            return false;
        }
        if (onFrame) {
            onFrame(packed);
        }
    }
    return true;
}
