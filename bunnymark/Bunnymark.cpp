// The bunnymark's WinMain: bunny.spr, the window and display as every program
// of this system opens them, then one message and one frame a pass.
#include "bunnymark/Bunnymark.h"

#include "bunnymark/Bunnies.h"
#include "display/DisplayDevice.h"
#include "display/FrameRate.h"
#include "display/MainWindow.h"
#include "sprite/Blend.h"
#include "sprite/Sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

DisplayDevice g_display;
BunnymarkSettings g_bunnymark;

namespace {

const char kBunnyFile[] = "bunny.spr";

// Where the pointer was last seen and whether the left button is down there.
struct Pointer {
    int32_t x = 0;
    int32_t y = 0;
    bool held = false;
};
Pointer g_pointer;

LRESULT CALLBACK BunnyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        g_pointer.held = message == WM_LBUTTONDOWN;
        [[fallthrough]];
    case WM_MOUSEMOVE:
        g_pointer.x = LOWORD(lParam);
        g_pointer.y = HIWORD(lParam);
        return 0;
    default:
        return EndOnEscape(window, message, wParam, lParam);
    }
}

// bunny.spr with a frame to draw; otherwise false, having said why on
// standard error in the reader's words.
bool LoadBunny(Sprite& bunny) {
    SpriteReadStatus status;
    std::string reason;
    if (!ReadSpriteFile(kBunnyFile, &bunny, &status)) {
        reason = SpriteReadReason(status);
    } else if (bunny.frames.empty()) {
        reason = "it holds no frame";
    } else {
        return true;
    }
    std::fprintf(stderr, "spritedemo-bunnymark: %s: did not load (%s)\n", kBunnyFile, reason.c_str());
    return false;
}

struct BunnyRun {
    HWND window;
    BunnyField field;
    FrameRate frameRate;
    char line[300];  // "bunnies: N  FPS : ..."
    char title[300]; // "N bunnies, FPS : ...", the window's text
};

void StartBunnies(BunnyRun& run, const Sprite& bunny) {
    BunnyField& field = run.field;
    field.random.state = static_cast<uint32_t>(g_bunnymark.seed);
    field.width = g_display.width;
    field.height = g_display.height;
    field.bunnyWidth = bunny.frames[0].width;
    field.bunnyHeight = bunny.frames[0].height;
    field.bunnies.reserve(kMaxBunnies); // no copying of them while the button is held
    ScatterBunnies(field, static_cast<int32_t>(g_bunnymark.bunnies));
}

// While the button is held, more bunnies with their middle at the pointer
// (bunny.spr is packed with its hotspot at the top-left corner); then the
// frame, and the title when its text has changed.
void ShowFrame(BunnyRun& run, const Sprite& bunny) {
    BunnyField& field = run.field;
    const long count = static_cast<long>(field.bunnies.size());
    if (g_pointer.held && count < kMaxBunnies) {
        AddBunnies(field, static_cast<int32_t>(std::min<long>(kBunniesPerFrame, kMaxBunnies - count)),
                   g_pointer.x - field.bunnyWidth / 2, g_pointer.y - field.bunnyHeight / 2);
    }
    CountFrameRate(run.frameRate);
    const long bunnies = static_cast<long>(field.bunnies.size());
    std::snprintf(run.line, sizeof run.line, "bunnies: %ld  %s", bunnies, run.frameRate.text);
    DrawBunnyFrame(field, bunny, run.line);
    g_display.Present();
    char title[sizeof run.title];
    std::snprintf(title, sizeof title, "%ld bunnies, %s", bunnies, run.frameRate.text);
    if (std::strcmp(title, run.title) != 0) {
        std::memcpy(run.title, title, sizeof title);
        SetWindowTextA(run.window, run.title);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Sprite bunny;
    if (!LoadBunny(bunny)) {
        return 1;
    }
    BunnyRun run = {};
    run.window = CreateMainWindow(instance, BunnyWindowProc);
    if (StartFullScreen(run.window) != DD_OK) {
        return 0;
    }
    BuildBlendTable();
    StartBunnies(run, bunny);

    MSG msg = {};
    for (long frame = 1; TakeMessage(msg); ++frame) {
        ShowFrame(run, bunny);
        if (frame == g_bunnymark.frames) {
            return 0;
        }
    }
    return static_cast<int>(msg.wParam);
}
