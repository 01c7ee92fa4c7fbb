// Process entry, the full-screen window and the frame loop.
#pragma once

#include "platform/Platform.h"

#include <cstdint>

// The pointer position of the last mouse move, in client coordinates.
extern int32_t g_mouseX;
extern int32_t g_mouseY;

HWND CreateMainWindow(HINSTANCE instance);
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
