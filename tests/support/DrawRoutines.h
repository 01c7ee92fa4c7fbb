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
    const char* name;
    // Reads alpha values: a frame with an alpha block too short draws nothing.
    bool readsAlpha;
    void (*draw)(const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments& call);
    // What the routine makes of destination pixel d under source pixel s of
    // alpha value alpha (255 in a frame without alpha values).
    uint16_t (*rule)(uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, const DrawArguments& call);
};

// Sprite::Draw is DrawAlpha, or with no alpha values DrawKeyed, whose rule
// AlphaRule is at alpha 255.
constexpr DrawRoutine kDrawRoutines[] = {
    {"draw", true,
     [](const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments&) {
         sprite.Draw(target, x, y);
     },
     [](uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, const DrawArguments&) {
         return AlphaRule(d, s, alpha, colorKey);
     }},
    {"keyed", false,
     [](const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments&) {
         sprite.DrawKeyed(target, x, y);
     },
     [](uint16_t d, uint16_t s, uint8_t, uint16_t colorKey, const DrawArguments&) {
         return KeyedRule(d, s, colorKey);
     }},
    {"alpha", true,
     [](const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments&) {
         sprite.DrawAlpha(target, x, y);
     },
     [](uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, const DrawArguments&) {
         return AlphaRule(d, s, alpha, colorKey);
     }},
    {"translucent", false,
     [](const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments& call) {
         sprite.DrawTranslucent(target, x, y, call.opacity);
     },
     [](uint16_t d, uint16_t s, uint8_t, uint16_t colorKey, const DrawArguments& call) {
         return TranslucentRule(d, s, AmountToWeight(call.opacity), colorKey);
     }},
    {"tinted", true,
     [](const Sprite& sprite, LPDIRECTDRAWSURFACE7 target, int32_t x, int32_t y, const DrawArguments& call) {
         sprite.DrawTinted(target, x, y, call.tintColour, call.tintAmount);
     },
     [](uint16_t d, uint16_t s, uint8_t alpha, uint16_t colorKey, const DrawArguments& call) {
         return TintedRule(d, s, alpha, colorKey, ColorToPixel(call.tintColour), AmountToWeight(call.tintAmount));
     }},
};
