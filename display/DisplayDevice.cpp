#include "display/DisplayDevice.h"

#include "display/ErrorLog.h"

#include <cstring>

DisplayDevice::DisplayDevice()
    : directDraw(nullptr), primarySurface(nullptr), backBuffer(nullptr), clipper(nullptr), fullscreen(true),
      initialised(false) {}

// The back buffer goes before the primary surface: releasing the front of a
// flip chain destroys the back buffer attached to it, so the other order
// would release a destroyed surface at every exit.
DisplayDevice::~DisplayDevice() {
    if (directDraw != nullptr) {
        directDraw->Release();
    }
    if (backBuffer != nullptr) {
        backBuffer->Release();
    }
    if (primarySurface != nullptr) {
        primarySurface->Release();
    }
    if (clipper != nullptr) {
        clipper->Release();
    }
}

namespace {

// A description zeroed whole, sized for this platform's record.
DDSURFACEDESC2 SurfaceDescription(DWORD flags, DWORD caps) {
    DDSURFACEDESC2 description;
    std::memset(&description, 0, sizeof(description));
    description.dwSize = sizeof(description);
    description.dwFlags = flags;
    description.ddsCaps.dwCaps = caps;
    return description;
}

} // namespace

HRESULT DisplayDevice::Init(HWND window) {
    LPDIRECTDRAW creation = nullptr;
    HRESULT result = DirectDrawCreate(nullptr, &creation, nullptr);
    if (result != DD_OK) {
        LogError("DirectDrawCreate faild");
        return result;
    }
    result = creation->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&directDraw));
    // Only the query needs the creation interface; the device lives on through directDraw.
    creation->Release();
    if (result != DD_OK) {
        LogError("QueryInterface");
        return result;
    }

    if (fullscreen) {
        result = directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        if (result != DD_OK) {
            LogError("SetCooperativeLevel faild");
            return result;
        }
        result = directDraw->SetDisplayMode(width, height, bitsPerPixel, 0, 0);
        if (result != DD_OK) {
            LogError("SetDisplayMode faild");
            return result;
        }
        // A flip chain of a front and one back buffer, both in system memory so
        // that the software drawing writes to ordinary memory.
        DDSURFACEDESC2 chain =
            SurfaceDescription(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                               DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY);
        chain.dwBackBufferCount = 1;
        result = directDraw->CreateSurface(&chain, &primarySurface, nullptr);
        if (result != DD_OK) {
            LogError("CreateSurface faild");
            return result;
        }
        DDSCAPS2 backCaps;
        std::memset(&backCaps, 0, sizeof(backCaps));
        backCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_SYSTEMMEMORY;
        result = primarySurface->GetAttachedSurface(&backCaps, &backBuffer);
        if (result != DD_OK) {
            LogError("GetAttachedSurface faild");
            return result;
        }
        SetRect(&bufferRect, 0, 0, width, height);
        SetRect(&clipRect, 0, 0, width, height);
    } else {
        result = directDraw->SetCooperativeLevel(window, DDSCL_NORMAL);
        if (result != DD_OK) {
            LogError("SetCooperativeLevel faild");
            return result;
        }
        DDSURFACEDESC2 primary = SurfaceDescription(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
        result = directDraw->CreateSurface(&primary, &primarySurface, nullptr);
        if (result != DD_OK) {
            LogError("CreateSurface faild");
            return result;
        }
        // The back buffer has the screen's size and the display's own format.
        DDSURFACEDESC2 offscreen = SurfaceDescription(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN);
        offscreen.dwWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
        offscreen.dwHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
        result = directDraw->CreateSurface(&offscreen, &backBuffer, nullptr);
        if (result != DD_OK) {
            LogError("CreateSurface faild");
            return result;
        }
        result = directDraw->CreateClipper(0, &clipper, nullptr);
        if (result != DD_OK) {
            LogError("CreateClipper faild");
            return result;
        }
        result = clipper->SetHWnd(0, window);
        if (result != DD_OK) {
            LogError("SetHWnd faild");
            return result;
        }
        result = primarySurface->SetClipper(clipper);
        if (result != DD_OK) {
            LogError("SetClipper faild");
            return result;
        }
        // Clearing, drawing and presenting all work on these, so the windowed
        // set-up gives them the back buffer's whole area.
        SetRect(&bufferRect, 0, 0, static_cast<int>(offscreen.dwWidth), static_cast<int>(offscreen.dwHeight));
        clipRect = bufferRect;
    }
    initialised = true;
    return DD_OK;
}

bool DisplayDevice::Clear(DWORD colour) {
    static DDBLTFX effects; // one record for every call, as the fill needs no more
    effects.dwSize = sizeof(effects);
    effects.dwFillColor = colour;
    backBuffer->Blt(&bufferRect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects);
    return true;
}

bool DisplayDevice::Present() {
    if (fullscreen) {
        primarySurface->Flip(nullptr, DDFLIP_WAIT);
    } else {
        primarySurface->Blt(&clipRect, backBuffer, &bufferRect, DDBLT_WAIT, nullptr);
    }
    return true;
}
