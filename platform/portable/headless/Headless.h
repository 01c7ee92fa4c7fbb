// Controls of the headless screen backend: no window, no display, everything
// in memory. Tests and tools script input, set the clock, inject faults and
// read back what was presented.
//
// All of it lives in one plain record so that a test can place it in memory
// shared with a child process (see tests/ChildProcess.h) and read the
// results after the child has exited.
#pragma once

#include "../Screen.h"
#include "../TestHooks.h"

constexpr int kHeadlessMaxEvents = 64;
constexpr int kHeadlessMaxTrace = 256;
constexpr int kHeadlessFrameWidth = 640;
constexpr int kHeadlessFrameHeight = 480;

struct HeadlessEvent {
    int atFrame; // delivered once this many frames have been presented
    ScreenEvent event;
};

struct HeadlessState {
    // Set up by the test before the run.
    int desktopWidth;
    int desktopHeight;
    bool failWindowCreation;
    bool hasFault;          // make one platform step fail ...
    ScreenStep faultStep;   // ... this one ...
    HRESULT faultCode;      // ... with this code ...
    int faultAfter;         // ... after it has succeeded this many times
    int lockFailures;       // the next this many locks fail
    DWORD tickCount;        // what GetTickCount returns
    DWORD tickStepPerFrame; // added to tickCount after every presented frame
    int quitAfterFrames;    // > 0: post WM_QUIT (code 0) once this many frames are shown
    // When set, called after each presented frame, in the process that
    // presented it: a test's look at the program between two frames.
    void (*afterPresent)(HeadlessState& state);
    HeadlessEvent events[kHeadlessMaxEvents];
    int eventCount;

    // Filled in during the run.
    int nextEvent;
    int modeWidth;
    int modeHeight;
    int modeBits;
    int framesPresented;
    // For each of the first frames: how many messages GetMessageA had
    // retrieved when it was presented.
    int messagesAtFrame[kHeadlessMaxTrace];
    PortableStats stats;
    // The last presented frame, packed at 640 pixels a row.
    uint16_t frame[kHeadlessFrameWidth * kHeadlessFrameHeight];
};

// The state in use.
extern HeadlessState* g_headless;

// Puts state in use with the defaults: a 640x480 desktop, no faults, tick 0,
// nothing scripted. Also points g_portableStats at state->stats and the
// layer's step hook at the fault set up in state.
void HeadlessReset(HeadlessState* state);

// Append a scripted input event, written as the window message the program
// is to receive: WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_KEYDOWN (bit
// 30 of lParam: a repeat) or WM_CLOSE. Other messages are not input a screen reports, and are dropped.
void HeadlessQueue(UINT message, WPARAM wParam, LPARAM lParam, int atFrame = 0);
