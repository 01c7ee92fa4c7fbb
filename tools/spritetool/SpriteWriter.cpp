#include "tools/spritetool/SpriteWriter.h"

#include "platform/LittleEndian.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    uint8_t bytes[2];
    StoreLe16(bytes, value);
    out.insert(out.end(), bytes, bytes + 2);
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    StoreLe32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void PutBytes(std::vector<uint8_t>& out, const uint8_t* bytes, size_t count) {
    out.insert(out.end(), bytes, bytes + count);
}

} // namespace

void PutFileHeader(std::vector<uint8_t>& out, uint32_t headerValue1, uint32_t headerValue2, uint32_t frameCount) {
    static const uint8_t kMagic[7] = {'S', 'P', 'R', 'I', 'T', 'E', 0};
    PutBytes(out, kMagic, sizeof kMagic);
    Put32(out, headerValue1);
    Put32(out, headerValue2);
    Put32(out, frameCount);
}

void PutFrameHeader(std::vector<uint8_t>& out, const SpriteFrame& frame) {
    PutBytes(out, frame.spare1, sizeof frame.spare1);
    Put16(out, frame.colorKey);
    PutBytes(out, frame.spare2, sizeof frame.spare2);
    Put16(out, uint16_t(frame.hotspotX));
    Put16(out, uint16_t(frame.hotspotY));
    Put16(out, uint16_t(frame.offsetX));
    Put16(out, uint16_t(frame.offsetY));
    Put16(out, uint16_t(frame.fixedX));
    Put16(out, uint16_t(frame.fixedY));
    Put16(out, uint16_t(frame.width));
    Put16(out, uint16_t(frame.height));
}
