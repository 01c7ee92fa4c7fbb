// What `spritetool info` shows of a SPRITE file.
#pragma once

#include "sprite/Sprite.h"

#include <cstdio>

// The header and every frame of a sprite read from path (status is what the
// reader found), with warnings for blocks whose size does not fit the frame
// size.
void PrintSpriteInfo(FILE* out, const char* path, const Sprite& sprite, const SpriteReadStatus& status);
