// Row kernels: the inner loops of the draw routines, one draw's rows in one
// call, in one table per instruction set. The draw routines place and clip
// once; a kernel walks the rows it is given, choosing once at the top of the
// call how to take rows of that width. Every set gives exactly the words of
// the scalar set, which applies the pixel rules one by one.
//
// Only the scalar set has every routine. A routine a vector set leaves out
// is taken, when the sets are first asked for, from the set before it in the
// build's list (platform/InstructionSets.h), so a new routine can land in the
// scalar set alone and gain vector versions one set at a time.
#pragma once

#include <cstddef>
#include <cstdint>

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
    int pixelsPerSpan; // the frame's average: a set walks the plan only where that is a block or more
    // The draw's rows as chunks (below) when it has shares and draws its
    // frame's rows whole, else null.
    const uint32_t* chunkStarts;
    const uint16_t* chunks;
};

// A frame whose width is whole chunks of kChunk pixels may also be planned
// chunk by chunk, for the alpha routine from its shares: row y's list is
// chunks[chunkStarts[y]] up to chunks[chunkStarts[y + 1]]: a count n, then n
// pairs of chunks to blend (a chunk's pixels are the chunk's number times
// kChunk on), then a count m and m chunks to copy whole. The chunks left out
// keep the destination. Pairs let sets of 2 x kChunk lanes blend two
// chunks far apart in one block (an odd chunk is paired with itself); a row
// whose every chunk is blended has n = kWholeRow and nothing after it.
constexpr int kChunk = 8;
constexpr uint16_t kWholeRow = 0xFFFF;

// One draw: rows of `width` (0 or more) little-endian RGB565 words at any
// alignment start at destination, destination + destinationPitch, ... while
// before destinationEnd (a pitch of at least 1), each with its source row
// and its row of alpha bytes, one a pixel, any pitches apart. Then what the
// routine lays on them. The blend table is built before a blending kernel
// runs.
struct PixelRows {
    uint8_t* destination;
    uint8_t* destinationEnd;
    const uint8_t* source;
    const uint8_t* alpha; // read only by the routines that take alpha values
    ptrdiff_t destinationPitch, sourcePitch, alphaPitch;
    int width;
    uint16_t colorKey;
    uint16_t tint;
    // translucent: 1-30 (at 0 a draw writes nothing and at 31 it is a keyed
    // copy, which the draw routines decide once); tinted: the tint's, 0-31
    // (0 still darkens through the table).
    int weight;
    // alpha, tinted: the plan of these rows, or null. Sets may follow it or
    // not; the words are the same.
    const SpanRows* spans;
    // alpha: each pixel's own share of its blend (ShareAlphaRow, SpanPlan.h),
    // row by row sharesPitch bytes apart, or null. Each row holds
    // kSharePlanes planes of little-endian words, the pitch over kSharePlanes
    // apart: the source's table entries of red, green and blue at the pixel's
    // weight w (8r, 4g and 8b, six bits of green, for an opaque pixel), then
    // 1028 (31 - w) + 1, the multiplier that weighs the destination's
    // channels (VectorRows.h), or kKeepsDestination where the destination
    // stays. Sets may use them or not.
    const uint8_t* shares;
    ptrdiff_t sharesPitch;
};

constexpr int kSharePlanes = 4;

// The last share plane's word where the destination stays: both its
// bytes' top bits set, as no multiplier's are (they are at most 0x7C7D), so
// either byte tells.
constexpr uint16_t kKeepsDestination = 0x8080;

using RowKernel = void (*)(const PixelRows& rows);

struct RowKernels {
    const char* name;       // its instruction set's (platform/InstructionSets.h)
    RowKernel keyed;        // d = s, except where s is the colour key
    RowKernel alpha;        // each source pixel laid down by its own alpha byte
    RowKernel translucent;  // every source pixel at weight
    RowKernel tinted;       // each source pixel pulled towards tint at weight, then laid down by its alpha
    RowKernel tintedOpaque; // tinted for a frame without alpha values: every pixel opaque
};

// Every routine of the table by name, for what treats them all alike: the
// filling of what a set leaves out, the tests, the benchmark.
struct KernelRoutine {
    const char* name;
    RowKernel RowKernels::*kernel;
};
constexpr KernelRoutine kKernelRoutines[] = {{"keyed", &RowKernels::keyed},
                                             {"alpha", &RowKernels::alpha},
                                             {"translucent", &RowKernels::translucent},
                                             {"tinted", &RowKernels::tinted},
                                             {"tintedOpaque", &RowKernels::tintedOpaque}};

// The sets' tables as they are written, in the order of the build's
// instruction sets, scalar first: the one family file the build picks
// (Family*.cpp) gives them. Everything else asks BuiltKernelSets.
RowKernels* const* FamilyKernels(int* count);

// The same tables, each whole: on the first call, every routine a set
// leaves out is filled from the set before it.
const RowKernels* const* BuiltKernelSets(int* count);

extern RowKernels g_scalarKernels;
// The vector sets of x86-64 builds.
extern RowKernels g_sse2Kernels;
extern RowKernels g_avx2Kernels;
extern RowKernels g_avx512Kernels;
// 64-bit ARM only (Neon.cpp).
extern RowKernels g_neonKernels;
// WebAssembly with SIMD128 only (Simd128.cpp).
extern RowKernels g_simd128Kernels;

// The kernels the draws use (null until the first draw).
extern const RowKernels* g_activeKernels;

// The set of the program's instruction set (ChosenInstructionSet), from now on.
const RowKernels& ChooseKernels();

inline const RowKernels& ActiveKernels() {
    return g_activeKernels != nullptr ? *g_activeKernels : ChooseKernels();
}

// Draws use kernels from now on (tests and benchmarks).
void UseKernels(const RowKernels& kernels);
