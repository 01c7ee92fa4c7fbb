// What `spritetool info` shows of a SPRITE file.
#pragma once

#include "sprite/Sprite.h"
#include "tools/spritetool/PackStream.h"

#include <cstdio>
#include <string>

// The header and every frame of a sprite read from path (status is what the
// reader found), with warnings for blocks whose size does not fit the frame
// size.
void PrintSpriteInfo(FILE* out, const char* path, const Sprite& sprite, const SpriteReadStatus& status);

// What `spritetool pack` says once it has written a file, built up one frame
// at a time: "wrote girl.spr: 1 frame, 96×96, with alpha".
struct PackSummary {
    int frames = 0;
    int framesWithAlpha = 0;
    uint32_t width = 0; // of the first frame
    uint32_t height = 0;
    bool sameSize = true;
};

void CountFrame(PackSummary& summary, const PackedFrame& frame);
std::string DescribePack(const PackSummary& summary, const std::string& output);
