// Every draw routine as the tests, the fuzz target and the benchmark call it,
// by the name the benchmark's rows give it, with the pixel rule it applies.
#pragma once

#include "platform/Rgb565.h"
#include "sprite/PixelRules.h"
#include "sprite/Sprite.h"

#include <cstdint>

// What a call passes beside the sprite, the target and the place.
struct DrawArguments {
    int opacity = 128;
    COLORREF tintColour = 0x0000FF;
    int tintAmount = 128;
};

struct DrawRoutine {
    enum Kind { Draw, Keyed, Alpha, Translucent, Tinted };
    const char* name;
    Kind kind;
    // Reads alpha values: a frame with an alpha block too short draws nothing.
    bool readsAlpha;

    void Run(const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments& call) const {
        switch (kind) {
        case Draw:
            return sprite.Draw(target, x, y);
        case Keyed:
            return sprite.DrawKeyed(target, x, y);
        case Alpha:
            return sprite.DrawAlpha(target, x, y);
        case Translucent:
            return sprite.DrawTranslucent(target, x, y, call.opacity);
        case Tinted:
            return sprite.DrawTinted(target, x, y, call.tintColour, call.tintAmount);
        }
    }

    // What the routine makes of destination pixel d under source pixel s of
    // alpha value alpha (255 in a frame without alpha values). Sprite::Draw is
    // DrawAlpha, or DrawKeyed where AlphaRule is at 255 anyway.
    uint16_t Rule(uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, const DrawArguments& call) const {
        switch (kind) {
        case Keyed:
            return KeyedRule(d, s, colorKey);
        case Translucent:
            return TranslucentRule(d, s, AmountToWeight(call.opacity), colorKey);
        case Tinted:
            return TintedRule(d, s, alpha, colorKey, ColorToPixel(call.tintColour), AmountToWeight(call.tintAmount));
        default:
            return AlphaRule(d, s, alpha, colorKey);
        }
    }
};

constexpr DrawRoutine kDrawRoutines[] = {{"draw", DrawRoutine::Draw, true},
                                         {"keyed", DrawRoutine::Keyed, false},
                                         {"alpha", DrawRoutine::Alpha, true},
                                         {"translucent", DrawRoutine::Translucent, false},
                                         {"tinted", DrawRoutine::Tinted, true}};
