// Row kernels: the inner loops of the draw routines, one draw's rows in one
// call, in one table per instruction set. The draw routines place and clip
// once; a kernel walks the rows it is given, choosing once at the top of the
// call how to take rows of that width. Every set gives exactly the words of
// the scalar set, which applies the pixel rules one by one.
//
// What callers pass: byte pointers to rows of `width` (0 or more)
// little-endian RGB565 words at any alignment (surface rows, sprite blocks),
// and one alpha byte a pixel; any pitches, even odd ones; the blend table
// built before a blending kernel runs. A tint weight is 0-31 (0 still darkens
// through the table). A translucent weight is 1-30: at 0 a draw writes nothing
// and at 31 it is a keyed copy, which the draw routines decide once for the
// whole draw, so no kernel checks weights.
#pragma once

#include <cstddef>
#include <cstdint>

// The rows of one draw: `height` rows of `width` pixels, each pitch the bytes
// from one row's start to the next. alpha is only read by the routines that
// take alpha values.
struct PixelRows {
    uint8_t* destination;
    const uint8_t* source;
    const uint8_t* alpha;
    ptrdiff_t destinationPitch, sourcePitch, alphaPitch;
    int width, height;
};

// A run of one row's pixels that the alpha routines treat alike (SpanPlan.h).
enum class SpanKind : uint16_t {
    Skip,  // every pixel keeps its destination
    Whole, // every pixel opaque and not the key
    Mixed, // any pixels: the kernel decides each one
};

struct Span {
    uint16_t end; // column after the span's last pixel; a span starts where the one before ends
    SpanKind kind;
};

// A draw's span plan: the draw's row y has spans[rowStarts[y]] up to
// spans[rowStarts[y + 1]], their columns counted from the frame's left edge,
// of which the draw leaves out the first firstColumn.
struct SpanRows {
    const uint32_t* rowStarts;
    const Span* spans;
    int firstColumn;
};

struct RowKernels {
    const char* name;
    // d = s, except where s is the colour key.
    void (*keyed)(const PixelRows& rows, uint16_t colorKey);
    // Each source pixel laid down by its own alpha byte.
    void (*alpha)(const PixelRows& rows, uint16_t colorKey);
    // Every source pixel at one weight, 1-30.
    void (*translucent)(const PixelRows& rows, uint16_t colorKey, int weight);
    // Each source pixel pulled towards tint at tintWeight (0-31), then laid down by its alpha.
    void (*tinted)(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight);
    // tinted for a frame without alpha values: every pixel opaque.
    void (*tintedOpaque)(const PixelRows& rows, uint16_t colorKey, uint16_t tint, int tintWeight);
    // alpha, by a span plan of the same rows where the set can use one.
    void (*alphaSpans)(const PixelRows& rows, uint16_t colorKey, const SpanRows& spans);
};

// A kernel set this build holds, and whether this processor can run it.
struct KernelSet {
    const RowKernels* kernels;
    bool runnable;
};

// Every set's table this build holds, in the order of its instruction sets
// (platform/InstructionSets.h), scalar first: the one family file the build
// picks (Family*.cpp) gives them.
const RowKernels* const* FamilyKernels(int* count);

// The same sets, with whether this processor runs each.
const KernelSet* BuiltKernelSets(int* count);

extern const RowKernels g_scalarKernels;
// The vector sets of x86-64 builds.
extern const RowKernels g_sse2Kernels;
extern const RowKernels g_avx2Kernels;
extern const RowKernels g_avx512Kernels;
// 64-bit ARM only (Neon.cpp).
extern const RowKernels g_neonKernels;
// WebAssembly with SIMD128 only (Simd128.cpp).
extern const RowKernels g_simd128Kernels;

// The kernels the draws use: on first use, those of the program's
// instruction set (ChosenInstructionSet).
const RowKernels& ActiveKernels();

// Draws use kernels from now on (tests and benchmarks).
void UseKernels(const RowKernels& kernels);
