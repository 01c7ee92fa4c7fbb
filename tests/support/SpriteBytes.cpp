#include "tests/support/SpriteBytes.h"

#include "platform/LittleEndian.h"
#include "tools/spritetool/SpriteWriter.h"

#include <cstring>

DataBlock CopyBlock(const std::vector<uint8_t>& bytes) {
    DataBlock block;
    block.size = static_cast<uint32_t>(bytes.size());
    if (!bytes.empty()) {
        block.data = std::make_unique<uint8_t[]>(bytes.size());
        std::memcpy(block.data.get(), bytes.data(), bytes.size());
    }
    return block;
}

void AppendFrame(std::vector<uint8_t>& out, const SpriteFrame& frame) {
    PutFrameHeader(out, frame);
    for (const DataBlock* block : {&frame.pixelBlock, &frame.alphaBlock, &frame.extraBlock}) {
        uint8_t size[4];
        StoreLe32(size, block->size);
        out.insert(out.end(), size, size + 4);
        if (block->size > 0) {
            out.insert(out.end(), block->data.get(), block->data.get() + block->size);
        }
    }
}

std::vector<uint8_t> SerializeSprite(const Sprite& sprite) {
    std::vector<uint8_t> out;
    PutFileHeader(out, sprite.headerValue1, sprite.headerValue2, uint32_t(sprite.frames.size()));
    for (const SpriteFrame& frame : sprite.frames) {
        AppendFrame(out, frame);
    }
    return out;
}
