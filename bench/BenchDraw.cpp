// spritedemo-bench: what compositing costs. Each draw routine on every
// instruction set this processor runs, the same per-pixel-alpha composite
// done by SDL2 and pixman (BenchPeers.cpp), a memcpy of as many bytes as the
// composite moves, and the whole demo frame. Measures only; never a test.
//   cmake --preset bench && cmake --build --preset bench
//   build/bench/bench/spritedemo-bench
// SPRITEDEMO_BENCH_ITERATIONS=N runs every benchmark exactly N times (for
// counting instructions under callgrind).
#include "app/Scene.h"
#include "app/WinMain.h"
#include "bench/BenchArt.h"
#include "bench/BenchPeers.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/kernels/Kernels.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// g_display set up fullscreen on the headless screen, the sample sprites
// loaded and the blend table built, as WinMain leaves them.
void SetUpDisplay() {
    static const bool ready = [] {
        g_display.width = kSurfaceWidth;
        g_display.height = kSurfaceHeight;
        g_display.bitsPerPixel = 16;
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = WindowProc;
        windowClass.lpszClassName = "Bench";
        RegisterClassExA(&windowClass);
        HWND window = CreateWindowExA(0, "Bench", "", WS_POPUP, 0, 0, kSurfaceWidth, kSurfaceHeight, nullptr, nullptr,
                                      nullptr, nullptr);
        if (g_display.Init(window) != DD_OK) {
            std::fprintf(stderr, "spritedemo-bench: the headless display did not set up\n");
            std::exit(1);
        }
        g_girlFileName = SPRITEDEMO_BINARY_DIR "/demo/girl.spr";
        g_backgroundFileName = SPRITEDEMO_BINARY_DIR "/demo/bg.spr";
        StartScene();
        if (g_girlSprites.sprites.empty() || g_backgroundSprites.sprites.empty()) {
            std::fprintf(stderr, "spritedemo-bench: the sample sprites did not load\n");
            std::exit(1);
        }
        return true;
    }();
    (void)ready;
}

// The back buffer filled with the varied background.
void FillBackBuffer() {
    DDSURFACEDESC2 description = {};
    description.dwSize = sizeof(description);
    if (g_display.backBuffer->Lock(nullptr, &description, DDLOCK_WAIT, nullptr) != DD_OK) {
        std::exit(1);
    }
    g_display.backBuffer->Unlock(nullptr);
    FillBackground(static_cast<uint8_t*>(description.lpSurface), description.lPitch);
}

enum class Routine { Keyed, Alpha, Translucent, Tinted };

void DrawRoutine(benchmark::State& state, const RowKernels* kernels, Routine routine) {
    SetUpDisplay();
    UseKernels(*kernels);
    FillBackBuffer();
    const BenchArt& art = Art();
    LPDIRECTDRAWSURFACE7 target = g_display.backBuffer;
    CycleArt(state, [&](int i) {
        const Sprite& sprite = art.sprites[i];
        switch (routine) {
        case Routine::Keyed:
            sprite.DrawKeyed(target, art.x[i], art.y[i]);
            break;
        case Routine::Alpha:
            sprite.DrawAlpha(target, art.x[i], art.y[i]);
            break;
        case Routine::Translucent:
            sprite.DrawTranslucent(target, art.x[i], art.y[i], 128);
            break;
        case Routine::Tinted:
            sprite.DrawTinted(target, art.x[i], art.y[i], 0x0000FF, 128);
            break;
        }
    });
}

// Bytes the row kernels of one frame read and write, counted by kernels that
// tally their rows and hand them on to the scalar set.
int64_t g_rowBytes = 0;
const RowKernels g_countingKernels = {
    "counting",
    [](uint8_t* d, const uint8_t* s, int n, uint16_t key) {
        g_rowBytes += 6 * int64_t{n};
        g_scalarKernels.keyed(d, s, n, key);
    },
    [](uint8_t* d, const uint8_t* s, const uint8_t* a, int n, uint16_t key) {
        g_rowBytes += 7 * int64_t{n};
        g_scalarKernels.alpha(d, s, a, n, key);
    },
    [](uint8_t* d, const uint8_t* s, int n, uint16_t key, int weight) {
        g_rowBytes += 6 * int64_t{n};
        g_scalarKernels.translucent(d, s, n, key, weight);
    },
    [](uint8_t* d, const uint8_t* s, const uint8_t* a, int n, uint16_t key, uint16_t tint, int weight) {
        g_rowBytes += 7 * int64_t{n};
        g_scalarKernels.tinted(d, s, a, n, key, tint, weight);
    },
    [](uint8_t* d, const uint8_t* s, int n, uint16_t key, uint16_t tint, int weight) {
        g_rowBytes += 6 * int64_t{n};
        g_scalarKernels.tintedOpaque(d, s, n, key, tint, weight);
    },
    [](uint8_t* w, const uint8_t* s, int n, WideOrder order) { g_scalarKernels.widen(w, s, n, order); },
};

void Frame(FrameRate& frameRate) {
    g_display.Clear(0x00FFFFFF);
    DrawScene();
    DrawFrameRate(frameRate);
    g_display.Present();
}

// The whole demo frame: clear, the eighteen draws, the text, present. Bytes
// are what the clear writes, the draws read and write, and the present copies.
void DemoFrame(benchmark::State& state, const RowKernels* kernels) {
    SetUpDisplay();
    g_mouseX = 100;
    g_mouseY = 80;
    FrameRate frameRate;
    UseKernels(g_countingKernels);
    g_rowBytes = 0;
    Frame(frameRate);
    const int64_t surfaceBytes = int64_t{2} * kSurfaceWidth * kSurfaceHeight;
    const int64_t frameBytes = surfaceBytes + g_rowBytes + 2 * surfaceBytes;

    UseKernels(*kernels);
    for (auto _ : state) {
        Frame(frameRate);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * frameBytes);
    state.counters["bytes_per_frame"] = static_cast<double>(frameBytes);
}

// The memory limit: memcpy of the 7 bytes a pixel that the alpha composite
// reads (source 2, alpha 1, destination 2) and writes (2), from sixteen
// sprite-sized buffers as the draws have. Bytes are the bytes copied.
void MemcpyLimit(benchmark::State& state) {
    const size_t copied = kArtPixels * 7;
    static std::vector<uint8_t> from(kArtCount * copied, 0x5A), to(kArtCount * copied);
    CycleArt(state, [&](int i) {
        std::memcpy(to.data() + i * copied, from.data() + i * copied, copied);
        benchmark::ClobberMemory();
    });
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(copied));
}

// Clearing and presenting the whole screen, to compare with the memcpy limit:
// the clear writes the back buffer once, the present copies it to the screen.
void ClearScreen(benchmark::State& state) {
    SetUpDisplay();
    for (auto _ : state) {
        g_display.Clear(0x00FFFFFF);
    }
    state.SetBytesProcessed(state.iterations() * int64_t{2} * kSurfaceWidth * kSurfaceHeight);
}

void PresentScreen(benchmark::State& state) {
    SetUpDisplay();
    for (auto _ : state) {
        g_display.Present();
    }
    state.SetBytesProcessed(state.iterations() * int64_t{2} * kSurfaceWidth * kSurfaceHeight);
}

} // namespace

int main(int argc, char** argv) {
    const char* fixed = std::getenv("SPRITEDEMO_BENCH_ITERATIONS");
    const long iterations = fixed != nullptr ? std::atol(fixed) : 0;
    const auto add = [iterations](const std::string& name, auto&& function, auto... arguments) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), function, arguments...);
        if (iterations > 0) {
            b->Iterations(iterations);
        }
    };

    struct Named {
        const char* name;
        Routine routine;
    };
    static const Named kRoutines[] = {{"Keyed", Routine::Keyed},
                                      {"Alpha", Routine::Alpha},
                                      {"Translucent", Routine::Translucent},
                                      {"Tinted", Routine::Tinted}};
    int count = 0;
    const KernelSet* sets = BuiltKernelSets(&count);
    for (const Named& routine : kRoutines) {
        for (int i = 0; i < count; ++i) {
            if (sets[i].runnable) {
                add(std::string(routine.name) + "/" + sets[i].kernels->name, DrawRoutine, sets[i].kernels,
                    routine.routine);
            }
        }
    }
    add("Peer/sdl2_alpha", PeerSdl2Alpha);
    add("Peer/pixman_over", PeerPixmanOver);
    add("Limit/memcpy", MemcpyLimit);
    add("Portable/clear", ClearScreen);
    add("Portable/present", PresentScreen);
    for (int i = 0; i < count; ++i) {
        if (sets[i].runnable) {
            add(std::string("Frame/") + sets[i].kernels->name, DemoFrame, sets[i].kernels);
        }
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
