// The web screen: a canvas in a browser page (Emscripten). Frames go as
// RGB565 to a WebGL texture, or where the canvas has no WebGL (or
// SPRITEDEMO_PRESENT=2d asks for it) are widened to RGBA (WidenPixels, on
// SIMD128 in the build that has it) and put on a 2D canvas; the page's
// pointer (mouse, pen or finger), keys and closing are reported as the
// screen's events. ScreenWeb.js is the browser's half.
//
// The program's loop never returns, and a browser paints and delivers input
// only when the page's script has returned. Linked with Asyncify, the one
// import spritedemo_web_yield sets the program's stack aside, lets the
// browser run, and resumes it where it was: once per presented frame, paced
// by the browser's animation frames, and on an empty poll when the browser
// has had no turn for a while (a loop waiting for input without drawing).
#include "platform/Widen.h"
#include "platform/portable/Screen.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
int spritedemo_web_open(int allowWebGL);
void spritedemo_web_close();
void spritedemo_web_canvas_size(int* width, int* height);
int spritedemo_web_set_mode(int width, int height);
void spritedemo_web_present(const uint8_t* rgba, int width, int height);
void spritedemo_web_present_565(const uint8_t* pixels, int width, int height);
int spritedemo_web_next_event(int* kind, int* a, int* b);
void spritedemo_web_title(const char* text);
void spritedemo_web_yield(int untilNextFrame);
}

namespace {

enum EventKind { kPointerMove = 1, kKeyDown = 2, kClose = 3, kButtonDown = 4, kButtonUp = 5 };

// An empty poll gives the browser a turn when it has had none for this long.
constexpr double kLongestWithoutTurnMs = 20.0;

struct WebScreen {
    bool open;
    bool webgl;
    double lastYield;          // emscripten_get_now() when the browser last had a turn
    std::vector<uint8_t> rgba; // a widened frame, or (WebGL) one packed without row gaps
};

WebScreen g_webScreen = {};

void Yield(bool untilNextFrame) {
    spritedemo_web_yield(untilNextFrame ? 1 : 0);
    g_webScreen.lastYield = emscripten_get_now();
}

void CloseWebScreen() {
    spritedemo_web_close();
    g_webScreen.open = false;
}

// The frame as one block of rows without gaps at an even address, as a
// WebGL upload takes it: the surface itself, normally.
const uint8_t* PackedRows(const uint8_t* pixels, int width, int height, LONG pitch) {
    const size_t rowBytes = static_cast<size_t>(width) * 2;
    if (pitch == static_cast<LONG>(rowBytes) && reinterpret_cast<uintptr_t>(pixels) % 2 == 0) {
        return pixels;
    }
    g_webScreen.rgba.resize(rowBytes * height);
    for (int y = 0; y < height; ++y) {
        std::memcpy(&g_webScreen.rgba[rowBytes * y], pixels + static_cast<size_t>(y) * pitch, rowBytes);
    }
    return g_webScreen.rgba.data();
}

} // namespace

// The page's canvas is the whole screen the program sees.
void ScreenDesktopSize(int* width, int* height) {
    spritedemo_web_canvas_size(width, height);
}

bool ScreenOpen() {
    if (g_webScreen.open) {
        return true;
    }
    const char* present = std::getenv("SPRITEDEMO_PRESENT");
    const int opened = spritedemo_web_open(present == nullptr || std::strcmp(present, "2d") != 0);
    if (opened == 0) {
        std::fprintf(stderr, "spritedemo: the page has no canvas to show the demo on (Module.canvas)\n");
        return false;
    }
    g_webScreen.open = true;
    g_webScreen.webgl = opened == 2;
    g_webScreen.lastYield = emscripten_get_now();
    std::atexit(CloseWebScreen);
    return true;
}

HRESULT ScreenSetMode(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 16 || width <= 0 || height <= 0) {
        return DDERR_INVALIDMODE;
    }
    if (!g_webScreen.open || !spritedemo_web_set_mode(width, height)) {
        return DDERR_GENERIC;
    }
    return DD_OK;
}

void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch) {
    if (!g_webScreen.open || !pixels || width <= 0 || height <= 0 || pitch < width * 2) {
        return;
    }
    if (g_webScreen.webgl) {
        spritedemo_web_present_565(PackedRows(pixels, width, height, pitch), width, height);
    } else {
        g_webScreen.rgba.resize(static_cast<size_t>(width) * height * 4);
        WidenPixels(g_webScreen.rgba.data(), static_cast<ptrdiff_t>(width) * 4, pixels, pitch, width, height,
                    WideOrder::Rgba);
        spritedemo_web_present(g_webScreen.rgba.data(), width, height);
    }
    // Returns once the browser has painted it: at its next animation frame.
    Yield(true);
}

void ScreenSetTitle(const char* text) {
    if (g_webScreen.open) {
        spritedemo_web_title(text);
    }
}

bool ScreenNextEvent(ScreenEvent* event) {
    if (!g_webScreen.open) {
        return false;
    }
    int kind = 0;
    int a = 0;
    int b = 0;
    bool pending = spritedemo_web_next_event(&kind, &a, &b) != 0;
    if (!pending && emscripten_get_now() - g_webScreen.lastYield >= kLongestWithoutTurnMs) {
        // Input only arrives while the browser runs.
        Yield(false);
        pending = spritedemo_web_next_event(&kind, &a, &b) != 0;
    }
    if (!pending) {
        return false;
    }
    switch (kind) {
    case kPointerMove:
        *event = {ScreenEventKind::PointerMoved, a, b, 0, false};
        return true;
    case kKeyDown:
        *event = {ScreenEventKind::KeyDown, 0, 0, a, b != 0};
        return true;
    case kClose:
        *event = {ScreenEventKind::Close, 0, 0, 0, false};
        return true;
    case kButtonDown:
    case kButtonUp:
        *event = {kind == kButtonDown ? ScreenEventKind::ButtonDown : ScreenEventKind::ButtonUp, a, b, 0, false};
        return true;
    default:
        return false;
    }
}

DWORD ScreenTickCount() {
    // Milliseconds since the page started, wrapping at 2^32.
    return static_cast<DWORD>(static_cast<uint64_t>(emscripten_get_now()));
}
