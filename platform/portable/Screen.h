// The screen contract: the few things the portable layer needs from whatever
// shows the pixels and gathers the input. Exactly one backend (sdl2, headless,
// ...) provides these functions, chosen at link time; it knows nothing of
// window messages or of DirectDraw's steps. template/ScreenTemplate.cpp is a
// commented starting point for a new backend.
#pragma once

#include "DDraw.h"

// Size of the whole screen in pixels (GetSystemMetrics).
void ScreenDesktopSize(int* width, int* height);

// The main window is being created; false makes the creation fail.
bool ScreenOpen();

// Switch to width x height at bitsPerPixel; DD_OK or a failure code.
HRESULT ScreenSetMode(int width, int height, int bitsPerPixel);

// Show a finished frame of RGB565 pixels. Returns once it is shown (a real
// screen may wait for the display's refresh here).
void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch);

// Input in the screen's own terms. The portable layer alone turns these into
// the window messages the program expects (Win32.cpp).
// ButtonDown and ButtonUp are the left mouse button's (or a finger's, a pen's).
enum class ScreenEventKind { PointerMoved, KeyDown, Close, ButtonDown, ButtonUp };
struct ScreenEvent {
    ScreenEventKind kind;
    // PointerMoved, ButtonDown, ButtonUp: in frame pixels, outside the frame
    // over a border (the layer pins it).
    int x, y;
    int virtualKey; // KeyDown: the Windows virtual key, 0 for a key the program has no use for
    bool repeat;    // KeyDown: an auto-repeat of a key already down
};

// Shows text as the window's title (SetWindowTextA): wherever the screen shows
// a title, or a caption beside the frame.
void ScreenSetTitle(const char* text);

// The next input event, without waiting; false when none.
bool ScreenNextEvent(ScreenEvent* event);

// Milliseconds since some fixed start, wrapping at 2^32.
DWORD ScreenTickCount();
