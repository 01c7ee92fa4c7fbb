// The software compositor: frame 0 of a sprite into a 16-bit surface. Each
// routine clips once through a SurfaceWindow, works out where its first
// source, alpha and destination rows start, then hands all of its rows to one
// call of the processor's row kernels.
#include "display/DisplayDevice.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"
#include "sprite/kernels/Kernels.h"

#include <algorithm>
#include <cstddef>

namespace {

// One draw's rows, and the frame's span plan of them when it has one.
struct DrawRows {
    PixelRows rows;
    SpanRows spans;
};

// The frame's plan of the draw's rows, from row firstRow and column
// firstColumn on, each part that fits the frame: its shares, its runs,
// and its chunks for rows of the frame's whole width (which start at its
// left edge).
__attribute__((always_inline)) inline void PlanRows(const SpriteFrame& frame, int64_t firstColumn, int64_t firstRow,
                                                    DrawRows* draw) {
    const SpanPlan& plan = frame.spans;
    const int64_t width = frame.width;
    PixelRows& rows = draw->rows;
    const bool shared = SharesFit(plan, frame.width, frame.height);
    if (shared) {
        rows.shares =
            reinterpret_cast<const uint8_t*>(plan.shares.data()) + 2 * (firstColumn + kSharePlanes * firstRow * width);
        rows.sharesPitch = static_cast<ptrdiff_t>(2 * kSharePlanes * width);
    }
    if (PlanFits(plan, frame.height)) {
        const bool chunked = shared && rows.width == width && ChunksFit(plan, frame.width, frame.height);
        draw->spans = {&plan.rowStarts[static_cast<size_t>(firstRow)],
                       plan.spans.data(),
                       static_cast<int>(firstColumn),
                       plan.pixelsPerSpan,
                       chunked ? &plan.chunkStarts[static_cast<size_t>(firstRow)] : nullptr,
                       plan.chunks.data()};
        rows.spans = &draw->spans;
    }
}

// Places the sprite's frame 0 at (x, y), opens its window on target, clipped
// to the display's bounds, and fills draw with what the window leaves of the
// frame: the window's rows, from its first row to its end, the frame's rows
// from the first the window shows, and the frame's plan of those rows when it
// has alpha values, readsAlpha is true and the plan was made for the frame.
// The rows' alpha is null for a frame without alpha values or when readsAlpha
// is false. False when there is nothing to draw: no window, an empty one, or
// a frame whose blocks hold fewer than width x height pixels or alpha values.
// The window is opened even for an empty frame, so a failing lock is always
// logged. Inline in each routine: for a small draw a call and the registers
// it saves cost more than the placing and clipping.
__attribute__((always_inline)) inline bool OpenDraw(const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x,
                                                    int32_t y, bool readsAlpha, DrawRows* draw) {
    if (sprite.frames.empty()) {
        return false;
    }
    const SpriteFrame& frame = sprite.frames[0];
    sprite.ApplyPlacement(x, y);
    // Right and bottom saturate: a frame reaching past 2^31 is clipped all the same.
    const RECT destination = {x, y, AddSaturated(x, frame.width), AddSaturated(y, frame.height)};
    SurfaceWindow window;
    if (!g_display.OpenWindow(target, g_display.clipRect, destination, &window) || window.rowBytes <= 0 ||
        window.firstRow >= window.endRow || window.pitch <= 0) {
        return false;
    }
    // A window with rows and columns comes only from a frame with both.
    const int64_t width = frame.width;
    const int64_t pixels = width * frame.height;
    const bool hasAlpha = readsAlpha && frame.alphaBlock.size != 0;
    if (frame.pixelBlock.data == nullptr || frame.pixelBlock.size < static_cast<uint64_t>(2 * pixels) ||
        (hasAlpha && (frame.alphaBlock.data == nullptr || frame.alphaBlock.size < static_cast<uint64_t>(pixels)))) {
        return false;
    }

    // Clipping removes the columns and rows before the bounds' left and top
    // (0 for the screen, but any bounds are honoured); what it removes on the
    // right and at the bottom only shortens the rows and their number, so the
    // window never has more rows than the frame below its first.
    const int64_t firstColumn = std::max<int64_t>(0, int64_t{g_display.clipRect.left} - x);
    const int64_t firstRow = std::max<int64_t>(0, int64_t{g_display.clipRect.top} - y);
    const ptrdiff_t start = static_cast<ptrdiff_t>(firstColumn + firstRow * width);
    PixelRows& rows = draw->rows;
    rows.destination = window.firstRow;
    rows.destinationEnd = window.endRow;
    rows.destinationPitch = window.pitch;
    rows.source = frame.pixelBlock.data.get() + 2 * start;
    rows.sourcePitch = static_cast<ptrdiff_t>(2 * width);
    rows.alpha = hasAlpha ? frame.alphaBlock.data.get() + start : nullptr;
    rows.alphaPitch = hasAlpha ? static_cast<ptrdiff_t>(width) : 0;
    // A surface of other than 2 bytes a pixel may give more columns than the frame has.
    rows.width = static_cast<int>(std::min<int64_t>((int64_t{window.rowBytes} + 1) / 2, width - firstColumn));
    rows.colorKey = frame.colorKey;
    rows.tint = 0;
    rows.weight = 0;
    rows.spans = nullptr;
    rows.shares = nullptr;
    rows.sharesPitch = 0;
    if (hasAlpha) {
        PlanRows(frame, firstColumn, firstRow, draw);
    }
    return true;
}

} // namespace

void Sprite::ApplyPlacement(int32_t& x, int32_t& y) const {
    if (frames.empty()) {
        return;
    }
    const SpriteFrame& frame = frames[0];
    // The offset less the hotspot fits 17 bits, so one saturating add places.
    x = frame.fixedX != -1 ? frame.fixedX : AddSaturated(x, frame.offsetX - frame.hotspotX);
    y = frame.fixedY != -1 ? frame.fixedY : AddSaturated(y, frame.offsetY - frame.hotspotY);
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
    DrawRows draw;
    if (OpenDraw(*this, target, x, y, false, &draw)) {
        ActiveKernels().keyed(draw.rows);
    }
}

// Without alpha values every pixel is opaque: a keyed copy.
void Sprite::DrawAlpha(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    DrawRows draw;
    if (OpenDraw(*this, target, x, y, true, &draw)) {
        const RowKernels& kernels = ActiveKernels();
        (draw.rows.alpha != nullptr ? kernels.alpha : kernels.keyed)(draw.rows);
    }
}

// The one place the weight shortcuts are taken: weight 0 draws nothing and 31
// is a keyed copy, so the translucent kernel only ever sees 1-30.
void Sprite::DrawTranslucent(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, int opacity) const {
    DrawRows draw;
    if (!OpenDraw(*this, target, x, y, false, &draw)) {
        return;
    }
    draw.rows.weight = AmountToWeight(opacity);
    if (draw.rows.weight == 31) {
        ActiveKernels().keyed(draw.rows);
    } else if (draw.rows.weight != 0) {
        ActiveKernels().translucent(draw.rows);
    }
}

void Sprite::DrawTinted(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, COLORREF tintColour, int tintAmount) const {
    DrawRows draw;
    if (OpenDraw(*this, target, x, y, true, &draw)) {
        draw.rows.tint = ColorToPixel(tintColour);
        draw.rows.weight = AmountToWeight(tintAmount);
        const RowKernels& kernels = ActiveKernels();
        (draw.rows.alpha != nullptr ? kernels.tinted : kernels.tintedOpaque)(draw.rows);
    }
}
