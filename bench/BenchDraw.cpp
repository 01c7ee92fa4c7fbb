// How long the compositor takes: each draw routine on the sample girl, and a
// whole demo frame (clear, eighteen draws, text, present). Measures only.
//   cmake --preset bench && cmake --build --preset bench
//   build/bench/bench/spritedemo_bench
#include "app/Scene.h"
#include "app/WinMain.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/Sprite.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

// g_display set up fullscreen on the headless screen, with the sample sprites.
void SetUpOnce() {
    static bool ready = [] {
        g_display.width = 640;
        g_display.height = 480;
        g_display.bitsPerPixel = 16;
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = "Bench";
        RegisterClassExA(&windowClass);
        HWND window = CreateWindowExA(0, "Bench", "", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        if (g_display.Init(window) != DD_OK) {
            std::abort();
        }
        g_girlFileName = SPRITEDEMO_BINARY_DIR "/demo/girl.spr";
        g_backgroundFileName = SPRITEDEMO_BINARY_DIR "/demo/bg.spr";
        StartScene();
        if (g_girlSprites.sprites.empty() || g_backgroundSprites.sprites.empty()) {
            std::abort();
        }
        return true;
    }();
    (void)ready;
}

const Sprite& Girl() {
    return g_girlSprites.sprites[0];
}

void PixelsProcessed(benchmark::State& state, const Sprite& sprite) {
    const SpriteFrame& frame = sprite.frames[0];
    state.SetItemsProcessed(state.iterations() * frame.width * frame.height);
}

void BM_DrawKeyed(benchmark::State& state) {
    SetUpOnce();
    for (auto _ : state) {
        Girl().DrawKeyed(g_display.backBuffer, 100, 100);
    }
    PixelsProcessed(state, Girl());
}

void BM_DrawAlpha(benchmark::State& state) {
    SetUpOnce();
    for (auto _ : state) {
        Girl().DrawAlpha(g_display.backBuffer, 100, 100);
    }
    PixelsProcessed(state, Girl());
}

void BM_DrawTranslucent(benchmark::State& state) {
    SetUpOnce();
    for (auto _ : state) {
        Girl().DrawTranslucent(g_display.backBuffer, 100, 100, 128);
    }
    PixelsProcessed(state, Girl());
}

void BM_DrawTinted(benchmark::State& state) {
    SetUpOnce();
    for (auto _ : state) {
        Girl().DrawTinted(g_display.backBuffer, 100, 100, 0x0000FF, 128);
    }
    PixelsProcessed(state, Girl());
}

void BM_DrawBackground(benchmark::State& state) {
    SetUpOnce();
    const Sprite& background = g_backgroundSprites.sprites[0];
    for (auto _ : state) {
        background.Draw(g_display.backBuffer, 100, 100);
    }
    PixelsProcessed(state, background);
}

void BM_SceneFrame(benchmark::State& state) {
    SetUpOnce();
    FrameRate frameRate;
    g_mouseX = 100;
    g_mouseY = 80;
    for (auto _ : state) {
        g_display.Clear(0x00FFFFFF);
        DrawScene();
        DrawFrameRate(frameRate);
        g_display.Present();
    }
}

} // namespace

BENCHMARK(BM_DrawKeyed);
BENCHMARK(BM_DrawAlpha);
BENCHMARK(BM_DrawTranslucent);
BENCHMARK(BM_DrawTinted);
BENCHMARK(BM_DrawBackground);
BENCHMARK(BM_SceneFrame);
