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

// Runs one set-up step when every step before it succeeded, leaving its
// result in result. A failing step's message replaces the log.
template <typename Call> void Step(HRESULT& result, const char* failure, Call call) {
    if (result != DD_OK) {
        return;
    }
    result = call();
    if (result != DD_OK) {
        LogError(failure);
    }
}

void CreateDevice(DisplayDevice& device, HRESULT& result) {
    LPDIRECTDRAW creation = nullptr;
    Step(result, "DirectDrawCreate faild", [&] { return DirectDrawCreate(nullptr, &creation, nullptr); });
    Step(result, "QueryInterface", [&] {
        const HRESULT queried =
            creation->QueryInterface(IID_IDirectDraw7, reinterpret_cast<void**>(&device.directDraw));
        // Only the query needs the creation interface; the device lives on through directDraw.
        creation->Release();
        return queried;
    });
}

void InitFullscreen(DisplayDevice& device, HWND window, HRESULT& result) {
    Step(result, "SetCooperativeLevel faild",
         [&] { return device.directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN); });
    Step(result, "SetDisplayMode faild",
         [&] { return device.directDraw->SetDisplayMode(device.width, device.height, device.bitsPerPixel, 0, 0); });
    Step(result, "CreateSurface faild", [&] {
        // A flip chain of a front and one back buffer, both in system memory so
        // that the software drawing writes to ordinary memory.
        DDSURFACEDESC2 chain =
            SurfaceDescription(DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
                               DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY);
        chain.dwBackBufferCount = 1;
        return device.directDraw->CreateSurface(&chain, &device.primarySurface, nullptr);
    });
    Step(result, "GetAttachedSurface faild", [&] {
        DDSCAPS2 backCaps;
        std::memset(&backCaps, 0, sizeof(backCaps));
        backCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_SYSTEMMEMORY;
        return device.primarySurface->GetAttachedSurface(&backCaps, &device.backBuffer);
    });
    if (result == DD_OK) {
        SetRect(&device.bufferRect, 0, 0, device.width, device.height);
        SetRect(&device.clipRect, 0, 0, device.width, device.height);
    }
}

void InitWindowed(DisplayDevice& device, HWND window, HRESULT& result) {
    Step(result, "SetCooperativeLevel faild",
         [&] { return device.directDraw->SetCooperativeLevel(window, DDSCL_NORMAL); });
    Step(result, "CreateSurface faild", [&] {
        DDSURFACEDESC2 primary = SurfaceDescription(DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
        return device.directDraw->CreateSurface(&primary, &device.primarySurface, nullptr);
    });
    // The back buffer has the screen's size and the display's own format.
    DDSURFACEDESC2 offscreen = SurfaceDescription(DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_OFFSCREENPLAIN);
    Step(result, "CreateSurface faild", [&] {
        offscreen.dwWidth = static_cast<DWORD>(GetSystemMetrics(SM_CXSCREEN));
        offscreen.dwHeight = static_cast<DWORD>(GetSystemMetrics(SM_CYSCREEN));
        return device.directDraw->CreateSurface(&offscreen, &device.backBuffer, nullptr);
    });
    Step(result, "CreateClipper faild", [&] { return device.directDraw->CreateClipper(0, &device.clipper, nullptr); });
    Step(result, "SetHWnd faild", [&] { return device.clipper->SetHWnd(0, window); });
    Step(result, "SetClipper faild", [&] { return device.primarySurface->SetClipper(device.clipper); });
    if (result == DD_OK) {
        // Clearing, drawing and presenting all work on these, so the windowed
        // set-up gives them the back buffer's whole area.
        SetRect(&device.bufferRect, 0, 0, static_cast<int>(offscreen.dwWidth), static_cast<int>(offscreen.dwHeight));
        device.clipRect = device.bufferRect;
    }
}

} // namespace

// Stops at the first failing step, whose message is in the log and whose
// result is returned unchanged.
HRESULT DisplayDevice::Init(HWND window) {
    HRESULT result = DD_OK;
    CreateDevice(*this, result);
    if (fullscreen) {
        InitFullscreen(*this, window, result);
    } else {
        InitWindowed(*this, window, result);
    }
    if (result == DD_OK) {
        initialised = true;
    }
    return result;
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
