// Reading and writing PNG images for the tools, on libpng. Pixels are 8 bits
// per channel, row-major, rows packed without gaps.
#pragma once

#include "platform/Rgb565.h" // PackRgb565, UnpackRgb565

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

struct PngImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t channels = 4;       // 3 = RGB, 4 = RGBA
    std::vector<uint8_t> pixels; // width * height * channels bytes
};

// Part of one decoded row, as RGBA: count pixels for the columns firstColumn,
// firstColumn + columnStep, ... of row y. The whole row (0, 1, width) unless
// the PNG is interlaced: then each of its seven passes brings a part of
// every row it holds.
struct PngRowPart {
    uint32_t y;
    uint32_t firstColumn;
    uint32_t columnStep;
    uint32_t count;
    const uint8_t* rgba;
};

// Callbacks of ReadPngRowsFrom; false stops the reading, with error saying why.
using PngSizeReader = std::function<bool(uint32_t width, uint32_t height, std::string& error)>;
using PngRowReader = std::function<bool(const PngRowPart& part, std::string& error)>;

// Reads any PNG (palette, grey, 1 to 16 bits, with or without transparency)
// as RGBA, holding no more than one row: onSize once the size is known and
// allowed, then onRow for each part of a row as it is decoded. Palettes and
// grey are expanded to RGB, 16-bit channels cut to their high 8 bits, alpha
// 255 where the file has none; sample values are taken as stored (no gamma
// conversion). An image wider or higher than maxSide pixels is refused before
// its pixels are read. The file stays open.
bool ReadPngRowsFrom(FILE* file, const PngSizeReader& onSize, const PngRowReader& onRow, std::string& error,
                     uint32_t maxSide = 0x7FFFFFFF);

// The same from the file at path. Only a regular file is read (a FIFO, a
// device or a directory is refused without waiting on it).
bool ReadPngRows(const char* path, const PngSizeReader& onSize, const PngRowReader& onRow, std::string& error,
                 uint32_t maxSide = 0x7FFFFFFF);

// Writes an 8-bit RGB (channels 3) or RGBA (channels 4) PNG. The file appears
// under its name only once it is complete (see OutputFile.h).
bool WritePng(const char* path, const PngImage& image, std::string& error);

// An RGB image of width x height RGB565 words, packed row after row.
PngImage Rgb565Image(const uint16_t* pixels, uint32_t width, uint32_t height);
