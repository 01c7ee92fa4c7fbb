#include "sprite/SpanPlan.h"

#include "sprite/Blend.h"
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

void ShareAlphaRow(const uint8_t* source, const uint8_t* alpha, int count, uint16_t colorKey, uint16_t* shares,
                   ptrdiff_t plane) {
    for (int i = 0; i < count; ++i) {
        const uint16_t pixel = LoadPixel(source + 2 * i);
        const int weight = alpha[i] >> 3;
        const int red = pixel >> 11, green = (pixel >> 6) & 31, blue = pixel & 31;
        uint16_t* share = shares + i;
        if (weight == 0 || pixel == colorKey) {
            share[0] = share[plane] = share[2 * plane] = 0;
            share[3 * plane] = kKeepsDestination;
        } else if (weight == 31) {
            // The sums that pack back to the pixel, and nothing of the destination.
            share[0] = static_cast<uint16_t>(red << 3);
            share[plane] = static_cast<uint16_t>((pixel >> 3) & 0xFC);
            share[2 * plane] = static_cast<uint16_t>(blue << 3);
            share[3 * plane] = 1;
        } else {
            share[0] = static_cast<uint16_t>(BlendEntry(red, weight));
            share[plane] = static_cast<uint16_t>(BlendEntry(green, weight));
            share[2 * plane] = static_cast<uint16_t>(BlendEntry(blue, weight));
            share[3 * plane] = static_cast<uint16_t>(1028 * (31 - weight) + 1);
        }
    }
}

namespace {

// The runs of one row of width pixels under colorKey, appended to plan.
void AddRowRuns(SpanPlan& plan, const uint8_t* pixels, const uint8_t* alpha, int width, uint16_t colorKey) {
    const size_t rowStart = plan.spans.size();
    plan.rowStarts.push_back(static_cast<uint32_t>(rowStart));
    int start = 0;
    SpanKind kind = SpanKind::Skip;
    for (int column = 0; column < width; ++column) {
        const SpanKind next = KindOf(LoadPixel(pixels + 2 * column), alpha[column], colorKey);
        if (column > 0 && next != kind) {
            AddRun(plan.spans, rowStart, start, column, kind);
            start = column;
        }
        kind = next;
    }
    AddRun(plan.spans, rowStart, start, width, kind);
}

// The chunks of one row of width pixels, a whole number of them, appended
// to plan; blended and copied are scratch.
void AddRowChunks(SpanPlan& plan, const uint8_t* pixels, const uint8_t* alpha, int width, uint16_t colorKey,
                  std::vector<uint16_t>& blended, std::vector<uint16_t>& copied) {
    blended.clear();
    copied.clear();
    for (int chunk = 0; chunk < width / kChunk; ++chunk) {
        bool skip = true, whole = true;
        for (int column = chunk * kChunk; column < (chunk + 1) * kChunk; ++column) {
            const SpanKind kind = KindOf(LoadPixel(pixels + 2 * column), alpha[column], colorKey);
            skip = skip && kind == SpanKind::Skip;
            whole = whole && kind == SpanKind::Whole;
        }
        if (!skip) {
            (whole ? copied : blended).push_back(static_cast<uint16_t>(chunk));
        }
    }
    if (blended.size() == static_cast<size_t>(width / kChunk)) {
        plan.chunks.push_back(kWholeRow);
    } else {
        if (blended.size() % 2 != 0) {
            blended.push_back(blended.back());
        }
        plan.chunks.push_back(static_cast<uint16_t>(blended.size() / 2));
        plan.chunks.insert(plan.chunks.end(), blended.begin(), blended.end());
        plan.chunks.push_back(static_cast<uint16_t>(copied.size()));
        plan.chunks.insert(plan.chunks.end(), copied.begin(), copied.end());
    }
    plan.chunkStarts.push_back(static_cast<uint32_t>(plan.chunks.size()));
}

// The chunks of every row of a frame of width x height with runs.
void AddChunks(SpanPlan& plan, const uint8_t* pixels, const uint8_t* alpha, int64_t width, int64_t height,
               uint16_t colorKey) {
    if (width % kChunk != 0 || width / kChunk >= kWholeRow) {
        return;
    }
    std::vector<uint16_t> blended, copied;
    plan.chunkStarts.push_back(0);
    for (int64_t row = 0; row < height; ++row) {
        AddRowChunks(plan, pixels + 2 * row * width, alpha + row * width, static_cast<int>(width), colorKey, blended,
                     copied);
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
    plan.shares.resize(static_cast<size_t>(kSharePlanes * width * height));
    plan.rowStarts.reserve(static_cast<size_t>(height) + 1);
    for (int64_t row = 0; row < height; ++row) {
        ShareAlphaRow(pixels + 2 * row * width, alpha + row * width, static_cast<int>(width), frame.colorKey,
                      &plan.shares[static_cast<size_t>(kSharePlanes * row * width)], static_cast<ptrdiff_t>(width));
        AddRowRuns(plan, pixels + 2 * row * width, alpha + row * width, static_cast<int>(width), frame.colorKey);
    }
    plan.rowStarts.push_back(static_cast<uint32_t>(plan.spans.size()));
    plan.pixelsPerSpan = static_cast<int>(width * height / static_cast<int64_t>(plan.spans.size()));
    // Art with nothing to skip or lay down whole gains nothing from runs.
    for (const Span& span : plan.spans) {
        if (span.kind != SpanKind::Mixed) {
            AddChunks(plan, pixels, alpha, width, height, frame.colorKey);
            return plan;
        }
    }
    plan.rowStarts.clear();
    plan.spans.clear();
    plan.pixelsPerSpan = 0;
    return plan;
}
