// Clipped direct access to surface memory. All edge and address arithmetic is
// done in 64 bits: a destination may lie anywhere in the 32-bit plane, and
// only the clipped result has to fit a real surface.
#include "display/SurfaceWindow.h"

#include "display/DisplayDevice.h"
#include "display/ErrorLog.h"

#include <cstddef>
#include <cstring>

namespace {

// side + amount, wrapped to 32 bits: a companion's sides are 32-bit RECT
// fields, and a move past their range wraps rather than saturates.
LONG MoveSide(LONG side, int64_t amount) {
    return static_cast<LONG>(static_cast<uint32_t>(static_cast<int64_t>(side) + amount));
}

// Zeroes a surface description in 16-byte stores. Left to itself the
// compiler zeroes it with one `rep stos`, whose start-up takes longer than
// the stores on every draw; the empty asm keeps the stores from being merged
// back into it.
void ClearDescription(DDSURFACEDESC2* description) {
    auto* bytes = reinterpret_cast<unsigned char*>(description);
    size_t i = 0;
#pragma GCC unroll 16
    for (; i + 16 <= sizeof *description; i += 16) {
        std::memset(bytes + i, 0, 16);
        __asm__("" ::: "memory");
    }
    std::memset(bytes + i, 0, sizeof *description - i);
}

} // namespace

RECT* ClipRect(RECT* rect, RECT* companion, RECT bounds) {
    if (rect->left < bounds.left) {
        if (companion != nullptr) {
            companion->left = MoveSide(companion->left, static_cast<int64_t>(bounds.left) - rect->left);
        }
        rect->left = bounds.left;
    }
    if (rect->top < bounds.top) {
        if (companion != nullptr) {
            companion->top = MoveSide(companion->top, static_cast<int64_t>(bounds.top) - rect->top);
        }
        rect->top = bounds.top;
    }
    if (rect->right > bounds.right) {
        if (companion != nullptr) {
            companion->right = MoveSide(companion->right, static_cast<int64_t>(bounds.right) - rect->right);
        }
        rect->right = bounds.right;
    }
    if (rect->bottom > bounds.bottom) {
        if (companion != nullptr) {
            companion->bottom = MoveSide(companion->bottom, static_cast<int64_t>(bounds.bottom) - rect->bottom);
        }
        rect->bottom = bounds.bottom;
    }
    return companion;
}

bool DisplayDevice::OpenWindow(LPDIRECTDRAWSURFACE7 surface, RECT bounds, RECT destination,
                               SurfaceWindow* window) const {
    ClipRect(&destination, nullptr, bounds);

    DDSURFACEDESC2 description;
    ClearDescription(&description);
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
