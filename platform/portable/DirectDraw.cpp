// DirectDraw 7 on plain memory: a device, 16-bit surfaces (a flip chain of two,
// or single ones), colour fill and copy, lock, flip, clippers.
#include "Layer.h"
#include "Screen.h"
#include "TestHooks.h"

#include <algorithm>
#include <cstring>
#include <vector>

const IID IID_IDirectDraw7 = {0x15E65EC0, 0x3B9C, 0x11D2, {0xB9, 0x2F, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

HRESULT (*g_screenStepResult)(ScreenStep step) = nullptr;

namespace {

// Whether a platform step goes ahead: DD_OK unless a test's hook says otherwise.
HRESULT StepResult(ScreenStep step) {
    return g_screenStepResult != nullptr ? g_screenStepResult(step) : DD_OK;
}

constexpr int kBytesPerPixel = 2;

// Destroyed objects are kept (marked dead) rather than freed, so that a late
// Release is counted instead of touching freed memory. The pointers live
// here so leak checkers see them as reachable.
std::vector<void*>& Kept() {
    static auto* kept = new std::vector<void*>();
    return *kept;
}

template <typename T> T* NewObject() {
    T* object = new T();
    object->object.refs = 1;
    object->object.alive = true;
    g_portableStats->liveObjects++;
    g_portableStats->liveReferences++;
    Kept().push_back(object);
    return object;
}

// A new object in *out, unless the screen makes this creation step fail.
template <typename T> HRESULT CreateObject(ScreenStep step, T** out) {
    if (out == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    const HRESULT result = StepResult(step);
    if (result == DD_OK) {
        *out = NewObject<T>();
    }
    return result;
}

ULONG AddRefObject(PortableObject& object) {
    if (!object.alive) {
        g_portableStats->releasesOfDestroyed++;
        return 0;
    }
    object.refs++;
    g_portableStats->liveReferences++;
    return object.refs;
}

// Drops one reference; true when that was the last and the object must go.
bool DropReference(PortableObject& object) {
    if (!object.alive) {
        g_portableStats->releasesOfDestroyed++;
        return false;
    }
    object.refs--;
    g_portableStats->liveReferences--;
    return object.refs == 0;
}

void MarkDestroyed(PortableObject& object) {
    g_portableStats->liveReferences -= static_cast<int>(object.refs);
    object.refs = 0;
    object.alive = false;
    g_portableStats->liveObjects--;
}

LONG PitchFor(int width) {
    // Rows padded to 8 bytes, as display memory often is: code that assumes
    // pitch == width * 2 shows up on narrow surfaces.
    return static_cast<LONG>((width * kBytesPerPixel + 7) & ~7);
}

IDirectDrawSurface7* NewSurface(IDirectDraw7* device, DWORD caps, int width, int height) {
    IDirectDrawSurface7* surface = NewObject<IDirectDrawSurface7>();
    surface->device = device;
    surface->caps = caps;
    surface->width = width;
    surface->height = height;
    surface->pitch = PitchFor(width);
    surface->pixels = new uint8_t[static_cast<size_t>(surface->pitch) * height]();
    return surface;
}

void Destroy(IDirectDrawSurface7* surface) {
    if (surface->backBuffer != nullptr && surface->backBuffer->object.alive) {
        // The front of a flip chain takes its attached back buffer with it,
        // whatever references to the back buffer are still out.
        Destroy(surface->backBuffer);
    }
    MarkDestroyed(surface->object);
    delete[] surface->pixels;
    surface->pixels = nullptr;
    if (surface->clipper != nullptr) {
        surface->clipper->Release();
        surface->clipper = nullptr;
    }
    if (surface->front == nullptr && surface->device != nullptr) {
        surface->device->Release(); // surfaces keep their device alive
    }
}

void Destroy(IDirectDraw7* device) {
    MarkDestroyed(device->object);
}

void Destroy(IDirectDrawClipper* clipper) {
    MarkDestroyed(clipper->object);
}

template <typename T> ULONG ReleaseObject(T* self) {
    if (DropReference(self->object)) {
        Destroy(self);
    }
    return self->object.refs;
}

bool IntersectWithSurface(const IDirectDrawSurface7* surface, const RECT* rect, RECT* out) {
    RECT whole = {0, 0, surface->width, surface->height};
    if (rect == nullptr) {
        *out = whole;
        return true;
    }
    out->left = std::max(rect->left, whole.left);
    out->top = std::max(rect->top, whole.top);
    out->right = std::min(rect->right, whole.right);
    out->bottom = std::min(rect->bottom, whole.bottom);
    return out->left < out->right && out->top < out->bottom;
}

uint16_t* PixelAt(IDirectDrawSurface7* surface, int x, int y) {
    return reinterpret_cast<uint16_t*>(surface->pixels + static_cast<size_t>(y) * surface->pitch) + x;
}

void Show(IDirectDrawSurface7* surface) {
    ScreenPresent(surface->pixels, surface->width, surface->height, surface->pitch);
    NoteFrameSize(surface->width, surface->height);
    g_portableStats->framesPresented++;
}

} // namespace

HRESULT WINAPI DirectDrawCreate(GUID*, LPDIRECTDRAW* out, IUnknown*) {
    g_portableStats->directDrawCreates++;
    return CreateObject(ScreenStep::DirectDrawCreate, out);
}

HRESULT IDirectDraw7::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_INVALIDARG;
    }
    *out = nullptr;
    HRESULT result = StepResult(ScreenStep::QueryInterface);
    if (result != DD_OK) {
        return result;
    }
    if (std::memcmp(&iid, &IID_IDirectDraw7, sizeof(IID)) != 0) {
        return E_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return S_OK;
}

HRESULT IDirectDraw7::SetCooperativeLevel(HWND newWindow, DWORD flags) {
    HRESULT result = StepResult(ScreenStep::SetCooperativeLevel);
    if (result != DD_OK) {
        return result;
    }
    const DWORD exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
    if (flags != exclusive && flags != DDSCL_NORMAL) {
        return DDERR_INVALIDPARAMS;
    }
    if (flags == exclusive && newWindow == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    window = newWindow;
    cooperativeFlags = flags;
    return DD_OK;
}

HRESULT IDirectDraw7::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD, DWORD) {
    HRESULT result = StepResult(ScreenStep::SetDisplayMode);
    if (result != DD_OK) {
        return result;
    }
    if (!(cooperativeFlags & DDSCL_EXCLUSIVE)) {
        return DDERR_NOEXCLUSIVEMODE;
    }
    if (width == 0 || height == 0 || width > 16384 || height > 16384) {
        return DDERR_INVALIDMODE;
    }
    result = ScreenSetMode(static_cast<int>(width), static_cast<int>(height), static_cast<int>(bitsPerPixel));
    if (result != DD_OK) {
        return result;
    }
    modeWidth = static_cast<int>(width);
    modeHeight = static_cast<int>(height);
    modeBits = static_cast<int>(bitsPerPixel);
    NoteFrameSize(modeWidth, modeHeight);
    return DD_OK;
}

HRESULT IDirectDraw7::CreateSurface(LPDDSURFACEDESC2 description, IDirectDrawSurface7** out, IUnknown*) {
    if (out == nullptr || description == nullptr || description->dwSize != sizeof(DDSURFACEDESC2) ||
        !(description->dwFlags & DDSD_CAPS)) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    HRESULT result = StepResult(ScreenStep::CreateSurface);
    if (result != DD_OK) {
        return result;
    }
    const DWORD caps = description->ddsCaps.dwCaps;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        int width = modeWidth;
        int height = modeHeight;
        if (width == 0) {
            ScreenDesktopSize(&width, &height);
        }
        if (caps & DDSCAPS_FLIP) {
            if (!(cooperativeFlags & DDSCL_EXCLUSIVE) || !(caps & DDSCAPS_COMPLEX) ||
                !(description->dwFlags & DDSD_BACKBUFFERCOUNT) || description->dwBackBufferCount != 1) {
                return DDERR_INVALIDPARAMS;
            }
            IDirectDrawSurface7* front = NewSurface(this, caps | DDSCAPS_FRONTBUFFER, width, height);
            IDirectDrawSurface7* back = NewSurface(this, DDSCAPS_BACKBUFFER | DDSCAPS_SYSTEMMEMORY, width, height);
            back->front = front; // part of the chain: holds no device reference of its own
            front->backBuffer = back;
            AddRef();
            *out = front;
            return DD_OK;
        }
        AddRef();
        *out = NewSurface(this, caps, width, height);
        return DD_OK;
    }
    if (!(description->dwFlags & DDSD_WIDTH) || !(description->dwFlags & DDSD_HEIGHT) || description->dwWidth == 0 ||
        description->dwHeight == 0 || description->dwWidth > 16384 || description->dwHeight > 16384) {
        return DDERR_INVALIDPARAMS;
    }
    AddRef();
    *out = NewSurface(this, caps, static_cast<int>(description->dwWidth), static_cast<int>(description->dwHeight));
    return DD_OK;
}

HRESULT IDirectDraw7::CreateClipper(DWORD, IDirectDrawClipper** out, IUnknown*) {
    return CreateObject(ScreenStep::CreateClipper, out);
}

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND newWindow) {
    HRESULT result = StepResult(ScreenStep::SetHWnd);
    if (result != DD_OK) {
        return result;
    }
    window = newWindow;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(LPDDSCAPS2 wanted, IDirectDrawSurface7** out) {
    if (wanted == nullptr || out == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    HRESULT result = StepResult(ScreenStep::GetAttachedSurface);
    if (result != DD_OK) {
        return result;
    }
    if (!(wanted->dwCaps & DDSCAPS_BACKBUFFER) || backBuffer == nullptr) {
        return DDERR_NOTFOUND;
    }
    backBuffer->AddRef();
    *out = backBuffer;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper* newClipper) {
    HRESULT result = StepResult(ScreenStep::SetClipper);
    if (result != DD_OK) {
        return result;
    }
    if (newClipper != nullptr) {
        newClipper->AddRef();
    }
    if (clipper != nullptr) {
        clipper->Release();
    }
    clipper = newClipper;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7*, DWORD) {
    if (backBuffer == nullptr) {
        return DDERR_NOTFLIPPABLE;
    }
    if (locked || backBuffer->locked || dcOut || backBuffer->dcOut) {
        return DDERR_SURFACEBUSY;
    }
    // The two surfaces exchange their memory: the one just drawn is shown and
    // the back buffer interface now reaches the other.
    std::swap(pixels, backBuffer->pixels);
    Show(this);
    return DD_OK;
}

namespace {

// DDBLT_COLORFILL: the part of area (null: all) on the surface set to one
// value, at memory speed: whole rows without padding are one run, and a
// value whose two bytes are alike (white, black) is a memset.
HRESULT ColourFill(IDirectDrawSurface7* surface, const RECT* destRect, const DDBLTFX* effects) {
    if (effects == nullptr || effects->dwSize != sizeof(DDBLTFX)) {
        return DDERR_INVALIDPARAMS;
    }
    RECT area;
    if (!IntersectWithSurface(surface, destRect, &area)) {
        return DD_OK;
    }
    const uint16_t value = static_cast<uint16_t>(effects->dwFillColor);
    size_t rowPixels = static_cast<size_t>(area.right - area.left);
    LONG bottom = area.bottom;
    if (area.left == 0 && area.right == surface->width && surface->pitch == surface->width * kBytesPerPixel) {
        rowPixels *= static_cast<size_t>(area.bottom - area.top);
        bottom = area.top + 1;
    }
    for (LONG y = area.top; y < bottom; ++y) {
        uint16_t* row = PixelAt(surface, area.left, y);
        if ((value >> 8) == (value & 0xFF)) {
            std::memset(row, value & 0xFF, rowPixels * kBytesPerPixel);
        } else {
            std::fill(row, row + rowPixels, value);
        }
    }
    return DD_OK;
}

// count destination pixels from a source row of another width: the nearest
// source pixel, stepped without division from destination column `column`
// of a toWidth-wide destination (fromLeft, fromWidth: the source's part).
void StretchRow(uint16_t* out, const uint16_t* row, LONG fromLeft, LONG fromWidth, LONG toWidth, LONG column,
                LONG count) {
    const int64_t start = static_cast<int64_t>(column) * fromWidth;
    LONG sx = fromLeft + static_cast<LONG>(start / toWidth);
    LONG error = static_cast<LONG>(start % toWidth);
    for (LONG x = 0; x < count; ++x) {
        *out++ = row[sx];
        error += fromWidth;
        while (error >= toWidth) {
            error -= toWidth;
            ++sx;
        }
    }
}

// The source's part (null: all) copied onto the surface's (null: all),
// stretched when their sizes differ. Destination pixels outside the surface
// are skipped.
HRESULT Copy(IDirectDrawSurface7* surface, const RECT* destRect, IDirectDrawSurface7* source, const RECT* sourceRect) {
    if (source == nullptr || source->pixels == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    const RECT from = sourceRect != nullptr ? *sourceRect : RECT{0, 0, source->width, source->height};
    const RECT to = destRect != nullptr ? *destRect : RECT{0, 0, surface->width, surface->height};
    const LONG fromWidth = from.right - from.left;
    const LONG fromHeight = from.bottom - from.top;
    const LONG toWidth = to.right - to.left;
    const LONG toHeight = to.bottom - to.top;
    if (fromWidth <= 0 || fromHeight <= 0 || toWidth <= 0 || toHeight <= 0 || from.left < 0 || from.top < 0 ||
        from.right > source->width || from.bottom > source->height) {
        return DDERR_INVALIDPARAMS;
    }
    const LONG left = std::max<LONG>(to.left, 0);
    const LONG right = std::min<LONG>(to.right, surface->width);
    const LONG bottom = left < right ? std::min<LONG>(to.bottom, surface->height) : 0;
    for (LONG y = std::max<LONG>(to.top, 0); y < bottom; ++y) {
        const LONG sy = from.top + static_cast<LONG>(static_cast<int64_t>(y - to.top) * fromHeight / toHeight);
        if (fromWidth == toWidth) {
            std::memmove(PixelAt(surface, left, y), PixelAt(source, from.left + (left - to.left), sy),
                         static_cast<size_t>(right - left) * kBytesPerPixel);
        } else {
            StretchRow(PixelAt(surface, left, y), PixelAt(source, 0, sy), from.left, fromWidth, toWidth, left - to.left,
                       right - left);
        }
    }
    return DD_OK;
}

} // namespace

HRESULT IDirectDrawSurface7::Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect, DWORD flags,
                                 LPDDBLTFX effects) {
    if (locked || dcOut) {
        return DDERR_SURFACEBUSY;
    }
    if (flags & DDBLT_COLORFILL) {
        return ColourFill(this, destRect, effects);
    }
    const HRESULT result = Copy(this, destRect, source, sourceRect);
    if (result == DD_OK && (caps & DDSCAPS_PRIMARYSURFACE)) {
        Show(this);
    }
    return result;
}

HRESULT IDirectDrawSurface7::GetDC(HDC* out) {
    if (out == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (dcOut || locked) {
        return DDERR_DCALREADYCREATED;
    }
    dcOut = true;
    dc = PortableDC{this, OPAQUE, 0};
    *out = &dc;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::ReleaseDC(HDC handle) {
    if (handle != &dc || !dcOut) {
        return DDERR_INVALIDPARAMS;
    }
    dcOut = false;
    return DD_OK;
}

// Reference counting is the same for every kind of object; only what the
// last Release destroys differs (the Destroy overloads above).
#define PORTABLE_REFERENCE_COUNTED(Type)                                                                               \
    ULONG Type::AddRef() {                                                                                             \
        return AddRefObject(object);                                                                                   \
    }                                                                                                                  \
    ULONG Type::Release() {                                                                                            \
        return ReleaseObject(this);                                                                                    \
    }
PORTABLE_REFERENCE_COUNTED(IDirectDraw7)
PORTABLE_REFERENCE_COUNTED(IDirectDrawClipper)
PORTABLE_REFERENCE_COUNTED(IDirectDrawSurface7)
