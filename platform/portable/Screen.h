// The screen contract: the few things the portable layer needs from whatever
// shows the pixels. Exactly one backend (sdl2, headless, ...) provides these
// functions, chosen at link time. template/ScreenTemplate.cpp is a commented
// starting point for a new backend.
#pragma once

#include "DDraw.h"

// Platform steps the portable layer asks about before doing them. A backend
// answers DD_OK to let the step go ahead, or a failure code to make it fail
// with that code (the headless backend injects faults this way).
enum class ScreenStep {
    DirectDrawCreate,
    QueryInterface,
    SetCooperativeLevel,
    SetDisplayMode,
    CreateSurface,
    GetAttachedSurface,
    CreateClipper,
    SetHWnd,
    SetClipper,
    Lock,
};
HRESULT ScreenStepResult(ScreenStep step);

// Size of the whole screen in pixels (GetSystemMetrics).
void ScreenDesktopSize(int* width, int* height);

// The main window is being created; false makes the creation fail.
bool ScreenOpen();

// Switch to width x height at bitsPerPixel; DD_OK or a failure code.
HRESULT ScreenSetMode(int width, int height, int bitsPerPixel);

// Show a finished frame of RGB565 pixels. Returns once it is shown (a real
// screen may wait for the display's refresh here).
void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch);

// The next input event as a window message, without waiting; false when none.
bool ScreenNextEvent(UINT* message, WPARAM* wParam, LPARAM* lParam);

// Milliseconds since some fixed start, wrapping at 2^32.
DWORD ScreenTickCount();
