// The one display device: DirectDraw 7 set-up, flip chain (or windowed primary,
// off-screen buffer and clipper), clear and present; clipped direct access to
// surface memory; outlined text through the surface's device context.
#pragma once

#include "display/SurfaceWindow.h"
#include "platform/Platform.h"

#include <cstdint>

struct DisplayDevice {
    LPDIRECTDRAW7 directDraw;
    LPDIRECTDRAWSURFACE7 primarySurface;
    LPDIRECTDRAWSURFACE7 backBuffer;
    LPDIRECTDRAWCLIPPER clipper;
    int32_t width;
    int32_t height;
    RECT clipRect;
    RECT bufferRect;
    bool fullscreen;
    int32_t bitsPerPixel;
    bool initialised;

    DisplayDevice();
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    HRESULT Init(HWND window);
    bool Clear(DWORD colour);
    bool Present();

    // Clips destination to bounds, locks the surface for its address and pitch,
    // unlocks it and describes the clipped rectangle. False (and "Lock" in the
    // error log) when the surface cannot be locked.
    bool OpenWindow(LPDIRECTDRAWSURFACE7 surface, RECT bounds, RECT destination, SurfaceWindow* window) const;

    // Text with a one-pixel outline, drawn on whatever surface surfaceField
    // holds when it runs.
    bool DrawOutlinedText(LPDIRECTDRAWSURFACE7& surfaceField, int16_t x, int16_t y, COLORREF textColour,
                          COLORREF outlineColour, const char* text);
};

extern DisplayDevice g_display;
