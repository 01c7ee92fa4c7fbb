#include "app/WinMain.h"

#include "anim/AnimationTimer.h"
#include "app/Scene.h"
#include "display/DisplayDevice.h"
#include "display/MainWindow.h"

int32_t g_mouseX = 0;
int32_t g_mouseY = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        g_mouseX = static_cast<int32_t>(lParam & 0xFFFF);
        g_mouseY = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
        return 0;
    default:
        return EndOnEscape(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (StartFullScreen(CreateMainWindow(instance, WindowProc)) != DD_OK) {
        return 0;
    }

    StartScene();
    FrameRate frameRate;

    MSG msg = {};
    while (TakeMessage(msg)) {
        UpdateAnimationTimers();
        g_display.Clear(0x00FFFFFF);
        DrawScene();
        DrawFrameRate(frameRate);
        g_display.Present();
    }
    return static_cast<int>(msg.wParam);
}
