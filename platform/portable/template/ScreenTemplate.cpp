// Template screen backend: a starting point for showing the program on
// something new (a framebuffer device, another windowing library, ...).
//
// Compiled in every build, so it cannot fall behind Screen.h, but linked into
// nothing. To make a backend from it, copy it to
// platform/portable/<name>/Screen<Name>.cpp, fill in the bodies, and add
// <name> to SPRITEDEMO_SCREENS and a spritedemo_screen_<name> library next to
// the sdl2 one, both in platform/CMakeLists.txt.
//
// The portable layer (Win32.cpp, DirectDraw.cpp) keeps all the Win32 and
// DirectDraw behaviour the program relies on: the window messages made of
// the screen's events, the message queue and its coalescing of pointer moves,
// reference counts, surfaces, flips, colour fills, text. A backend only
// answers the few questions of Screen.h, all on the program's one thread;
// none of them may block except ScreenPresent's wait for the display's
// refresh.
//
// The bodies below do nothing, which is enough to link: the program then
// runs against a 640x480 screen that shows nothing and never receives input.
#include "platform/portable/Screen.h"

// GetSystemMetrics(SM_CXSCREEN / SM_CYSCREEN): the size of the whole screen
// in pixels. Called before ScreenOpen (the program sizes its window with it),
// possibly several times, so start whatever the backend needs lazily here.
// Also the size of a primary surface created before any mode was set. Always
// fill in both values, with a plausible size if the screen can't be reached;
// ScreenOpen is where that failure is reported.
void ScreenDesktopSize(int* width, int* height) {
    *width = 640;
    *height = 480;
}

// CreateWindowExA, once per window the program creates (it creates one, a
// popup covering the screen). Make the screen visible: a window covering the
// desktop, a device opened, ... Return false when that is impossible; the
// window creation then fails and the program exits with status -1. A second
// call while open should just return true. Clean up at process exit (for
// instance with atexit); nothing in the portable layer calls back to close.
bool ScreenOpen() {
    return true;
}

// IDirectDraw7::SetDisplayMode, after ScreenOpen (and only after the layer's
// own checks passed). The program asks for 640x480 at 16 bits. Frames will
// then arrive at width x height in RGB565; show them as large as fits, aspect
// kept, and report pointer positions in width x height coordinates. Return
// DD_OK, or a failure code such as DDERR_INVALIDMODE for a depth the screen
// can't show (the program logs it and exits with status 0). Be defensive:
// without a screen opened, return a failure code rather than crash.
HRESULT ScreenSetMode(int width, int height, int bitsPerPixel) {
    (void)width;
    (void)height;
    return bitsPerPixel == 16 ? DD_OK : DDERR_INVALIDMODE;
}

// Flip, or a blit onto the primary surface: show this frame now. `pixels` is
// width x height RGB565 words (little-endian; red in bits 15-11), rows `pitch`
// bytes apart; the memory is only valid during the call, so copy what is
// kept. Normally width x height is the mode's size; in windowed use it is
// the desktop's. Return once the frame is shown; waiting here for the
// display's refresh is what paces the program's frame rate.
void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch) {
    (void)pixels;
    (void)width;
    (void)height;
    (void)pitch;
}

// SetWindowTextA on the program's window: show text as its title where the
// screen has one (a window's title bar, a caption beside the frame), or
// ignore it. Called when the text changes, possibly every frame; text is
// only valid during the call.
void ScreenSetTitle(const char* text) {
    (void)text;
}

// PeekMessageA and GetMessageA drain this until it returns false; the layer
// turns each event into a message for the program's window. Never wait:
// return false at once when nothing is pending. The events:
// - PointerMoved: x, y in the mode's coordinates (the frame's pixels). Over
//   a border around the frame they may lie outside it; the layer pins them
//   to the nearest edge.
// - ButtonDown, ButtonUp: the left mouse button pressed or released, or a
//   finger or pen put down or lifted, at x, y as for PointerMoved. Report
//   the pointer's move there first if it was not there yet, and once it is
//   down, the release even when it happens beside the frame.
// - KeyDown: virtualKey the Windows virtual key (VK_ESCAPE 0x1B ends the
//   program; letters and digits are their upper-case ASCII; anything else
//   may be 0), repeat true for an auto-repeat of a key already down.
// - Close: the user asks to close or the process is asked to stop; the
//   program then quits with status 0.
// Skip everything else.
bool ScreenNextEvent(ScreenEvent* event) {
    (void)event;
    return false;
}

// GetTickCount, and the time stamp of each queued message: milliseconds from
// some fixed start, counting up and wrapping at 2^32. The program measures
// its frame rate and steps its animations by differences of this.
DWORD ScreenTickCount() {
    return 0;
}
