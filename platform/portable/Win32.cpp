// USER, GDI stock objects and the kernel tick count on top of the screen backend.
#include "Screen.h"

#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

struct PortableWindow {
    WNDPROC proc;
    bool visible;
};

static PortableStats g_ownStats;
PortableStats* g_portableStats = &g_ownStats;

namespace {

struct RegisteredClass {
    std::string name;
    WNDPROC proc;
};

// Windows and classes live until the process ends, as the program never
// destroys them; held through heap pointers so no exit-time destructor of
// ours runs before the display device's.
std::vector<RegisteredClass>& Classes() {
    static auto* classes = new std::vector<RegisteredClass>();
    return *classes;
}

std::vector<std::unique_ptr<PortableWindow>>& Windows() {
    static auto* windows = new std::vector<std::unique_ptr<PortableWindow>>();
    return *windows;
}

std::deque<MSG>& Queue() {
    static auto* queue = new std::deque<MSG>();
    return *queue;
}

HWND g_inputWindow = nullptr; // receives the screen's input: the last window created

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::deque<MSG>& queue = Queue();
    // Like the real queue, pointer moves are coalesced: a move waiting at the
    // end just takes the newer position, so input never piles up behind a
    // slow frame.
    if (message == WM_MOUSEMOVE && !queue.empty() && queue.back().message == WM_MOUSEMOVE &&
        queue.back().hwnd == window) {
        queue.back().lParam = lParam;
        queue.back().wParam = wParam;
        return;
    }
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = ScreenTickCount();
    queue.push_back(msg);
}

void PumpScreenEvents() {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    while (ScreenNextEvent(&message, &wParam, &lParam)) {
        Post(g_inputWindow, message, wParam, lParam);
    }
}

} // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) || windowClass->lpszClassName == nullptr ||
        windowClass->lpfnWndProc == nullptr) {
        return 0;
    }
    for (const RegisteredClass& known : Classes()) {
        if (known.name == windowClass->lpszClassName) {
            return 0;
        }
    }
    Classes().push_back({windowClass->lpszClassName, windowClass->lpfnWndProc});
    return static_cast<ATOM>(0xC000 + Classes().size());
}

// The window covers whatever the screen shows; its style and place are the
// screen backend's business.
HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
    WNDPROC proc = nullptr;
    for (const RegisteredClass& known : Classes()) {
        if (className != nullptr && known.name == className) {
            proc = known.proc;
        }
    }
    if (proc == nullptr || !ScreenOpen()) {
        return nullptr;
    }
    Windows().push_back(std::make_unique<PortableWindow>());
    PortableWindow* window = Windows().back().get();
    window->proc = proc;
    window->visible = false;
    g_inputWindow = window;
    g_portableStats->windowsCreated++;
    return window;
}

BOOL ShowWindow(HWND window, int) {
    if (window == nullptr) {
        return FALSE;
    }
    BOOL wasVisible = window->visible ? TRUE : FALSE;
    window->visible = true;
    return wasVisible;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    static int arrow;
    return reinterpret_cast<HCURSOR>(&arrow);
}

HGDIOBJ GetStockObject(int) {
    static int brush;
    return &brush;
}

int GetSystemMetrics(int index) {
    int width = 0;
    int height = 0;
    ScreenDesktopSize(&width, &height);
    switch (index) {
    case SM_CXSCREEN:
        return width;
    case SM_CYSCREEN:
        return height;
    default:
        return 0;
    }
}

BOOL PeekMessageA(LPMSG msg, HWND, UINT, UINT, UINT removeFlags) {
    PumpScreenEvents();
    if (Queue().empty()) {
        return FALSE;
    }
    *msg = Queue().front();
    if (removeFlags & PM_REMOVE) {
        Queue().pop_front();
    }
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    PumpScreenEvents();
    while (Queue().empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PumpScreenEvents();
    }
    *msg = Queue().front();
    Queue().pop_front();
    g_portableStats->messagesRetrieved++;
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG*) {
    return FALSE; // no character messages: nothing here reads them
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr || msg->hwnd->proc == nullptr) {
        return 0;
    }
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Post(window, message, wParam, lParam);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
    if (rect == nullptr) {
        return FALSE;
    }
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
    return TRUE;
}

DWORD GetTickCount() {
    return ScreenTickCount();
}

int CallWinMain() {
    static int instance; // any unique address will do as the instance handle
    char commandLine[] = "";
    return WinMain(reinterpret_cast<HINSTANCE>(&instance), nullptr, commandLine, SW_SHOWDEFAULT);
}
