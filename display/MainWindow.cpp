#include "display/MainWindow.h"

#include "display/DisplayDevice.h"

#include <cstdlib>
#include <cstring>

HWND CreateMainWindow(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = proc;
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

HRESULT StartDisplay(DisplayDevice& device, HWND window) {
    const HRESULT result = device.Init(window);
    if (result != DD_OK) {
        LogErrorCode("Create direct draw faild with err number", result);
    }
    return result;
}

HRESULT StartFullScreen(HWND window) {
    g_display.fullscreen = true;
    g_display.width = 640;
    g_display.height = 480;
    g_display.bitsPerPixel = 16;
    return StartDisplay(g_display, window);
}

LRESULT EndOnEscape(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        PostQuitMessage(0); // the window stays; the process ends after the loop
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool TakeMessage(MSG& msg) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (!GetMessageA(&msg, nullptr, 0, 0)) {
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}
