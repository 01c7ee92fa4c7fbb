// A frame's rows as runs of pixels that the alpha routines treat alike, made
// once when a sprite is read: runs that are skipped (the colour key, alpha
// 0-7), runs laid down whole (alpha 248-255) and the rest, which go through
// the row kernels. Real art is mostly long transparent and opaque runs with a
// thin blended rim. The scalar set's
// draws walk it span by span (SpriteDraw.cpp); alpha draws on a vector set
// walk it inside one kernel call (VectorRows.h).
#pragma once

#include "sprite/kernels/Kernels.h" // Span

#include <cstdint>
#include <vector>

struct SpriteFrame;

struct SpanPlan {
    // Row r's spans are spans[rowStarts[r]] up to spans[rowStarts[r + 1]];
    // empty for a frame without a plan.
    std::vector<uint32_t> rowStarts;
    std::vector<Span> spans;
};

// Skip and whole runs shorter than this are left to the kernel, within a
// mixed span: a call costs more than it would save them.
constexpr int kShortestSpan = 8;

// The plan of a frame with width x height alpha values and pixels; an empty
// plan for any other frame, and for one whose every span would be mixed.
SpanPlan MakeSpanPlan(const SpriteFrame& frame);

// Whether plan describes frame's rows (made for a frame of its height).
bool PlanFits(const SpanPlan& plan, const SpriteFrame& frame);
