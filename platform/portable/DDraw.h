// The part of DirectDraw 7 that the system code uses, for platforms that have
// none of it: a device, 16-bit surfaces in memory, clippers. Names, records and
// values match the real ddraw.h; the objects are plain records with ordinary
// (non-virtual) members.
//
// Behaviour kept from the real platform because the system relies on it:
// - every object reference-counted; releasing the front surface of a flip chain
//   destroys its attached back buffer too;
// - Lock reports a base address and pitch that stay fixed while unlocked;
// - Flip exchanges the memory of front and back and shows the new front.
//
// Objects are never handed back to the allocator: a destroyed object stays
// behind marked dead, so a release of it is counted (PortableStats) instead of
// touching freed memory. That is how tests see a wrong release order.
#pragma once

#include "StepHook.h"
#include "Win32.h"

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef const IID& REFIID;
extern const IID IID_IDirectDraw7;
struct IUnknown;

#define DD_OK ((HRESULT)0)
#define S_OK ((HRESULT)0)
#define E_NOTIMPL ((HRESULT)0x80004001u)
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_FAIL ((HRESULT)0x80004005u)
#define E_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define E_INVALIDARG ((HRESULT)0x80070057u)
#define DDERR_GENERIC E_FAIL
#define DDERR_UNSUPPORTED E_NOTIMPL
#define DDERR_INVALIDPARAMS E_INVALIDARG
#define DDERR_OUTOFMEMORY E_OUTOFMEMORY
#define DDERR_INVALIDMODE ((HRESULT)0x88760050u)
#define DDERR_NOEXCLUSIVEMODE ((HRESULT)0x887601E1u)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AEu)
#define DDERR_NOTLOCKED ((HRESULT)0x88760248u)
#define DDERR_NOTFOUND ((HRESULT)0x887600FFu)
#define DDERR_NOTFLIPPABLE ((HRESULT)0x8876024Eu)
#define DDERR_DCALREADYCREATED ((HRESULT)0x8876026Cu)
#define FAILED(hr) (((HRESULT)(hr)) < 0)
#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)

#define DDSCL_FULLSCREEN 0x00000001u
#define DDSCL_NORMAL 0x00000008u
#define DDSCL_EXCLUSIVE 0x00000010u

#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_LPSURFACE 0x00000800u

#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u

#define DDFLIP_WAIT 0x00000001u
#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_WAIT 0x01000000u
#define DDLOCK_WAIT 0x00000001u

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue;
    DWORD dwColorSpaceHighValue;
};

struct DDSCAPS2 {
    DWORD dwCaps;
    DWORD dwCaps2;
    DWORD dwCaps3;
    DWORD dwCaps4;
};
typedef DDSCAPS2* LPDDSCAPS2;

struct DDPIXELFORMAT {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwFourCC;
    DWORD dwRGBBitCount;
    DWORD dwRBitMask;
    DWORD dwGBitMask;
    DWORD dwBBitMask;
    DWORD dwRGBAlphaBitMask;
};

struct DDSURFACEDESC2 {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHeight;
    DWORD dwWidth;
    LONG lPitch;
    DWORD dwBackBufferCount;
    DWORD dwRefreshRate;
    DWORD dwAlphaBitDepth;
    DWORD dwReserved;
    LPVOID lpSurface;
    DDCOLORKEY ddckCKDestOverlay;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcOverlay;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
    DWORD dwTextureStage;
};
typedef DDSURFACEDESC2* LPDDSURFACEDESC2;

struct DDBLTFX {
    DWORD dwSize;
    DWORD dwDDFX;
    DWORD dwROP;
    DWORD dwDDROP;
    DWORD dwRotationAngle;
    DWORD dwZBufferOpCode;
    DWORD dwZBufferLow;
    DWORD dwZBufferHigh;
    DWORD dwZBufferBaseDest;
    DWORD dwZDestConstBitDepth;
    DWORD dwZDestConst;
    DWORD dwZSrcConstBitDepth;
    DWORD dwZSrcConst;
    DWORD dwAlphaEdgeBlendBitDepth;
    DWORD dwAlphaEdgeBlend;
    DWORD dwReserved;
    DWORD dwAlphaDestConstBitDepth;
    DWORD dwAlphaDestConst;
    DWORD dwAlphaSrcConstBitDepth;
    DWORD dwAlphaSrcConst;
    DWORD dwFillColor;
    DDCOLORKEY ddckDestColorkey;
    DDCOLORKEY ddckSrcColorkey;
};
typedef DDBLTFX* LPDDBLTFX;

struct IDirectDraw7;
struct IDirectDrawSurface7;
struct IDirectDrawClipper;

// A device context: text output state on one surface.
struct PortableDC {
    IDirectDrawSurface7* surface;
    int backgroundMode;
    COLORREF textColour;
};

// Counted state every portable object shares. `alive` turns false when the
// object is destroyed; the record itself is kept (see the top of this file).
struct PortableObject {
    ULONG refs;
    bool alive;
};

struct IDirectDrawClipper {
    PortableObject object;
    HWND window;

    HRESULT SetHWnd(DWORD flags, HWND window);
    ULONG AddRef();
    ULONG Release();
};
typedef IDirectDrawClipper* LPDIRECTDRAWCLIPPER;

struct IDirectDrawSurface7 {
    PortableObject object;
    IDirectDraw7* device; // the device that created it (holds a reference)
    DWORD caps;
    int width;
    int height;
    LONG pitch;
    uint8_t* pixels;                 // owned; exchanged with the partner on Flip
    IDirectDrawSurface7* backBuffer; // front of a flip chain: its attached back buffer
    IDirectDrawSurface7* front;      // back buffer of a flip chain: the front that owns it
    IDirectDrawClipper* clipper;     // held reference, when one is set
    bool locked;
    bool dcOut;
    PortableDC dc; // handed out by GetDC while dcOut: text needs no allocation a frame

    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, IDirectDrawSurface7** out);
    HRESULT SetClipper(IDirectDrawClipper* clipper);
    HRESULT Flip(IDirectDrawSurface7* targetOverride, DWORD flags);
    HRESULT Blt(LPRECT destRect, IDirectDrawSurface7* source, LPRECT sourceRect, DWORD flags, LPDDBLTFX effects);
    // Inline (below): every draw locks and unlocks its target, and inline a
    // lock costs its tests and the two fields the caller reads.
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE event);
    HRESULT Unlock(LPRECT rect);
    HRESULT GetDC(HDC* out);
    HRESULT ReleaseDC(HDC dc);
    ULONG AddRef();
    ULONG Release();
};
typedef IDirectDrawSurface7* LPDIRECTDRAWSURFACE7;

// One record serves as both the creation interface and IDirectDraw7: the
// query hands back the same object with one more reference.
struct IDirectDraw7 {
    PortableObject object;
    HWND window;
    DWORD cooperativeFlags;
    int modeWidth;
    int modeHeight;
    int modeBits;

    HRESULT QueryInterface(REFIID iid, void** out);
    HRESULT SetCooperativeLevel(HWND window, DWORD flags);
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags);
    HRESULT CreateSurface(LPDDSURFACEDESC2 description, IDirectDrawSurface7** out, IUnknown* outer);
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer);
    ULONG AddRef();
    ULONG Release();
};
typedef IDirectDraw7 IDirectDraw;
typedef IDirectDraw* LPDIRECTDRAW;
typedef IDirectDraw7* LPDIRECTDRAW7;

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* out, IUnknown* outer);

// Refused for bad arguments, by the step hook, or when the surface is locked
// or lent to a device context.
inline HRESULT IDirectDrawSurface7::Lock(LPRECT, LPDDSURFACEDESC2 description, DWORD, HANDLE) {
    if (__builtin_expect(description == nullptr || description->dwSize != sizeof(DDSURFACEDESC2), 0)) {
        return DDERR_INVALIDPARAMS;
    }
    if (g_screenStepResult != nullptr) {
        const HRESULT hooked = g_screenStepResult(ScreenStep::Lock);
        if (__builtin_expect(hooked != DD_OK, 0)) {
            return hooked;
        }
    }
    if (__builtin_expect(locked || dcOut, 0)) {
        return DDERR_SURFACEBUSY;
    }
    locked = true;
    description->dwFlags |= DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE;
    description->dwWidth = static_cast<DWORD>(width);
    description->dwHeight = static_cast<DWORD>(height);
    description->lPitch = pitch;
    description->lpSurface = pixels;
    description->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    description->ddpfPixelFormat.dwRGBBitCount = 16;
    description->ddpfPixelFormat.dwRBitMask = 0xF800;
    description->ddpfPixelFormat.dwGBitMask = 0x07E0;
    description->ddpfPixelFormat.dwBBitMask = 0x001F;
    description->ddsCaps.dwCaps = caps;
    return DD_OK;
}

inline HRESULT IDirectDrawSurface7::Unlock(LPRECT) {
    if (!locked) {
        return DDERR_NOTLOCKED;
    }
    locked = false;
    return DD_OK;
}
