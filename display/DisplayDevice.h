// The one display device: DirectDraw 7 set-up, flip chain (or windowed primary,
// off-screen buffer and clipper), clear and present; clipped direct access to
// surface memory; outlined text through the surface's device context.
#pragma once

#include "display/ErrorLog.h"
#include "display/SurfaceWindow.h"
#include "platform/Platform.h"

#include <cstddef>
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

// Inline: every draw opens a window, and most of the work folds into the
// draw's own checks.
inline bool DisplayDevice::OpenWindow(LPDIRECTDRAWSURFACE7 surface, RECT bounds, RECT destination,
                                      SurfaceWindow* window) const {
    ClipRect(&destination, nullptr, bounds);

    DDSURFACEDESC2 description;
    ClearSurfaceDescription(&description);
    description.dwSize = sizeof description;
    if (surface == nullptr || surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) {
        LogError("Lock");
        return false;
    }

    uint8_t* base = static_cast<uint8_t*>(description.lpSurface);
    const int64_t pitch = description.lPitch;
    const int64_t bytesPerPixel = bitsPerPixel / 8;
    const int64_t columns = static_cast<int64_t>(destination.right) - destination.left;
    const int64_t rows = static_cast<int64_t>(destination.bottom) - destination.top;

    window->base = base;
    window->rowBytes = ClampToInt32(columns * bytesPerPixel);
    window->pitch = description.lPitch;
    if (columns > 0 && rows > 0 && bytesPerPixel > 0) {
        const int64_t column = destination.left * bytesPerPixel;
        window->firstRow = base + static_cast<ptrdiff_t>(destination.top * pitch + column);
        window->endRow = base + static_cast<ptrdiff_t>(destination.bottom * pitch + column);
    } else {
        // Nothing to address: the window is empty and its rows never reach memory.
        window->firstRow = base;
        window->endRow = base;
    }

    surface->Unlock(nullptr);
    return true;
}
