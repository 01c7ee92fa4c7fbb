// USER, GDI stock objects and the kernel tick count on top of the screen backend.
#include "Layer.h"
#include "Screen.h"
#include "TestHooks.h"

#include <chrono>
#include <cstring>
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

// The message queue: a fixed ring, so that posting never allocates during a
// frame. Like the real one it has a limit: a message posted to a full queue
// is refused, as PostMessage fails then. The last place is kept for the quit
// message, which must always arrive.
constexpr size_t kQueueCapacity = 1024;
struct MessageQueue {
    MSG messages[kQueueCapacity];
    size_t first;
    size_t count;

    MSG& At(size_t i) { return messages[(first + i) % kQueueCapacity]; }
    void PopFront() {
        first = (first + 1) % kQueueCapacity;
        count--;
    }
};
MessageQueue g_queue;

HWND g_inputWindow = nullptr; // receives the screen's input: the last window created

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MessageQueue& queue = g_queue;
    // Like the real queue, pointer moves are coalesced: a move waiting at the
    // end just takes the newer position, so input never piles up behind a
    // slow frame.
    if (message == WM_MOUSEMOVE && queue.count > 0 && queue.At(queue.count - 1).message == WM_MOUSEMOVE &&
        queue.At(queue.count - 1).hwnd == window) {
        queue.At(queue.count - 1).lParam = lParam;
        queue.At(queue.count - 1).wParam = wParam;
        return true;
    }
    if (queue.count >= kQueueCapacity - (message == WM_QUIT ? 0 : 1)) {
        return false;
    }
    MSG& msg = queue.At(queue.count++);
    msg = MSG{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = ScreenTickCount();
    return true;
}

int g_frameWidth = 0; // what pointer positions are pinned to (NoteFrameSize)
int g_frameHeight = 0;

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// A pointer on a real screen cannot leave it: a position over a border
// around the frame is pinned to the frame's nearest edge.
LPARAM PointerPosition(int x, int y) {
    int width = g_frameWidth;
    int height = g_frameHeight;
    if (width <= 0 || height <= 0) {
        ScreenDesktopSize(&width, &height);
    }
    return MAKELPARAM(Clamp(x, 0, width - 1), Clamp(y, 0, height - 1));
}

// The screen's events become the input window's messages, as Windows sends them.
void PumpScreenEvents() {
    ScreenEvent event;
    while (ScreenNextEvent(&event)) {
        switch (event.kind) {
        case ScreenEventKind::PointerMoved:
            Post(g_inputWindow, WM_MOUSEMOVE, 0, PointerPosition(event.x, event.y));
            break;
        case ScreenEventKind::ButtonDown:
            // wParam: the buttons down after the change, as Windows gives them.
            Post(g_inputWindow, WM_LBUTTONDOWN, MK_LBUTTON, PointerPosition(event.x, event.y));
            break;
        case ScreenEventKind::ButtonUp:
            Post(g_inputWindow, WM_LBUTTONUP, 0, PointerPosition(event.x, event.y));
            break;
        case ScreenEventKind::KeyDown:
            // Repeat count 1; bit 30 marks an auto-repeat (the key already down).
            Post(g_inputWindow, WM_KEYDOWN, static_cast<WPARAM>(event.virtualKey),
                 event.repeat ? static_cast<LPARAM>(1 | (1L << 30)) : 1);
            break;
        case ScreenEventKind::Close:
            // The user asked to close, or the process to stop.
            Post(g_inputWindow, WM_CLOSE, 0, 0);
            break;
        }
    }
}

} // namespace

void NoteFrameSize(int width, int height) {
    g_frameWidth = width;
    g_frameHeight = height;
}

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

// Only the window the screen shows has a title anyone sees.
BOOL SetWindowTextA(HWND window, LPCSTR text) {
    if (window == nullptr) {
        return FALSE;
    }
    if (window == g_inputWindow) {
        ScreenSetTitle(text != nullptr ? text : "");
    }
    return TRUE;
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
    if (g_queue.count == 0) {
        return FALSE;
    }
    *msg = g_queue.At(0);
    if (removeFlags & PM_REMOVE) {
        g_queue.PopFront();
    }
    return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    PumpScreenEvents();
    while (g_queue.count == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        PumpScreenEvents();
    }
    *msg = g_queue.At(0);
    g_queue.PopFront();
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
    return Post(window, message, wParam, lParam) ? TRUE : FALSE;
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
