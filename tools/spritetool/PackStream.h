// Packing pictures into a SPRITE file a row at a time, so memory stays near
// one row whatever the pictures' size. The same code packs for spritetool
// (into a file) and for the page (into memory).
#pragma once

#include "tools/common/PngIo.h"
#include "tools/spritetool/FrameImage.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Where a packed SPRITE file goes: bytes written at any offset, in any order,
// and read back (zeros where nothing was written yet). False, with error
// saying why, when the output fails.
struct PackSink {
    std::function<bool(uint64_t offset, const void* data, size_t size, std::string& error)> write;
    std::function<bool(uint64_t offset, void* data, size_t size, std::string& error)> read;
    uint64_t end = 0; // where the next frame record goes
};

// A picture's pixels as ReadPngRows hands them over: onSize once, then onRow
// for every part of a row, in any order.
using PackRows = std::function<bool(const PngSizeReader& onSize, const PngRowReader& onRow, std::string& error)>;

// What one frame became.
struct PackedFrame {
    uint32_t width = 0;
    uint32_t height = 0;
    bool hasAlpha = false;
    uint32_t movedPixels = 0; // visible pixels moved off the colour key
};

// A whole SPRITE file into sink: the file header, then a frame record made
// from each of pictures in turn, its rows going to their places in the pixel
// and alpha blocks as they come. Pixels with alpha 0 are stored as the colour
// key; a frame's alpha block is kept only when some pixel is partly
// transparent (0 and 255 alone are expressed by the key). onFrame, if given,
// hears of each frame as soon as it is packed, so on a failure the frame
// after the last one it heard of is the one that failed.
bool PackSpriteFile(PackSink& sink, const std::vector<PackRows>& pictures, const PackOptions& options,
                    const std::function<void(const PackedFrame&)>& onFrame, std::string& error);
