// The web screen: a 2D canvas in a browser page (Emscripten). Frames are
// widened from RGB565 to RGBA and put on the canvas; the page's pointer, keys
// and closing are reported as the screen's events. ScreenWeb.js is the
// browser's half.
//
// The program's loop never returns, and a browser paints and delivers input
// only when the page's script has returned. Linked with Asyncify, the one
// import spritedemo_web_yield sets the program's stack aside, lets the
// browser run, and resumes it where it was: once per presented frame, paced
// by the browser's animation frames, and on an empty poll when the browser
// has had no turn for a while (a loop waiting for input without drawing).
#include "platform/Rgb565.h"
#include "platform/portable/Screen.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

extern "C" {
int spritedemo_web_open();
void spritedemo_web_close();
void spritedemo_web_canvas_size(int* width, int* height);
int spritedemo_web_set_mode(int width, int height);
void spritedemo_web_present(const uint8_t* rgba, int width, int height);
int spritedemo_web_next_event(int* kind, int* a, int* b);
void spritedemo_web_yield(int untilNextFrame);
}

namespace {

enum EventKind { kPointerMove = 1, kKeyDown = 2, kClose = 3 };

// An empty poll gives the browser a turn when it has had none for this long.
constexpr double kLongestWithoutTurnMs = 20.0;

struct WebScreen {
    bool open;
    double lastYield; // emscripten_get_now() when the browser last had a turn
    std::vector<uint8_t> rgba;
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

} // namespace

// The page's canvas is the whole screen the program sees.
void ScreenDesktopSize(int* width, int* height) {
    spritedemo_web_canvas_size(width, height);
}

bool ScreenOpen() {
    if (g_webScreen.open) {
        return true;
    }
    if (!spritedemo_web_open()) {
        std::fprintf(stderr, "spritedemo: the page has no canvas to show the demo on (Module.canvas)\n");
        return false;
    }
    g_webScreen.open = true;
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
    g_webScreen.rgba.resize(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        WidenRowToRgba(pixels + static_cast<size_t>(y) * pitch, width,
                       &g_webScreen.rgba[static_cast<size_t>(y) * width * 4]);
    }
    spritedemo_web_present(g_webScreen.rgba.data(), width, height);
    // Returns once the browser has painted it: at its next animation frame.
    Yield(true);
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
    default:
        return false;
    }
}

DWORD ScreenTickCount() {
    // Milliseconds since the page started, wrapping at 2^32.
    return static_cast<DWORD>(static_cast<uint64_t>(emscripten_get_now()));
}
