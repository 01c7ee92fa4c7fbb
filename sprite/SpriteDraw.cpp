// The software compositor: frame 0 of a sprite into a 16-bit surface. Each
// routine clips once through a SurfaceWindow, works out where its first
// source, alpha and destination rows start, then walks whole rows.
#include "display/DisplayDevice.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"

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
    int64_t columns;
    uint16_t colorKey;
};

// Clips the sprite's frame 0 at (x, y) to the display's bounds on target.
// False when there is nothing to draw, including a frame whose blocks hold
// fewer than width x height pixels or alpha values.
bool PlanDraw(const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, bool readsAlpha,
              DrawPlan* plan) {
    if (sprite.frames.empty()) {
        return false;
    }
    const SpriteFrame& frame = sprite.frames[0];
    const int64_t width = frame.width;
    const int64_t height = frame.height;
    if (width <= 0 || height <= 0 || frame.pixelBlock.data == nullptr) {
        return false;
    }
    if (frame.pixelBlock.size < static_cast<uint64_t>(width * height * 2)) {
        return false;
    }
    const bool hasAlpha = readsAlpha && frame.alphaBlock.size != 0;
    if (hasAlpha &&
        (frame.alphaBlock.data == nullptr || frame.alphaBlock.size < static_cast<uint64_t>(width * height))) {
        return false;
    }

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

    // Clipping removes the columns and rows at negative coordinates (the
    // bounds start at 0); what it removes on the right and at the bottom only
    // shortens the rows and their number. Capping by the frame's own extent
    // keeps every read inside the blocks whatever the bounds are.
    const int64_t firstColumn = std::max<int64_t>(0, -static_cast<int64_t>(x));
    const int64_t firstRow = std::max<int64_t>(0, -static_cast<int64_t>(y));
    const int64_t windowRows = (window.endRow - window.firstRow + window.pitch - 1) / window.pitch;
    plan->columns = std::min<int64_t>((window.rowBytes + 1) / 2, width - firstColumn);
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

// rule(d, s, alpha) gives each destination pixel's new value.
template <typename Rule> void DrawRows(const DrawPlan& plan, Rule rule) {
    for (int64_t row = 0; row < plan.rows; ++row) {
        uint8_t* destination = plan.destinationRow + row * plan.pitch;
        const uint8_t* source = plan.sourceRow + row * 2 * plan.frameWidth;
        const uint8_t* alpha = plan.alphaRow != nullptr ? plan.alphaRow + row * plan.frameWidth : nullptr;
        for (int64_t column = 0; column < plan.columns; ++column) {
            uint8_t* pixel = destination + 2 * column;
            const uint8_t alphaValue = alpha != nullptr ? alpha[column] : 255;
            StorePixel(pixel, rule(LoadPixel(pixel), LoadPixel(source + 2 * column), alphaValue));
        }
    }
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
    if (!PlanDraw(*this, target, x, y, false, &plan)) {
        return;
    }
    const uint16_t colorKey = plan.colorKey;
    DrawRows(plan, [colorKey](uint16_t d, uint16_t s, uint8_t) { return KeyedRule(d, s, colorKey); });
}

void Sprite::DrawAlpha(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    const uint16_t colorKey = plan.colorKey;
    DrawRows(plan, [colorKey](uint16_t d, uint16_t s, uint8_t alpha) { return AlphaRule(d, s, alpha, colorKey); });
}

void Sprite::DrawTranslucent(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, int opacity) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, false, &plan)) {
        return;
    }
    const uint16_t colorKey = plan.colorKey;
    const int weight = AmountToWeight(opacity);
    DrawRows(plan,
             [colorKey, weight](uint16_t d, uint16_t s, uint8_t) { return TranslucentRule(d, s, weight, colorKey); });
}

void Sprite::DrawTinted(LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, COLORREF tintColour, int tintAmount) const {
    DrawPlan plan;
    if (!PlanDraw(*this, target, x, y, true, &plan)) {
        return;
    }
    const uint16_t colorKey = plan.colorKey;
    const uint16_t tint = ColorToPixel(tintColour);
    const int tintWeight = AmountToWeight(tintAmount);
    DrawRows(plan, [colorKey, tint, tintWeight](uint16_t d, uint16_t s, uint8_t alpha) {
        return TintedRule(d, s, alpha, colorKey, tint, tintWeight);
    });
}
