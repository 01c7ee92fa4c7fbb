// The one header through which the system code reaches the platform.
// On Windows it is the real Win32 + DirectDraw 7; everywhere else it is our own
// small layer with the same names, records and behaviour the system relies on.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <ddraw.h>
#include <windows.h>
#else
#include "portable/DDraw.h"
#include "portable/Win32.h"
#endif

#include <cstddef>
#include <cstring>

// Zeroes a surface description, as a lock takes it, in 16-byte stores. Left
// to itself GCC zeroes a record of this size with one `rep stos`, whose
// start-up takes longer than the stores on every draw; the empty asm keeps
// the stores from being merged back into it.
inline void ClearSurfaceDescription(DDSURFACEDESC2* description) {
    auto* bytes = reinterpret_cast<unsigned char*>(description);
    size_t i = 0;
#pragma GCC unroll 16
    for (; i + 16 <= sizeof *description; i += 16) {
        std::memset(bytes + i, 0, 16);
        __asm__("" ::: "memory");
    }
    std::memset(bytes + i, 0, sizeof *description - i);
}
