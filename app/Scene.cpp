#include "app/Scene.h"

#include "app/WinMain.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/Sprite.h"

const char* g_girlFileName = "girl.spr";
const char* g_backgroundFileName = "bg.spr";

namespace {

// Columns of the grid are this far apart, rows kRowStep.
constexpr int32_t kColumnStep = 135;
constexpr int32_t kRowStep = 70;

// Sprite 0 of a set when it has a frame to draw.
const Sprite* Drawable(const SpriteSet& set) {
    if (set.sprites.empty() || set.sprites[0].frames.empty()) {
        return nullptr;
    }
    return &set.sprites[0];
}

} // namespace

void StartScene() {
    g_girlSprites.Load(g_girlFileName);
    g_backgroundSprites.Load(g_backgroundFileName);
    BuildBlendTable();
}

void DrawScene() {
    const Sprite* girl = Drawable(g_girlSprites);
    const Sprite* background = Drawable(g_backgroundSprites);

    if (girl != nullptr) {
        girl->DrawKeyed(g_display.backBuffer, 300, 300);
    }
    if (background != nullptr) {
        background->Draw(g_display.backBuffer, g_mouseX, g_mouseY);
    }
    if (girl == nullptr) {
        return;
    }
    // Three rows tinted red, green and blue, the tint growing to the right.
    static const COLORREF kTints[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    for (int32_t row = 0; row < 3; ++row) {
        for (int32_t column = 0; column < 4; ++column) {
            girl->DrawTinted(g_display.backBuffer, g_mouseX + kColumnStep * column, g_mouseY + kRowStep * row,
                             kTints[row], 64 * column);
        }
    }
    // Then a row fading out.
    static const int kOpacities[4] = {255, 192, 128, 64};
    for (int32_t column = 0; column < 4; ++column) {
        girl->DrawTranslucent(g_display.backBuffer, g_mouseX + kColumnStep * column, g_mouseY + kRowStep * 3,
                              kOpacities[column]);
    }
}

void DrawFrameRate(FrameRate& frameRate) {
    CountFrameRate(frameRate);
    g_display.DrawOutlinedText(g_display.backBuffer, 20, 20, 0x0000FF, 0xFFFFFF, frameRate.text);
}
