// Sprites made in memory and turned back into file bytes, for the tests, the
// fuzz targets and the benchmarks.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <vector>

// A block holding a copy of bytes; no bytes, no memory.
DataBlock CopyBlock(const std::vector<uint8_t>& bytes);

// The record of frame appended to out as spritetool writes it: header, then
// the three blocks, each with its size.
void AppendFrame(std::vector<uint8_t>& out, const SpriteFrame& frame);

// The bytes of a SPRITE file holding sprite: the frame count written is the
// number of frames held, so the file always loads back with exactly these frames.
std::vector<uint8_t> SerializeSprite(const Sprite& sprite);
