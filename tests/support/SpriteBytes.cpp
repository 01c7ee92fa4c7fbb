#include "tests/support/SpriteBytes.h"

#include "platform/LittleEndian.h"
#include "tools/spritetool/SpriteWriter.h"

#include <cstring>

namespace {

void PutBlock(std::vector<uint8_t>& out, const DataBlock& block) {
    uint8_t size[4];
    StoreLe32(size, block.size);
    out.insert(out.end(), size, size + 4);
    if (block.size > 0) {
        out.insert(out.end(), block.data.get(), block.data.get() + block.size);
    }
}

} // namespace

DataBlock CopyBlock(const std::vector<uint8_t>& bytes) {
    DataBlock block;
    block.size = static_cast<uint32_t>(bytes.size());
    if (!bytes.empty()) {
        block.data = std::make_unique<uint8_t[]>(bytes.size());
        std::memcpy(block.data.get(), bytes.data(), bytes.size());
    }
    return block;
}

std::vector<uint8_t> SerializeSprite(const Sprite& sprite) {
    std::vector<uint8_t> out;
    PutFileHeader(out, sprite.headerValue1, sprite.headerValue2, uint32_t(sprite.frames.size()));
    for (const SpriteFrame& frame : sprite.frames) {
        PutFrameHeader(out, frame);
        PutBlock(out, frame.pixelBlock);
        PutBlock(out, frame.alphaBlock);
        PutBlock(out, frame.extraBlock);
    }
    return out;
}
