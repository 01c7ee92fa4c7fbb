// What tests and tools reach inside the portable layer, kept out of Win32.h
// and DDraw.h, which mirror the Windows headers, and out of the screen
// contract, which every backend implements: counts of what the layer's Win32
// and DirectDraw calls did, and the hook that makes one of its platform steps
// fail (StepHook.h). The headless backend points both at its own state.
#pragma once

#include "StepHook.h"
#include "Win32.h"

// `g_portableStats` points at a record of the layer's own unless a test points
// it elsewhere (for instance at memory shared with a child process).
struct PortableStats {
    int liveObjects;         // objects created and not yet destroyed
    int liveReferences;      // sum of the reference counts of live objects
    int releasesOfDestroyed; // Release calls that reached an already destroyed object
    int directDrawCreates;
    int messagesRetrieved; // by GetMessageA, WM_QUIT included
    int framesPresented;   // front buffers shown by Flip or a blit to the primary
};
extern PortableStats* g_portableStats;
