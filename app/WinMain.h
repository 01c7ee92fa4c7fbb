// Process entry, the full-screen window and the frame loop.
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// The pointer position of the last mouse move, in client coordinates.
extern int32_t g_mouseX;
extern int32_t g_mouseY;

struct DisplayDevice;

HWND CreateMainWindow(HINSTANCE instance);
// DisplayDevice::Init, and on failure the code appended to the log after the
// failing step's message. Init's result.
HRESULT StartDisplay(DisplayDevice& device, HWND window);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
