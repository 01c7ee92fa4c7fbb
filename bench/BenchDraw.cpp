// spritedemo-bench: what compositing costs. Each draw routine on every
// instruction set this processor runs and on the set the demo picks, at
// sizes from 1x1 to 256x256 and on real art; the same draws done by SDL2 and
// pixman (BenchPeers.cpp); the limits a draw of that geometry cannot beat;
// the whole demo frame; and the bunnymark's frame, on every set and by the
// peers. Measures only; never a test.
//   cmake --preset bench && cmake --build --preset bench
//   build/bench/bench/spritedemo-bench
// bench/size_table.py turns its --benchmark_format=json output into the size
// table and plot of docs/PERFORMANCE.md.
// SPRITEDEMO_BENCH_ITERATIONS=N runs every benchmark exactly N times (for
// counting instructions under callgrind).
#include "app/Scene.h"
#include "app/WinMain.h"
#include "bench/BenchArt.h"
#include "bench/BenchPeers.h"
#include "bunnymark/Bunnies.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "sprite/kernels/Kernels.h"
#include "tests/support/DrawRoutines.h"
#include "tests/support/EverySet.h"

#include <benchmark/benchmark.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

// The demo's scene draws: opacity 128, tint 0x0000FF at 128.
void DrawSprites(benchmark::State& state, const RowKernels* kernels, const DrawRoutine* routine, ArtName name) {
    const ArtSet* art = &ArtOf(name);
    SetUpDisplay();
    UseKernels(*kernels);
    FillBackBuffer();
    LPDIRECTDRAWSURFACE7 target = g_display.backBuffer;
    CycleArt(state, *art, [&](int i) { routine->Run(*art->sprites[i], target, art->drawX[i], art->drawY[i], {}); });
}

// Bytes the row kernels of one frame read and write, counted by kernels that
// tally their rows and hand them on to the scalar set.
int64_t g_rowBytes = 0;
template <int kBytesPerPixel, RowKernel RowKernels::*kRoutine> void Counting(const PixelRows& rows) {
    const int64_t rowCount = (rows.destinationEnd - rows.destination) / rows.destinationPitch;
    g_rowBytes += kBytesPerPixel * rowCount * rows.width;
    (g_scalarKernels.*kRoutine)(rows);
}
const RowKernels g_countingKernels = {"counting",
                                      Counting<6, &RowKernels::keyed>,
                                      Counting<7, &RowKernels::alpha>,
                                      Counting<6, &RowKernels::translucent>,
                                      Counting<7, &RowKernels::tinted>,
                                      Counting<6, &RowKernels::tintedOpaque>};

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

// The bunnymark's frame, one an iteration, as the program draws it: every
// bunny moved, the back buffer cleared white, every bunny drawn by its alpha,
// then the line with the count.
void BunnymarkFrame(benchmark::State& state, const RowKernels* kernels, int count) {
    SetUpDisplay();
    const Sprite& bunny = *ArtOf(kBunnyArt).sprites[0];
    BunnyField field = SeededBunnies(count);
    char line[64];
    std::snprintf(line, sizeof line, "bunnies: %d  FPS : %f", count, 60.0);
    UseKernels(*kernels);
    for (auto _ : state) {
        DrawBunnyFrame(field, bunny, line);
    }
    CountBunnies(state, count);
}

// A surface-sized buffer with the background, for the limits.
uint8_t* LimitSurface() {
    static std::vector<uint8_t> surface = [] {
        std::vector<uint8_t> bytes(2 * kSurfaceWidth * kSurfaceHeight);
        FillBackground(bytes.data(), 2 * kSurfaceWidth);
        return bytes;
    }();
    return surface.data();
}

// One row of the limit's traffic: 5 bytes read and 2 written a pixel, with
// the least arithmetic that keeps every byte live. On AVX-512BW one masked
// 32-pixel step covers any row end, so no width pays for a remainder.
void TrafficRowPortable(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count) {
    for (int i = 0; i < count; ++i) {
        destination[2 * i] ^= source[2 * i] ^ alpha[i];
        destination[2 * i + 1] ^= source[2 * i + 1];
    }
}

#if defined(__x86_64__)
__attribute__((target("avx512f,avx512bw,avx512vl"))) void TrafficRowAvx512(uint8_t* destination, const uint8_t* source,
                                                                           const uint8_t* alpha, int count) {
    for (int i = 0; i < count; i += 32) {
        const __mmask32 mask = count - i >= 32 ? ~__mmask32{0} : (__mmask32{1} << (count - i)) - 1;
        const __m512i d = _mm512_maskz_loadu_epi16(mask, destination + 2 * i);
        const __m512i s = _mm512_maskz_loadu_epi16(mask, source + 2 * i);
        const __m512i a = _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(mask, alpha + i));
        _mm512_mask_storeu_epi16(destination + 2 * i, mask, _mm512_xor_si512(d, _mm512_xor_si512(s, a)));
    }
}
#endif

using TrafficRow = void (*)(uint8_t*, const uint8_t*, const uint8_t*, int);

TrafficRow PickTrafficRow() {
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx512bw")) {
        return TrafficRowAvx512;
    }
#endif
    return TrafficRowPortable;
}

// What the alpha draw must move: its source, alpha and destination rows read
// and its destination rows written, laid out as the draw has them (sprite
// blocks, surface rows at the sprite's place), with no placement, clipping or
// pixel rules.
void TrafficLimit(benchmark::State& state, ArtName name) {
    const ArtSet* art = &ArtOf(name);
    uint8_t* surface = LimitSurface();
    const ptrdiff_t pitch = 2 * kSurfaceWidth;
    const TrafficRow trafficRow = PickTrafficRow();
    CycleArt(state, *art, [&](int i) {
        const SpriteFrame& frame = art->sprites[i]->frames[0];
        uint8_t* row = surface + art->y[i] * pitch + 2 * art->x[i];
        for (int v = 0; v < art->height; ++v, row += pitch) {
            const ptrdiff_t first = ptrdiff_t{v} * art->width;
            trafficRow(row, frame.pixelBlock.data.get() + 2 * first, frame.alphaBlock.data.get() + first, art->width);
        }
        benchmark::ClobberMemory();
    });
}

// An opaque blit of the same geometry: the sprite's rows copied into the
// surface at its place.
void RowCopyLimit(benchmark::State& state, ArtName name) {
    const ArtSet* art = &ArtOf(name);
    uint8_t* surface = LimitSurface();
    const ptrdiff_t pitch = 2 * kSurfaceWidth;
    const size_t rowBytes = 2 * static_cast<size_t>(art->width);
    CycleArt(state, *art, [&](int i) {
        const uint8_t* source = art->sprites[i]->frames[0].pixelBlock.data.get();
        uint8_t* row = surface + art->y[i] * pitch + 2 * art->x[i];
        for (int v = 0; v < art->height; ++v, row += pitch, source += rowBytes) {
            std::memcpy(row, source, rowBytes);
        }
        benchmark::ClobberMemory();
    });
}

// Clearing and presenting the whole screen: the clear writes the back buffer
// once, the present copies it to the screen at the speed of memcpy.
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

struct Size {
    int width;
    int height;
    std::string name;
};

// The sprites of PERFORMANCE.md's per-set table (128x64), square sprites
// from a glyph to a quarter of the screen, and odd widths that leave a
// remainder on every set.
const Size kSizes[] = {{128, 64, "128x64"}, {1, 1, "1"},       {4, 4, "4"},       {8, 8, "8"},
                       {16, 16, "16"},      {32, 32, "32"},    {64, 64, "64"},    {128, 128, "128"},
                       {256, 256, "256"},   {15, 16, "15x16"}, {17, 16, "17x16"}, {33, 16, "33x16"}};

// Registers a benchmark, run exactly SPRITEDEMO_BENCH_ITERATIONS times when that is set.
template <typename Function, typename... Arguments>
void Add(const std::string& name, Function function, Arguments... arguments) {
    static const char* fixed = std::getenv("SPRITEDEMO_BENCH_ITERATIONS");
    static const long iterations = fixed != nullptr ? std::atol(fixed) : 0;
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name.c_str(), function, arguments...);
    if (iterations > 0) {
        b->Iterations(iterations);
    }
}

using NamedSets = std::vector<std::pair<std::string, const RowKernels*>>;

// group/routine/set/art for every routine on every set: Sprite::Draw is one
// of two of them, so it has no rows of its own; with alphaOnly, only the
// routines that read alpha values.
void AddDraws(const NamedSets& sets, const std::string& group, const std::string& artName, const ArtName& art,
              bool alphaOnly) {
    for (const DrawRoutine& routine : kDrawRoutines) {
        if (routine.kind == DrawRoutine::Draw || (alphaOnly && !routine.readsAlpha)) {
            continue;
        }
        for (const auto& [isa, kernels] : sets) {
            Add(group + "/" + routine.name + "/" + isa + "/" + artName, DrawSprites, kernels, &routine, art);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    // The demo's choice, taken before any benchmark switches sets.
    const RowKernels* chosen = &ActiveKernels();
    NamedSets sets;
    for (const RunnableSet& set : RunnableSets()) {
        sets.emplace_back(set.name, set.kernels);
    }
    sets.emplace_back("chosen", chosen);
    benchmark::AddCustomContext("chosen_set", chosen->name);

    for (const Size& size : kSizes) {
        const ArtName art = {size.width, size.height};
        AddDraws(sets, "Size", size.name, art, false);
        Add("Peer/sdl2_alpha/" + size.name, PeerSdl2Alpha, art);
        Add("Peer/sdl2_keyed/" + size.name, PeerSdl2Keyed, art);
        Add("Peer/pixman_over/" + size.name, PeerPixmanOver, art);
        Add("Limit/traffic/" + size.name, TrafficLimit, art);
        Add("Limit/rowcopy/" + size.name, RowCopyLimit, art);
    }
    for (const char* name : {"girl", "girl4x", "bunny"}) {
        const ArtName art = {0, 0, name};
        AddDraws(sets, "Real", name, art, false);
        Add(std::string("Peer/sdl2_rle/real/") + name, PeerSdl2Rle, art);
        Add(std::string("Peer/sdl2_alpha/real/") + name, PeerSdl2Alpha, art);
        Add(std::string("Peer/pixman_over/real/") + name, PeerPixmanOver, art);
        Add(std::string("Limit/traffic/real/") + name, TrafficLimit, art);
        Add(std::string("Limit/rowcopy/real/") + name, RowCopyLimit, art);
    }
    // What the span plan gives: the routines that follow it, on the same art without it.
    for (const char* name : {"girl-unplanned", "girl4x-unplanned", "bunny-unplanned"}) {
        AddDraws(sets, "Real", name, ArtName{0, 0, name}, true);
    }

    for (const int count : {10000, 50000, 100000}) {
        const std::string bunnies = std::to_string(count);
        for (const auto& [isa, kernels] : sets) {
            Add("Bunnymark/" + isa + "/" + bunnies, BunnymarkFrame, kernels, count);
        }
        Add("Peer/sdl2_bunnymark/" + bunnies, PeerSdl2Bunnymark, count);
        Add("Peer/pixman_bunnymark/" + bunnies, PeerPixmanBunnymark, count);
    }

    Add("Portable/clear", ClearScreen);
    Add("Portable/present", PresentScreen);
    for (const auto& [isa, kernels] : sets) {
        Add("Frame/" + isa, DemoFrame, kernels);
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
