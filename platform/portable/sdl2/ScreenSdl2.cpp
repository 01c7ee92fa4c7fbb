// The sdl2 screen: one window covering the desktop, the front buffer shown as
// a streaming texture at the largest whole step that fits, centred on black,
// and SDL's input reported as the screen's events.
#include "platform/Widen.h"
#include "platform/portable/Screen.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <unistd.h>

namespace {

struct SdlScreen {
    bool videoStarted;
    bool videoFailed; // tried once and failed: don't retry or repeat the message
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    int frameWidth; // size of the texture, which is also the logical size
    int frameHeight;
    bool displayLost; // the window system's connection failed: never touch it again
    bool closing;
    Uint32 textureFormat;
    bool widen; // the frame is widened into the texture in wideOrder
    WideOrder wideOrder;
};

SdlScreen g_sdlScreen = {};

// Runs at process exit, before the system's globals are destroyed (they were
// constructed before this was registered); none of those touches SDL.
void CloseSdlScreen() {
    // Tidying up over a dead connection waits for replies that never come.
    if (g_sdlScreen.displayLost) {
        return;
    }
    g_sdlScreen.closing = true;
    if (g_sdlScreen.texture) {
        SDL_DestroyTexture(g_sdlScreen.texture);
    }
    if (g_sdlScreen.renderer) {
        SDL_DestroyRenderer(g_sdlScreen.renderer);
    }
    if (g_sdlScreen.window) {
        SDL_DestroyWindow(g_sdlScreen.window);
    }
    g_sdlScreen = SdlScreen{};
    SDL_Quit();
}

// Xlib calls this when the X server's connection fails (the server stopped, a
// forwarded connection dropped) and ends the process if it returns. Its own
// handler just exits, and CloseSdlScreen then waits on the dead connection
// for events that never come, forever; this one leaves SDL alone.
int OnDisplayLost(void*) {
    std::fputs("spritedemo: lost the connection to the display; ending\n", stderr);
    if (g_sdlScreen.closing) {
        _exit(1); // already inside exit: it must not run twice
    }
    g_sdlScreen.displayLost = true;
    std::exit(1);
}

// SDL loads Xlib itself, only for its X11 driver; its I/O error handler is
// one for the whole process, so set it there, through the library SDL loaded.
void WatchForLostDisplay() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || SDL_strcmp(driver, "x11") != 0) {
        return;
    }
    using IoErrorHandler = int (*)(void*);
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    void* setHandler = xlib ? dlsym(xlib, "XSetIOErrorHandler") : nullptr;
    if (setHandler) {
        reinterpret_cast<IoErrorHandler (*)(IoErrorHandler)>(setHandler)(OnDisplayLost);
    }
    if (xlib) {
        dlclose(xlib);
    }
}

// SDL's video is started on first use, whichever screen call comes first.
bool StartVideo() {
    if (g_sdlScreen.videoStarted || g_sdlScreen.videoFailed) {
        return g_sdlScreen.videoStarted;
    }
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "spritedemo: cannot start SDL video: %s\n", SDL_GetError());
        g_sdlScreen.videoFailed = true;
        return false;
    }
    // With no display at all SDL falls back to an invisible screen; the demo
    // would then run unseen, so refuse it unless it was asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && SDL_strcmp(driver, "offscreen") == 0 && !SDL_getenv("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "spritedemo: no display to show the demo on (is DISPLAY set?)\n");
        SDL_Quit();
        g_sdlScreen.videoFailed = true;
        return false;
    }
    g_sdlScreen.videoStarted = true;
    WatchForLostDisplay();
    std::atexit(CloseSdlScreen);
    return true;
}

// The frame texture's format: one the renderer takes as it is, because SDL
// converts every frame otherwise (its GL renderers have no RGB565 textures,
// so before each upload). Best first: RGB565 as the frame is; R, G, B, A
// bytes, the upload every GL takes as it is (BGRA is an extension, which
// Mesa's software GL swizzles at four times the cost); then B, G, R, A.
// WidenPixels widens into the 32-bit ones. The software renderer lists nearly
// everything but converts on each scaled copy unless the texture has the
// window's format, so for it only that one counts.
void ChooseTextureFormat() {
    struct Candidate {
        Uint32 format;
        bool widen;
        WideOrder order;
    };
    static const Candidate kCandidates[] = {
        {SDL_PIXELFORMAT_RGB565, false, WideOrder::Rgba},
#if SDL_BYTEORDER == SDL_LIL_ENDIAN // alpha, or the unused byte, is 255 either way
        {SDL_PIXELFORMAT_ABGR8888, true, WideOrder::Rgba},
        {SDL_PIXELFORMAT_BGR888, true, WideOrder::Rgba},
        {SDL_PIXELFORMAT_ARGB8888, true, WideOrder::Bgra},
        {SDL_PIXELFORMAT_RGB888, true, WideOrder::Bgra},
#endif
    };
    g_sdlScreen.textureFormat = SDL_PIXELFORMAT_RGB565; // SDL converts, as it must
    g_sdlScreen.widen = false;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(g_sdlScreen.renderer, &info) != 0) {
        return;
    }
    const bool software = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    const Uint32 windowFormat = SDL_GetWindowPixelFormat(g_sdlScreen.window);
    for (const Candidate& candidate : kCandidates) {
        for (Uint32 i = 0; i < info.num_texture_formats; ++i) {
            if (info.texture_formats[i] == candidate.format && (!software || candidate.format == windowFormat)) {
                g_sdlScreen.textureFormat = candidate.format;
                g_sdlScreen.widen = candidate.widen;
                g_sdlScreen.wideOrder = candidate.order;
                return;
            }
        }
    }
}

// Makes the texture width x height and the renderer's logical size the same,
// so the frame is scaled to fit and pointer positions arrive in frame pixels.
// Whole steps only, so that every frame pixel is as wide as the next; a
// screen smaller than the frame gets it fitted instead (SDL would crop it).
bool UseFrameSize(int width, int height) {
    if (g_sdlScreen.texture && g_sdlScreen.frameWidth == width && g_sdlScreen.frameHeight == height) {
        return true;
    }
    if (g_sdlScreen.texture) {
        SDL_DestroyTexture(g_sdlScreen.texture);
        g_sdlScreen.texture = nullptr;
    }
    g_sdlScreen.texture =
        SDL_CreateTexture(g_sdlScreen.renderer, g_sdlScreen.textureFormat, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!g_sdlScreen.texture) {
        std::fprintf(stderr, "spritedemo: cannot create a %dx%d frame texture: %s\n", width, height, SDL_GetError());
        return false;
    }
    if (SDL_RenderSetLogicalSize(g_sdlScreen.renderer, width, height) != 0) {
        std::fprintf(stderr, "spritedemo: cannot scale the frame to the window: %s\n", SDL_GetError());
        SDL_DestroyTexture(g_sdlScreen.texture);
        g_sdlScreen.texture = nullptr;
        return false;
    }
    int outputWidth = 0;
    int outputHeight = 0;
    const bool fits = SDL_GetRendererOutputSize(g_sdlScreen.renderer, &outputWidth, &outputHeight) == 0 &&
                      outputWidth >= width && outputHeight >= height;
    SDL_RenderSetIntegerScale(g_sdlScreen.renderer, fits ? SDL_TRUE : SDL_FALSE);
    g_sdlScreen.frameWidth = width;
    g_sdlScreen.frameHeight = height;
    return true;
}

// Windows virtual keys for letters, digits, Esc, Tab, Backspace, Enter and
// Space are their ASCII codes, as are SDL's key codes for them (SDL's letters
// are lower case). Anything else is reported as key 0.
int VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if ((key >= SDLK_0 && key <= SDLK_9) || key == SDLK_ESCAPE || key == SDLK_TAB || key == SDLK_BACKSPACE ||
        key == SDLK_RETURN || key == SDLK_SPACE) {
        return static_cast<int>(key);
    }
    return 0;
}

} // namespace

void ScreenDesktopSize(int* width, int* height) {
    SDL_DisplayMode mode;
    if (StartVideo() && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        *width = mode.w;
        *height = mode.h;
        return;
    }
    // Without a display the window can't be created either; that failure is
    // the one the program acts on, so any plausible size will do here.
    *width = 640;
    *height = 480;
}

bool ScreenOpen() {
    if (g_sdlScreen.window) {
        return true;
    }
    if (!StartVideo()) {
        return false;
    }
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) != 0) {
        std::fprintf(stderr, "spritedemo: cannot read the display size: %s\n", SDL_GetError());
        return false;
    }
    // The program's own window title; fullscreen-desktop keeps the desktop
    // mode and covers it without a border.
    g_sdlScreen.window = SDL_CreateWindow("Client", bounds.x, bounds.y, bounds.w, bounds.h,
                                          SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_SHOWN);
    if (!g_sdlScreen.window) {
        std::fprintf(stderr, "spritedemo: cannot create the window: %s\n", SDL_GetError());
        return false;
    }
    g_sdlScreen.renderer =
        SDL_CreateRenderer(g_sdlScreen.window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!g_sdlScreen.renderer) {
        // No GPU (for instance a virtual X server): draw in software instead.
        g_sdlScreen.renderer = SDL_CreateRenderer(g_sdlScreen.window, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!g_sdlScreen.renderer) {
        std::fprintf(stderr, "spritedemo: cannot create a renderer: %s\n", SDL_GetError());
        SDL_DestroyWindow(g_sdlScreen.window);
        g_sdlScreen.window = nullptr;
        return false;
    }
    ChooseTextureFormat();
    SDL_SetRenderDrawColor(g_sdlScreen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_sdlScreen.renderer);
    SDL_RenderPresent(g_sdlScreen.renderer);
    SDL_RaiseWindow(g_sdlScreen.window);
    return true;
}

HRESULT ScreenSetMode(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 16 || width <= 0 || height <= 0) {
        return DDERR_INVALIDMODE;
    }
    if (!g_sdlScreen.renderer) {
        return DDERR_GENERIC;
    }
    if (!UseFrameSize(width, height)) {
        return DDERR_GENERIC;
    }
    // A mode switch leaves the screen black until the first frame.
    SDL_SetRenderDrawColor(g_sdlScreen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_sdlScreen.renderer);
    SDL_RenderPresent(g_sdlScreen.renderer);
    return DD_OK;
}

void ScreenPresent(const uint8_t* pixels, int width, int height, LONG pitch) {
    if (!g_sdlScreen.renderer || !pixels || width <= 0 || height <= 0 || pitch < width * 2) {
        return;
    }
    // Normally the mode's size; a frame of another size becomes the new one.
    if (!UseFrameSize(width, height)) {
        return;
    }
    if (g_sdlScreen.widen) {
        // Straight into the texture's own memory.
        void* texels = nullptr;
        int texelPitch = 0;
        if (SDL_LockTexture(g_sdlScreen.texture, nullptr, &texels, &texelPitch) != 0) {
            return;
        }
        WidenPixels(static_cast<uint8_t*>(texels), texelPitch, pixels, pitch, width, height, g_sdlScreen.wideOrder);
        SDL_UnlockTexture(g_sdlScreen.texture);
    } else {
        SDL_UpdateTexture(g_sdlScreen.texture, nullptr, pixels, pitch);
    }
    SDL_SetRenderDrawColor(g_sdlScreen.renderer, 0, 0, 0, 255);
    SDL_RenderClear(g_sdlScreen.renderer);
    SDL_RenderCopy(g_sdlScreen.renderer, g_sdlScreen.texture, nullptr, nullptr);
    SDL_RenderPresent(g_sdlScreen.renderer);
}

void ScreenSetTitle(const char* text) {
    if (g_sdlScreen.window) {
        SDL_SetWindowTitle(g_sdlScreen.window, text);
    }
}

bool ScreenNextEvent(ScreenEvent* out) {
    if (!g_sdlScreen.window) {
        return false;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_MOUSEMOTION:
            // The renderer has already mapped the position into logical
            // (frame) coordinates; over the black bars it lies outside.
            *out = {ScreenEventKind::PointerMoved, event.motion.x, event.motion.y, 0, false};
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            // A finger comes as the left button too: SDL makes mouse events
            // of touches unless told not to. Mapped like a motion's.
            if (event.button.button != SDL_BUTTON_LEFT) {
                break;
            }
            *out = {event.type == SDL_MOUSEBUTTONDOWN ? ScreenEventKind::ButtonDown : ScreenEventKind::ButtonUp,
                    event.button.x, event.button.y, 0, false};
            return true;
        case SDL_KEYDOWN:
            *out = {ScreenEventKind::KeyDown, 0, 0, VirtualKey(event.key.keysym.sym), event.key.repeat != 0};
            return true;
        case SDL_QUIT:
            // Closing the window, or an interrupt signal.
            *out = {ScreenEventKind::Close, 0, 0, 0, false};
            return true;
        default:
            break;
        }
    }
    return false;
}

DWORD ScreenTickCount() {
    return SDL_GetTicks();
}
