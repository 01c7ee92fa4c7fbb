// The headers of a SPRITE file as spritetool writes them, all integers
// little-endian whatever the host; each frame header is followed by its
// three length-prefixed blocks.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <string>
#include <vector>

// The 19 bytes before the first frame record: magic, header values, frame count.
void PutFileHeader(std::vector<uint8_t>& out, uint32_t headerValue1, uint32_t headerValue2, uint32_t frameCount);

// The 24-byte header that begins a frame record.
void PutFrameHeader(std::vector<uint8_t>& out, const SpriteFrame& frame);
