// SPRITE file serialisation: the inverse of SpriteSet::Load.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a SPRITE file holding sprite: magic, header, then every frame
// record with its three blocks, all integers little-endian whatever the host.
// The frame count written is the number of frames held, so the file always
// loads back with exactly these frames.
std::vector<uint8_t> SerializeSprite(const Sprite& sprite);

// The 19 bytes before the first frame record: magic, header values, frame count.
void PutFileHeader(std::vector<uint8_t>& out, uint32_t headerValue1, uint32_t headerValue2, uint32_t frameCount);

// The 24-byte header that begins a frame record.
void PutFrameHeader(std::vector<uint8_t>& out, const SpriteFrame& frame);
