// The part of Win32 USER, GDI and the kernel that the system code uses, for
// platforms that have none of it (DirectDraw 7 is in DDraw.h, as on Windows).
// Names, records, values and calling shapes match the real headers so that the
// system code compiles unchanged on both; the objects are plain records with
// ordinary (non-virtual) members.
//
// Behaviour kept from the real platform because the system relies on it:
// - a message queue read one message at a time, WM_QUIT making GetMessageA return 0;
// - text output draws glyph pixels only (transparent background), clipped.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK
#define APIENTRY

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int BOOL;
typedef int32_t HRESULT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef DWORD COLORREF;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef void* HANDLE;
typedef WORD ATOM;

struct PortableWindow;
struct PortableDC;
typedef PortableWindow* HWND;
typedef PortableDC* HDC;
typedef struct PortableInstance* HINSTANCE;
typedef struct PortableIcon* HICON;
typedef struct PortableCursor* HCURSOR;
typedef struct PortableBrush* HBRUSH;
typedef struct PortableMenu* HMENU;
typedef void* HGDIOBJ;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define LOWORD(l) ((WORD)(((uintptr_t)(l)) & 0xFFFF))
#define HIWORD(l) ((WORD)((((uintptr_t)(l)) >> 16) & 0xFFFF))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)(((DWORD)(WORD)(lo)) | (((DWORD)(WORD)(hi)) << 16)))
#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define MAKEINTRESOURCEA(i) ((LPSTR)(uintptr_t)((WORD)(i)))

// Messages and flags the system uses.
#define WM_DESTROY 0x0002
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_KEYDOWN 0x0100
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define MK_LBUTTON 0x0001
#define VK_ESCAPE 0x1B
#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_POPUP 0x80000000u
#define SW_SHOWDEFAULT 10
#define SW_SHOWMAXIMIZED 3
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define BLACK_BRUSH 4
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define TRANSPARENT 1
#define OPAQUE 2

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECT* LPRECT;

struct POINT {
    LONG x;
    LONG y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
typedef MSG* LPMSG;

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

struct WNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
};

// USER
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL ShowWindow(HWND window, int command);
BOOL SetWindowTextA(HWND window, LPCSTR text);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
int GetSystemMetrics(int index);
BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom);

// GDI
HGDIOBJ GetStockObject(int index);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF colour);
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length);

// Kernel
DWORD GetTickCount();

// The program's entry.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
// Calls WinMain with the arguments Windows passes a program started normally:
// the portable main, the tests and the tools all enter the program this way.
int CallWinMain();
