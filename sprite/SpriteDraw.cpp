// The software compositor: frame 0 of a sprite into a 16-bit surface. Each
// routine clips once through a SurfaceWindow, works out where its first
// source, alpha and destination rows start, then hands whole rows to the row
// kernels of the processor.
#include "display/DisplayDevice.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"
#include "sprite/kernels/Kernels.h"

#include <algorithm>
#include <cstddef>

namespace {

// Where one draw's rows start and how many pixels it covers.
struct DrawPlan {
    uint8_t* destinationRow;
    ptrdiff_t pitch;
    const uint8_t* sourceRow; // little-endian RGB565 words
    const uint8_t* alphaRow;  // null: every pixel fully opaque
    ptrdiff_t frameWidth;     // source rows are 2 x this bytes apart, alpha rows this many
    int64_t rows;
    int columns; // at most a frame's width, which is 16-bit
    uint16_t colorKey;
};

// Places the sprite's frame 0 at (x, y) and opens its window on target,
// clipped to the display's bounds. False when there is nothing to draw: no
// window, an empty one, or a frame whose blocks hold fewer than width x height
// pixels or alpha values. The window is opened even for an empty frame, so a
// failing lock is always logged.
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

    // Clipping removes the columns and rows at negative coordinates (the
    // bounds start at 0); what it removes on the right and at the bottom only
    // shortens the rows and their number. Capping by the frame's own extent
    // keeps every read inside the blocks whatever the bounds are.
    const int64_t firstColumn = std::max<int64_t>(0, -static_cast<int64_t>(x));
    const int64_t firstRow = std::max<int64_t>(0, -static_cast<int64_t>(y));
    const int64_t windowRows = (window.endRow - window.firstRow + window.pitch - 1) / window.pitch;
    plan->columns = static_cast<int>(std::min<int64_t>((window.rowBytes + 1) / 2, width - firstColumn));
    plan->rows = std::min<int64_t>(windowRows, height - firstRow);
    if (plan->columns <= 0 || plan->rows <= 0) {
        return false;
    }

    const ptrdiff_t start = static_cast<ptrdiff_t>(firstColumn + firstRow * width);
    plan->destinationRow = window.firstRow;
    plan->pitch = window.pitch;
    plan->sourceRow = frame.pixelBlock.data.get() + 2 * start;
    plan->alphaRow = hasAlpha ? frame.alphaBlock.data.get() + start : nullptr;
    plan->frameWidth = static_cast<ptrdiff_t>(width);
    plan->colorKey = frame.colorKey;
    return true;
}

// Hands each row to row(destination, source, alpha); alpha is null for a
// frame without alpha values.
template <typename Row> void ForEachRow(const DrawPlan& plan, Row row) {
    uint8_t* destination = plan.destinationRow;
    const uint8_t* source = plan.sourceRow;
    const uint8_t* alpha = plan.alphaRow;
    for (int64_t i = 0; i < plan.rows; ++i) {
        row(destination, source, alpha);
        destination += plan.pitch;
        source += 2 * plan.frameWidth;
        if (alpha != nullptr) {
            alpha += plan.frameWidth;
        }
    }
}

void KeyedRows(const DrawPlan& plan) {
    const RowKernels& kernels = ActiveKernels();
    ForEachRow(plan, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
        kernels.keyed(destination, source, plan.columns, plan.colorKey);
    });
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
        KeyedRows(plan);
    }
}

void Sprite::DrawAlpha(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    // Without alpha values every pixel is opaque: a keyed copy.
    if (plan.alphaRow == nullptr) {
        KeyedRows(plan);
        return;
    }
    const RowKernels& kernels = ActiveKernels();
    ForEachRow(plan, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
        kernels.alpha(destination, source, alpha, plan.columns, plan.colorKey);
    });
}

// The one place the weight shortcuts are taken: weight 0 draws nothing and 31
// is a keyed copy, so the translucent kernel only ever sees 1-30.
void Sprite::DrawTranslucent(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, int opacity) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, false, &plan)) {
        return;
    }
    const int weight = AmountToWeight(opacity);
    if (weight == 0) {
        return;
    }
    if (weight == 31) {
        KeyedRows(plan);
        return;
    }
    const RowKernels& kernels = ActiveKernels();
    ForEachRow(plan, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
        kernels.translucent(destination, source, plan.columns, plan.colorKey, weight);
    });
}

void Sprite::DrawTinted(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, COLORREF tintColour, int tintAmount) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    const uint16_t tint = ColorToPixel(tintColour);
    const int tintWeight = AmountToWeight(tintAmount);
    const RowKernels& kernels = ActiveKernels();
    if (plan.alphaRow == nullptr) {
        ForEachRow(plan, [&](uint8_t* destination, const uint8_t* source, const uint8_t*) {
            kernels.tintedOpaque(destination, source, plan.columns, plan.colorKey, tint, tintWeight);
        });
        return;
    }
    ForEachRow(plan, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
        kernels.tinted(destination, source, alpha, plan.columns, plan.colorKey, tint, tintWeight);
    });
}
