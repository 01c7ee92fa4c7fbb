// Packing PNGs into a SPRITE file a row at a time, so memory stays near one
// row whatever the pictures' size.
#pragma once

#include "tools/common/OutputFile.h"
#include "tools/spritetool/FrameImage.h"

#include <cstdint>
#include <string>

// Writes the file header of a SPRITE file of frameCount frames at the start
// of out; end becomes where the first frame record goes.
bool StartSpriteFile(OutputFile& out, uint32_t frameCount, uint64_t& end, std::string& error);

// Appends at end one frame record made from the PNG at path, and moves end
// behind it. Rows go to their places in the pixel and alpha blocks as they
// are decoded. Pixels with alpha 0 are stored as the colour key; the alpha
// block is kept only when some pixel is partly transparent (0 and 255 alone
// are expressed by the key). movedPixels counts the visible pixels moved off
// the key. On failure out.writeFailed tells whether the output or the PNG
// was at fault.
bool PackPngFrame(const char* path, OutputFile& out, uint64_t& end, const PackOptions& options, uint32_t& movedPixels,
                  std::string& error);
