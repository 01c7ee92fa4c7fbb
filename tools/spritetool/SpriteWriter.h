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

// Writes SerializeSprite(sprite) to path; no file appears on failure.
bool WriteSpriteFile(const char* path, const Sprite& sprite, std::string& error);
