// What the portable layer's Win32 and DirectDraw calls (Win32.h, DDraw.h)
// count, for tests and tools: kept out of those headers, which mirror the
// Windows ones. `g_portableStats` points at a record of the layer's own
// unless a test points it elsewhere (for instance at memory shared with a
// child process).
#pragma once

struct PortableStats {
    int liveObjects;         // objects created and not yet destroyed
    int liveReferences;      // sum of the reference counts of live objects
    int releasesOfDestroyed; // Release calls that reached an already destroyed object
    int directDrawCreates;
    int windowsCreated;
    int locks;
    int failedLocks;
    int flips;
    int blits;
    int colourFills;
    int messagesRetrieved; // by GetMessageA, WM_QUIT included
    int framesPresented;   // front buffers shown by Flip or a blit to the primary
};
extern PortableStats* g_portableStats;
