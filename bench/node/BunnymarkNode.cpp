// The bunnymark's frame as the page draws it, timed under Node: the web
// build's row kernels (SIMD128, or the scalar ones) on the
// headless screen, the frame of bench/BenchDraw.cpp's Bunnymark rows (the
// bunnies moved, the screen cleared, every bunny drawn, the text). The page
// adds its present and the browser's work; this is the draws' part of it.
//   node build/web/bench/node/spritedemo-bunnymark-node-simd128.js [BUNNIES] [FRAMES]
// (-scalar.js: the same on the scalar kernels).
#include "bunnymark/Bunnies.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/Sprite.h"
#include "sprite/kernels/Kernels.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

DisplayDevice g_display; // as a program of the system's defines it

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 30000;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 100;
    if (count < 1 || frames < 1) {
        std::fprintf(stderr, "usage: spritedemo-bunnymark-node [BUNNIES] [FRAMES]\n");
        return 2;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "Bunnymark";
    RegisterClassExA(&windowClass);
    g_display.width = 640;
    g_display.height = 480;
    g_display.bitsPerPixel = 16;
    Sprite bunny;
    SpriteReadStatus status;
    if (g_display.Init(CreateWindowExA(0, "Bunnymark", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                                       nullptr)) != DD_OK ||
        !ReadSpriteFile(SPRITEDEMO_BUNNY_FILE, &bunny, &status)) {
        std::fprintf(stderr, "spritedemo-bunnymark-node: no display or no %s\n", SPRITEDEMO_BUNNY_FILE);
        return 1;
    }
    BuildBlendTable();
    BunnyField field;
    field.random.state = 7;
    ScatterBunnies(field, count);
    char line[64];
    std::snprintf(line, sizeof line, "bunnies: %d  FPS : %f", count, 60.0);
    for (int i = 0; i < 10; ++i) {
        DrawBunnyFrame(field, bunny, line);
    }
    const double start = emscripten_get_now();
    for (int i = 0; i < frames; ++i) {
        DrawBunnyFrame(field, bunny, line);
    }
    const double each = (emscripten_get_now() - start) / frames;
    std::printf("%d bunnies on %s: %.2f ms a frame, %.1f ns a bunny, %.0f bunnies in 16.67 ms\n", count,
                ActiveKernels().name, each, each * 1e6 / count, count * 16.67 / each);
    return 0;
}
