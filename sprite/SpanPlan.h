// A frame's rows as runs of pixels that the alpha routines treat alike, made
// once when a sprite is read: runs that are skipped (the colour key, alpha
// 0-7), runs laid down whole (alpha 248-255) and the rest, which go through
// the row kernels. Real art is mostly long transparent and opaque runs with a
// thin blended rim. The scalar set's alpha and tinted kernels walk it span
// by span, the vector sets' alpha kernels block by block (VectorRows.h).
// Beside the runs, each pixel's share of its alpha blend, and the rows as
// chunks of 8 pixels, which the vector sets' alpha kernels draw from.
#pragma once

#include "sprite/kernels/Kernels.h" // Span, kChunk, kSharePlanes

#include <cstddef>
#include <cstdint>
#include <vector>

struct SpriteFrame;

struct SpanPlan {
    // Row r's spans are spans[rowStarts[r]] up to spans[rowStarts[r + 1]];
    // empty for a frame without runs worth walking.
    std::vector<uint32_t> rowStarts;
    std::vector<Span> spans;
    int pixelsPerSpan = 0; // the frame's pixels over its spans, rounded down
    // Each pixel's share of its alpha blend, row by row (PixelRows::shares):
    // kSharePlanes x width words a row, or empty. With them a vector set's
    // blend costs only the destination's half.
    std::vector<uint16_t> shares;
    // Each row as chunks (SpanRows::chunks) for a frame with runs whose width
    // is whole chunks, or empty: with them a sprite of an opaque body and a
    // thin soft rim blends little more than its rim.
    std::vector<uint32_t> chunkStarts;
    std::vector<uint16_t> chunks;
};

// Skip and whole runs shorter than this are left to the kernel, within a
// mixed span: a call costs more than it would save them.
constexpr int kShortestSpan = 8;

// The plan of a frame with width x height alpha values and pixels: its
// shares, and unless every span would be mixed its runs, and its chunks when
// its width is whole chunks; an empty plan for any other frame.
SpanPlan MakeSpanPlan(const SpriteFrame& frame);

// The shares of count pixels of one row (source words and alpha bytes) under
// colorKey, into the kSharePlanes planes of words from shares, plane words
// apart (PixelRows::shares).
void ShareAlphaRow(const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey, uint16_t* shares,
                   ptrdiff_t plane);

// Whether plan's runs, chunks and shares describe the rows of a frame of
// width x height (were made for a frame of that size): a draw by a plan of
// fewer rows would read past them. Inline: every alpha draw asks.
inline bool PlanFits(const SpanPlan& plan, int height) {
    return height > 0 && plan.rowStarts.size() == static_cast<size_t>(height) + 1;
}
inline bool ChunksFit(const SpanPlan& plan, int width, int height) {
    return width > 0 && height > 0 && width % kChunk == 0 && plan.chunkStarts.size() == static_cast<size_t>(height) + 1;
}
inline bool SharesFit(const SpanPlan& plan, int width, int height) {
    return width > 0 && height > 0 && plan.shares.size() == size_t{kSharePlanes} * static_cast<size_t>(width) * height;
}
