// The software compositor: frame 0 of a sprite into a 16-bit surface. Each
// routine clips once through a SurfaceWindow, works out where its first
// source, alpha and destination rows start, then hands all of its rows to one
// call of the processor's row kernels. For the alpha routines on a frame with
// a span plan, the scalar set is handed each row's runs (transparent runs
// skipped, opaque ones laid down whole, the kernels only for the rest); a
// vector set's alpha kernel walks the plan itself.
#include "display/DisplayDevice.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"
#include "sprite/kernels/Kernels.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// The rows of the window from first to end, pitch apart: (end - first) /
// pitch rounded up, known without a division whenever the window's rows match
// the destination clipped as the window clips it.
int64_t WindowRows(const SurfaceWindow& window, const RECT& destination, const RECT& bounds) {
    const int64_t span = window.endRow - window.firstRow;
    const int64_t clipped =
        static_cast<int64_t>(std::min(destination.bottom, bounds.bottom)) - std::max(destination.top, bounds.top);
    if (clipped > 0 && clipped * window.pitch == span) {
        return clipped;
    }
    return (span + window.pitch - 1) / window.pitch;
}

// One draw: the rows the window leaves of the frame, and where they start in it.
struct DrawPlan {
    PixelRows rows;
    uint16_t colorKey;
    int firstColumn, firstRow;
    const SpriteFrame* frame;
};

// Places the sprite's frame 0 at (x, y), opens its window on target, clipped
// to the display's bounds, and fills plan with what the window leaves of the
// frame. False when there is nothing to draw: no window, an empty one, or a
// frame whose blocks hold fewer than width x height pixels or alpha values.
// The window is opened even for an empty frame, so a failing lock is always
// logged. The rows' alpha is null for a frame without alpha values or when
// readsAlpha is false.
bool PlanDraw(const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, bool readsAlpha,
              DrawPlan* plan) {
    if (sprite.frames.empty()) {
        return false;
    }
    const SpriteFrame& frame = sprite.frames[0];
    const int64_t width = frame.width;
    const int64_t height = frame.height;

    sprite.ApplyPlacement(x, y);
    // Right and bottom saturate: a frame reaching past 2^31 is clipped all the same.
    const RECT destination = {x, y, ClampToInt32(x + width), ClampToInt32(y + height)};
    SurfaceWindow window;
    if (!g_display.OpenWindow(target, g_display.clipRect, destination, &window)) {
        return false;
    }
    if (window.rowBytes <= 0 || window.firstRow >= window.endRow || window.pitch <= 0) {
        return false;
    }
    if (width <= 0 || height <= 0 || frame.pixelBlock.data == nullptr ||
        frame.pixelBlock.size < static_cast<uint64_t>(width * height * 2)) {
        return false;
    }
    const bool hasAlpha = readsAlpha && frame.alphaBlock.size != 0;
    if (hasAlpha &&
        (frame.alphaBlock.data == nullptr || frame.alphaBlock.size < static_cast<uint64_t>(width * height))) {
        return false;
    }

    // Clipping removes the columns and rows before the bounds' left and top
    // (0 for the screen, but any bounds are honoured); what it removes on the
    // right and at the bottom only shortens the rows and their number.
    // Capping by the frame's own extent keeps every read inside the blocks
    // whatever the bounds are.
    const int64_t firstColumn = std::max<int64_t>(0, static_cast<int64_t>(g_display.clipRect.left) - x);
    const int64_t firstRow = std::max<int64_t>(0, static_cast<int64_t>(g_display.clipRect.top) - y);
    const int64_t columns = std::min<int64_t>((window.rowBytes + 1) / 2, width - firstColumn);
    const int64_t rowCount = std::min<int64_t>(WindowRows(window, destination, g_display.clipRect), height - firstRow);
    if (columns <= 0 || rowCount <= 0) {
        return false;
    }

    const ptrdiff_t start = static_cast<ptrdiff_t>(firstColumn + firstRow * width);
    PixelRows* rows = &plan->rows;
    rows->destination = window.firstRow;
    rows->destinationPitch = window.pitch;
    rows->source = frame.pixelBlock.data.get() + 2 * start;
    rows->sourcePitch = static_cast<ptrdiff_t>(2 * width);
    rows->alpha = hasAlpha ? frame.alphaBlock.data.get() + start : nullptr;
    rows->alphaPitch = hasAlpha ? static_cast<ptrdiff_t>(width) : 0;
    rows->width = static_cast<int>(columns); // at most a frame's width, which is 16-bit
    rows->height = static_cast<int>(rowCount);
    plan->colorKey = frame.colorKey;
    plan->firstColumn = static_cast<int>(firstColumn);
    plan->firstRow = static_cast<int>(firstRow);
    plan->frame = &frame;
    return true;
}

// Walks the frame's span plan over the draw's rows, each span cut to the
// window's columns: skip spans are left alone, whole spans go to whole(run)
// and mixed ones to mixed(run), a run being one row of a span.
template <typename Whole, typename Mixed> void DrawSpans(const DrawPlan& plan, Whole whole, Mixed mixed) {
    const SpanPlan& spans = plan.frame->spans;
    const PixelRows& rows = plan.rows;
    const int first = plan.firstColumn;
    const int end = first + rows.width;
    PixelRows run = rows;
    run.height = 1;
    for (int y = 0; y < rows.height; ++y) {
        const uint32_t* starts = &spans.rowStarts[static_cast<size_t>(plan.firstRow + y)];
        int start = 0;
        for (uint32_t i = starts[0]; i < starts[1] && start < end; ++i) {
            const Span span = spans.spans[i];
            const int from = std::max(start, first);
            const int to = std::min<int>(span.end, end);
            start = span.end;
            if (from >= to || span.kind == SpanKind::Skip) {
                continue;
            }
            PixelRows cut = run;
            cut.destination += 2 * (from - first);
            cut.source += 2 * (from - first);
            cut.alpha += from - first;
            cut.width = to - from;
            if (span.kind == SpanKind::Whole) {
                whole(cut);
            } else {
                mixed(cut);
            }
        }
        run.destination += rows.destinationPitch;
        run.source += rows.sourcePitch;
        run.alpha += rows.alphaPitch;
    }
}

// Whether the draw goes by the frame's span plan: it reads alpha values and
// the plan was made for this frame.
// The empty plan of art without one is told apart inline.
bool BySpans(const DrawPlan& plan) {
    return plan.rows.alpha != nullptr && !plan.frame->spans.rowStarts.empty() &&
           PlanFits(plan.frame->spans, *plan.frame);
}

// The plan of the draw's rows, for a kernel that walks it itself.
SpanRows SpansOf(const DrawPlan& plan) {
    const SpanPlan& spans = plan.frame->spans;
    return {&spans.rowStarts[static_cast<size_t>(plan.firstRow)], spans.spans.data(), plan.firstColumn};
}

} // namespace

void Sprite::ApplyPlacement(int32_t& x, int32_t& y) const {
    if (frames.empty()) {
        return;
    }
    const SpriteFrame& frame = frames[0];
    x = frame.fixedX != -1 ? frame.fixedX : ClampToInt32(static_cast<int64_t>(x) - frame.hotspotX + frame.offsetX);
    y = frame.fixedY != -1 ? frame.fixedY : ClampToInt32(static_cast<int64_t>(y) - frame.hotspotY + frame.offsetY);
}

void Sprite::Draw(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    if (frames.empty()) {
        return;
    }
    if (frames[0].alphaBlock.size != 0) {
        DrawAlpha(target, x, y);
    } else {
        DrawKeyed(target, x, y);
    }
}

void Sprite::DrawKeyed(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    DrawPlan plan;
    if (PlanDraw(*this, target, x, y, false, &plan)) {
        ActiveKernels().keyed(plan.rows, plan.colorKey);
    }
}

void Sprite::DrawAlpha(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    const RowKernels& kernels = ActiveKernels();
    if (plan.rows.alpha == nullptr) {
        // Without alpha values every pixel is opaque: a keyed copy.
        kernels.keyed(plan.rows, plan.colorKey);
    } else if (!BySpans(plan)) {
        kernels.alpha(plan.rows, plan.colorKey);
    } else if (&kernels == &g_scalarKernels) {
        DrawSpans(
            plan, [](const PixelRows& run) { std::memcpy(run.destination, run.source, 2 * size_t(run.width)); },
            [&](const PixelRows& run) { kernels.alpha(run, plan.colorKey); });
    } else {
        // A vector set walks the plan inside one call: a call a span costs
        // more than the span saves.
        kernels.alphaSpans(plan.rows, plan.colorKey, SpansOf(plan));
    }
}

// The one place the weight shortcuts are taken: weight 0 draws nothing and 31
// is a keyed copy, so the translucent kernel only ever sees 1-30.
void Sprite::DrawTranslucent(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, int opacity) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, false, &plan)) {
        return;
    }
    const int weight = AmountToWeight(opacity);
    if (weight == 31) {
        ActiveKernels().keyed(plan.rows, plan.colorKey);
    } else if (weight != 0) {
        ActiveKernels().translucent(plan.rows, plan.colorKey, weight);
    }
}

// Opaque pixels are tinted too, so a whole span is the opaque tinted kernel's.
void Sprite::DrawTinted(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, COLORREF tintColour, int tintAmount) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    const uint16_t tint = ColorToPixel(tintColour);
    const int tintWeight = AmountToWeight(tintAmount);
    const RowKernels& kernels = ActiveKernels();
    if (plan.rows.alpha == nullptr) {
        kernels.tintedOpaque(plan.rows, plan.colorKey, tint, tintWeight);
    } else if (BySpans(plan) && &kernels == &g_scalarKernels) {
        DrawSpans(
            plan, [&](const PixelRows& run) { kernels.tintedOpaque(run, plan.colorKey, tint, tintWeight); },
            [&](const PixelRows& run) { kernels.tinted(run, plan.colorKey, tint, tintWeight); });
    } else {
        kernels.tinted(plan.rows, plan.colorKey, tint, tintWeight);
    }
}
