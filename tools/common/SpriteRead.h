// SPRITE files for the tools: the demo's own reader, its refusal as one line.
#pragma once

#include "sprite/Sprite.h"

#include <string>

// ReadSpriteFile; on failure error says why, as "cannot open: No such file
// or directory", "a FIFO, not a regular file" or "byte 50: file ends
// inside a frame header".
bool ReadSpriteForTool(const char* path, Sprite& sprite, SpriteReadStatus& status, std::string& error);
