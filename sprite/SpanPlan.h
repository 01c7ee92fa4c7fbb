// A frame's rows as runs of pixels that the alpha routines treat alike, made
// once when a sprite is read: runs that are skipped (the colour key, alpha
// 0-7), runs laid down whole (alpha 248-255) and the rest, which go through
// the row kernels. Real art is mostly long transparent and opaque runs with a
// thin blended rim; the benchmark's mixed art has no plan. Only the scalar
// set draws by it: see SpriteDraw.cpp.
#pragma once

#include <cstdint>
#include <vector>

struct SpriteFrame;

enum class SpanKind : uint16_t {
    Skip,  // every pixel keeps its destination
    Whole, // every pixel opaque and not the key
    Mixed, // any pixels: the kernel decides each one
};

struct Span {
    uint16_t end; // column after the span's last pixel; a span starts where the one before ends
    SpanKind kind;
};

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
