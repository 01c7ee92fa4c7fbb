#include "app/WinMain.h"

#include "anim/AnimationTimer.h"
#include "app/Scene.h"
#include "display/DisplayDevice.h"
#include "display/ErrorLog.h"

#include <cstdlib>
#include <cstring>

int32_t g_mouseX = 0;
int32_t g_mouseY = 0;

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "Client";
    RegisterClassExA(&windowClass); // a failure shows as a failed creation below

    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    HWND window = CreateWindowExA(0, "Client", "Client", WS_POPUP, 0, 0, screenWidth, screenHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        std::exit(-1);
    }
    ShowWindow(window, SW_SHOWMAXIMIZED);
    return window;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        PostQuitMessage(0); // the window stays; the process ends after the loop
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_MOUSEMOVE:
        g_mouseX = static_cast<int32_t>(lParam & 0xFFFF);
        g_mouseY = static_cast<int32_t>((lParam >> 16) & 0xFFFF);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HRESULT StartDisplay(DisplayDevice& device, HWND window) {
    const HRESULT result = device.Init(window);
    if (result != DD_OK) {
        LogErrorCode("Create direct draw faild with err number", result);
    }
    return result;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = CreateMainWindow(instance);

    g_display.fullscreen = true;
    g_display.width = 640;
    g_display.height = 480;
    g_display.bitsPerPixel = 16;
    if (StartDisplay(g_display, window) != DD_OK) {
        return 0;
    }

    StartScene();
    FrameRate frameRate;

    MSG msg;
    std::memset(&msg, 0, sizeof(msg));
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) {
                return static_cast<int>(msg.wParam);
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        UpdateAnimationTimers();
        g_display.Clear(0x00FFFFFF);
        DrawScene();
        DrawFrameRate(frameRate);
        g_display.Present();
    }
}
