// What every program of this system does around its own scene: the popup
// window covering the screen, the display set up full screen on it, Esc and
// closing ending the program, and the frame loop's one message a pass.
#pragma once

#include "platform/Platform.h"

struct DisplayDevice;

// Registers the class "Client" with proc as its window procedure, creates the
// popup window "Client" covering the screen and shows it. Ends the process
// with status -1 when the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance, WNDPROC proc);

// DisplayDevice::Init, and on failure the code appended to the log after the
// failing step's message. Init's result.
HRESULT StartDisplay(DisplayDevice& device, HWND window);

// g_display set to full screen 640x480 at 16 bits and started on window:
// StartDisplay's result.
HRESULT StartFullScreen(HWND window);

// The messages every program's window handles alike: Esc asks to close,
// closing ends the loop (the quit message, status 0; the window stays);
// every other message goes to DefWindowProcA.
LRESULT EndOnEscape(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The message part of one pass of the frame loop: at most one message taken
// and dispatched. False once the quit message is taken, msg.wParam then
// holding the exit status.
bool TakeMessage(MSG& msg);
