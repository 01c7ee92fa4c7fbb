// What showing a frame costs before the screen gets it: widening a 640x480
// RGB565 frame to 32-bit pixels (platform/Widen.h) with each set this
// processor runs, against the same traffic with no arithmetic, each word
// zero-extended by the widest set. Rows of their own, registered here so the
// draw rows stay in BenchDraw.cpp.
#include "bench/BenchArt.h"
#include "platform/InstructionSets.h"
#include "platform/Widen.h"
#include "tests/support/EverySet.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr int kPixels = kSurfaceWidth * kSurfaceHeight;
constexpr ptrdiff_t kPitch = 2 * kSurfaceWidth;
constexpr ptrdiff_t kWidePitch = 4 * kSurfaceWidth;

struct Frames {
    std::vector<uint8_t> pixels, wide;
};

Frames& TheFrames() {
    static Frames frames = [] {
        Frames f{std::vector<uint8_t>(2 * kPixels), std::vector<uint8_t>(4 * kPixels)};
        FillBackground(f.pixels.data(), kPitch);
        return f;
    }();
    return frames;
}

// Items are pixels; bytes are those read and written (2 + 4 a pixel).
template <typename Widen> void WholeFrames(benchmark::State& state, Widen widen) {
    Frames& f = TheFrames();
    for (auto _ : state) {
        widen(f.wide.data(), f.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPixels);
    state.SetBytesProcessed(state.iterations() * kPixels * 6);
}

void PresentWiden(benchmark::State& state, int set) {
    UseInstructionSet(set);
    WholeFrames(state, [](uint8_t* wide, const uint8_t* pixels) {
        WidenPixels(wide, kWidePitch, pixels, kPitch, kSurfaceWidth, kSurfaceHeight, WideOrder::Bgra);
    });
}

#if defined(__x86_64__)
__attribute__((target("avx512bw"))) void ZeroExtendAvx512(uint8_t* wide, const uint8_t* pixels) {
    for (int i = 0; i < kPixels; i += 16) {
        const __m256i words = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels + 2 * i));
        // (The unmasked form trips GCC 12's uninitialised-use warning.)
        _mm512_storeu_si512(wide + 4 * i, _mm512_maskz_cvtepu16_epi32(0xFFFF, words));
    }
}

__attribute__((target("avx2"))) void ZeroExtendAvx2(uint8_t* wide, const uint8_t* pixels) {
    for (int i = 0; i < kPixels; i += 8) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 2 * i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(wide + 4 * i), _mm256_cvtepu16_epi32(words));
    }
}
#endif

// The widest set's zero extension, and its name.
void (*WidestZeroExtend(const char** name))(uint8_t*, const uint8_t*) {
#if defined(__x86_64__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) {
        *name = "avx512";
        return ZeroExtendAvx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        *name = "avx2";
        return ZeroExtendAvx2;
    }
#endif
    *name = "scalar";
    return [](uint8_t* wide, const uint8_t* pixels) {
        for (int i = 0; i < kPixels; ++i) {
            const unsigned word = pixels[2 * i] | pixels[2 * i + 1] << 8;
            wide[4 * i] = static_cast<uint8_t>(word);
            wide[4 * i + 1] = static_cast<uint8_t>(word >> 8);
            wide[4 * i + 2] = 0;
            wide[4 * i + 3] = 0;
        }
    };
}

void WidenLimit(benchmark::State& state) {
    const char* name = nullptr;
    const auto zeroExtend = WidestZeroExtend(&name);
    state.SetLabel(name);
    WholeFrames(state, zeroExtend);
}

// Registered before main runs, as BenchDraw.cpp's rows are at its start;
// SPRITEDEMO_BENCH_ITERATIONS applies the same way.
const bool g_registered = [] {
    const char* fixed = std::getenv("SPRITEDEMO_BENCH_ITERATIONS");
    const long iterations = fixed != nullptr ? std::atol(fixed) : 0;
    const auto add = [iterations](benchmark::internal::Benchmark* b) {
        if (iterations > 0) {
            b->Iterations(iterations);
        }
    };
    for (const RunnableSet& set : RunnableSets()) {
        add(benchmark::RegisterBenchmark((std::string("Present/widen/") + set.name).c_str(), PresentWiden, set.place));
    }
    add(benchmark::RegisterBenchmark("Limit/widen", WidenLimit));
    return true;
}();

} // namespace
