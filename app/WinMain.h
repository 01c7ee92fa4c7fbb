// Process entry and the demo's window procedure; the window, the display's
// set-up and the loop's messages are every program's (display/MainWindow.h).
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// The pointer position of the last mouse move, in client coordinates.
extern int32_t g_mouseX;
extern int32_t g_mouseY;

// The pointer's moves; Esc and closing as every program's window handles them.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
