// Reading SPRITE files for the tool: the demo's own loader decides whether a
// file is loadable, and a light scan of our own says why when it is not.
#pragma once

#include "sprite/Sprite.h"

#include <cstdint>
#include <cstdio>
#include <string>

struct SpriteScan {
    bool readable = false; // the scan walked the whole file without a problem
    std::string problem;   // why not, when not readable
    uint64_t fileSize = 0;
    uint64_t endOfFrames = 0; // where the last frame record ends
};

// Walks the file front to back as the loader does, without keeping any data.
SpriteScan ScanSpriteFile(const char* path);

// SpriteSet::Load with its standard-output message held back (the tool gives
// its own reason). On success sprite receives the loaded sprite; otherwise
// error says why.
bool LoadSpriteFile(const char* path, Sprite& sprite, std::string& error);

// The header and every frame of a loaded sprite, with warnings for blocks
// whose size does not fit the frame size.
void PrintSpriteInfo(FILE* out, const char* path, const Sprite& sprite, const SpriteScan& scan);
