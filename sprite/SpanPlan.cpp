#include "sprite/SpanPlan.h"

#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"

namespace {

SpanKind KindOf(uint16_t pixel, uint8_t alpha, uint16_t colorKey) {
    if (alpha < 8 || pixel == colorKey) {
        return SpanKind::Skip;
    }
    return alpha >= 248 ? SpanKind::Whole : SpanKind::Mixed;
}

// Appends a run ending at end to the row's spans, which begin at rowStart:
// a short skip or whole run becomes mixed, and joins a mixed span before it.
void AddRun(std::vector<Span>& spans, size_t rowStart, int start, int end, SpanKind kind) {
    if (end - start < kShortestSpan) {
        kind = SpanKind::Mixed;
    }
    if (spans.size() > rowStart && spans.back().kind == kind) {
        spans.back().end = static_cast<uint16_t>(end);
    } else {
        spans.push_back({static_cast<uint16_t>(end), kind});
    }
}

} // namespace

SpanPlan MakeSpanPlan(const SpriteFrame& frame) {
    SpanPlan plan;
    const int64_t width = frame.width;
    const int64_t height = frame.height;
    if (width <= 0 || height <= 0 || frame.alphaBlock.data == nullptr || frame.pixelBlock.data == nullptr ||
        frame.alphaBlock.size < static_cast<uint64_t>(width * height) ||
        frame.pixelBlock.size < static_cast<uint64_t>(width * height * 2)) {
        return plan;
    }
    const uint8_t* pixels = frame.pixelBlock.data.get();
    const uint8_t* alpha = frame.alphaBlock.data.get();
    plan.rowStarts.reserve(static_cast<size_t>(height) + 1);
    for (int64_t row = 0; row < height; ++row) {
        const size_t rowStart = plan.spans.size();
        plan.rowStarts.push_back(static_cast<uint32_t>(rowStart));
        int start = 0;
        SpanKind kind = SpanKind::Skip;
        for (int column = 0; column < width; ++column) {
            const int64_t at = row * width + column;
            const SpanKind next = KindOf(LoadPixel(pixels + 2 * at), alpha[at], frame.colorKey);
            if (column > 0 && next != kind) {
                AddRun(plan.spans, rowStart, start, column, kind);
                start = column;
            }
            kind = next;
        }
        AddRun(plan.spans, rowStart, start, static_cast<int>(width), kind);
    }
    plan.rowStarts.push_back(static_cast<uint32_t>(plan.spans.size()));
    plan.pixelsPerSpan = static_cast<int>(width * height / static_cast<int64_t>(plan.spans.size()));
    // Art with nothing to skip or lay down whole gains nothing from a plan.
    for (const Span& span : plan.spans) {
        if (span.kind != SpanKind::Mixed) {
            return plan;
        }
    }
    return SpanPlan();
}
