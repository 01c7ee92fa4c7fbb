// The headless screen: frames go to memory, input comes from a script, the
// clock is whatever the test says, and any one platform step can be made to fail.
#include "Headless.h"

#include <algorithm>
#include <cstring>

HeadlessState* g_headless = nullptr;

namespace {

// The state in use, set up with the defaults on first use whatever the order
// of static initialisation.
HeadlessState& State() {
    if (g_headless == nullptr) {
        // Held here for good, so it stays reachable when a test swaps in its own.
        static HeadlessState* const defaultState = new HeadlessState();
        HeadlessReset(defaultState);
    }
    return *g_headless;
}

const bool g_headlessReady = (State(), true);

// The fault injection behind the layer's step hook. Every draw's lock asks
// it, so the common answer, no fault armed, takes one test and one branch.
HRESULT FaultAt(ScreenStep step) {
    HeadlessState& state = State();
    if (__builtin_expect((state.lockFailures > 0) | state.hasFault, 0) == 0) {
        return DD_OK;
    }
    if (step == ScreenStep::Lock && state.lockFailures > 0) {
        state.lockFailures--;
        return DDERR_SURFACEBUSY;
    }
    if (state.hasFault && state.faultStep == step) {
        if (state.faultAfter > 0) {
            state.faultAfter--;
            return DD_OK;
        }
        return state.faultCode;
    }
    return DD_OK;
}

} // namespace

void HeadlessReset(HeadlessState* state) {
    std::memset(static_cast<void*>(state), 0, sizeof(HeadlessState));
    state->desktopWidth = kHeadlessFrameWidth;
    state->desktopHeight = kHeadlessFrameHeight;
    g_headless = state;
    g_portableStats = &state->stats;
    g_screenStepResult = FaultAt;
}

void HeadlessQueue(UINT message, WPARAM wParam, LPARAM lParam, int atFrame) {
    HeadlessState& state = State();
    ScreenEvent event = {};
    switch (message) {
    case WM_MOUSEMOVE:
        event = {ScreenEventKind::PointerMoved, LOWORD(lParam), HIWORD(lParam), 0, false};
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        event = {message == WM_LBUTTONDOWN ? ScreenEventKind::ButtonDown : ScreenEventKind::ButtonUp, LOWORD(lParam),
                 HIWORD(lParam), 0, false};
        break;
    case WM_KEYDOWN:
        event = {ScreenEventKind::KeyDown, 0, 0, static_cast<int>(wParam), (lParam & (1L << 30)) != 0};
        break;
    case WM_CLOSE:
        event.kind = ScreenEventKind::Close;
        break;
    default:
        return;
    }
    if (state.eventCount < kHeadlessMaxEvents) {
        state.events[state.eventCount++] = HeadlessEvent{atFrame, event};
    }
}

void ScreenDesktopSize(int* width, int* height) {
    *width = State().desktopWidth;
    *height = State().desktopHeight;
}

bool ScreenOpen() {
    return !State().failWindowCreation;
}

HRESULT ScreenSetMode(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 16) {
        return DDERR_INVALIDMODE;
    }
    State().modeWidth = width;
    State().modeHeight = height;
    State().modeBits = bitsPerPixel;
    return DD_OK;
}

void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch) {
    HeadlessState& state = State();
    const int rows = std::min(height, kHeadlessFrameHeight);
    const size_t rowBytes = static_cast<size_t>(std::min(width, kHeadlessFrameWidth)) * 2;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(&state.frame[static_cast<size_t>(y) * kHeadlessFrameWidth], pixels + static_cast<size_t>(y) * pitch,
                    rowBytes);
    }
    if (state.framesPresented < kHeadlessMaxTrace) {
        state.messagesAtFrame[state.framesPresented] = state.stats.messagesRetrieved;
    }
    state.framesPresented++;
    state.tickCount += state.tickStepPerFrame;
    if (state.quitAfterFrames > 0 && state.framesPresented == state.quitAfterFrames) {
        PostQuitMessage(0);
    }
    if (state.afterPresent != nullptr) {
        state.afterPresent(state);
    }
}

void ScreenSetTitle(const char*) {}

bool ScreenNextEvent(ScreenEvent* event) {
    HeadlessState& state = State();
    if (state.nextEvent >= state.eventCount || state.events[state.nextEvent].atFrame > state.framesPresented) {
        return false;
    }
    *event = state.events[state.nextEvent++].event;
    return true;
}

DWORD ScreenTickCount() {
    return State().tickCount;
}
