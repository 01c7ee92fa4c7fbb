// A frame's rows as runs of pixels that the alpha routines treat alike, made
// once when a sprite is read: runs that are skipped (the colour key, alpha
// 0-7), runs laid down whole (alpha 248-255) and the rest, which go through
// the row kernels. Real art is mostly long transparent and opaque runs with a
// thin blended rim. The scalar set's alpha and tinted kernels walk it span
// by span, the vector sets' alpha kernels block by block (VectorRows.h).
#pragma once

#include "sprite/kernels/Kernels.h" // Span

#include <cstddef>
#include <cstdint>
#include <vector>

struct SpriteFrame;

struct SpanPlan {
    // Row r's spans are spans[rowStarts[r]] up to spans[rowStarts[r + 1]];
    // empty for a frame without a plan.
    std::vector<uint32_t> rowStarts;
    std::vector<Span> spans;
    int pixelsPerSpan = 0; // the frame's pixels over its spans, rounded down
};

// Skip and whole runs shorter than this are left to the kernel, within a
// mixed span: a call costs more than it would save them.
constexpr int kShortestSpan = 8;

// The plan of a frame with width x height alpha values and pixels; an empty
// plan for any other frame, and for one whose every span would be mixed.
SpanPlan MakeSpanPlan(const SpriteFrame& frame);

// Whether plan describes the rows of a frame of height rows (made for a
// frame of that height): a draw by a plan of fewer rows would read past them.
// Inline: every alpha draw asks.
inline bool PlanFits(const SpanPlan& plan, int height) {
    return height > 0 && plan.rowStarts.size() == static_cast<size_t>(height) + 1;
}
