// The hook the portable layer asks before each platform step it takes, which
// lets a backend make any one of them fail (the headless backend injects
// faults this way; TestHooks.h). Apart from TestHooks.h because every lock
// asks it, inline in DDraw.h.
#pragma once

#include "Win32.h"

// Platform steps the layer asks about before taking them.
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
// Null, as it starts: every step goes ahead. Otherwise DD_OK lets the step go
// ahead, and any other code makes it fail with that code (the headless
// backend injects faults this way).
extern HRESULT (*g_screenStepResult)(ScreenStep step);
