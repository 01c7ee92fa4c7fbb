// The reference kernels: the pixel rules applied one pixel at a time. Where
// a draw brings its span plan, only the mixed spans go pixel by pixel: skip
// spans are left alone and whole ones copied or tinted whole.
#include "sprite/PixelRules.h"
#include "sprite/kernels/RowSet.h"

#include <cstring>

namespace {

// count pixels of one row through rule(d, s, alpha byte), which gets 255 for
// routines that read no alpha.
template <bool kReadsAlpha, typename Rule>
void EachPixel(uint8_t* destination, const uint8_t* source, const uint8_t* alpha, int count, Rule rule) {
    for (int i = 0; i < count; ++i) {
        StorePixel(destination + 2 * i,
                   rule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), kReadsAlpha ? alpha[i] : 255));
    }
}

// Every pixel of the draw's rows through rule (see EachPixel), by index with
// the width read from rows: around the blend's call a walk by pointer needs
// one register more, which GCC spills.
template <bool kReadsAlpha, typename Rule> void EachRowPixel(const PixelRows& rows, Rule rule) {
    const uint8_t* source = rows.source;
    const uint8_t* alpha = rows.alpha;
    for (uint8_t* destination = rows.destination; destination < rows.destinationEnd;
         destination += rows.destinationPitch) {
        for (int i = 0; i < rows.width; ++i) {
            StorePixel(destination + 2 * i,
                       rule(LoadPixel(destination + 2 * i), LoadPixel(source + 2 * i), kReadsAlpha ? alpha[i] : 255));
        }
        source += rows.sourcePitch;
        alpha += kReadsAlpha ? rows.alphaPitch : 0;
    }
}

// The draw's rows by its plan, each span cut to the rows' columns: skip
// spans left alone, whole ones to whole(destination, source, count) and
// mixed ones pixel by pixel through rule. Kept out of the routines, so that
// their draws without a plan keep the registers of one loop.
template <typename Whole, typename Rule>
__attribute__((noinline)) void EachSpan(const PixelRows& rows, Whole whole, Rule rule) {
    const Span* spans = rows.spans->spans;
    const uint32_t* starts = rows.spans->rowStarts;
    const int first = rows.spans->firstColumn;
    const int end = first + rows.width;
    ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
        int start = 0;
        for (uint32_t i = starts[0]; i < starts[1] && start < end; ++i) {
            const Span span = spans[i];
            const int from = start > first ? start : first;
            const int to = span.end < end ? span.end : end;
            start = span.end;
            const int at = from - first;
            if (from >= to || span.kind == SpanKind::Skip) {
                continue;
            }
            if (span.kind == SpanKind::Whole) {
                whole(destination + 2 * at, source + 2 * at, to - from);
            } else {
                EachPixel<true>(destination + 2 * at, source + 2 * at, alpha + at, to - from, rule);
            }
        }
        ++starts;
    });
}

void KeyedRows(const PixelRows& rows) {
    const uint16_t colorKey = rows.colorKey;
    EachRowPixel<false>(rows, [=](uint16_t d, uint16_t s, uint8_t) { return KeyedRule(d, s, colorKey); });
}

void AlphaRows(const PixelRows& rows) {
    const uint16_t colorKey = rows.colorKey;
    const auto rule = [=](uint16_t d, uint16_t s, uint8_t a) { return AlphaRule(d, s, a, colorKey); };
    if (rows.spans == nullptr) {
        EachRowPixel<true>(rows, rule);
        return;
    }
    EachSpan(
        rows,
        [](uint8_t* destination, const uint8_t* source, int count) {
            std::memcpy(destination, source, 2 * size_t(count));
        },
        rule);
}

void TranslucentRows(const PixelRows& rows) {
    const uint16_t colorKey = rows.colorKey;
    const int weight = rows.weight;
    EachRowPixel<false>(rows, [=](uint16_t d, uint16_t s, uint8_t) { return TranslucentRule(d, s, weight, colorKey); });
}

// Opaque pixels are tinted too, so a whole span is tinted as opaque.
void TintedRows(const PixelRows& rows) {
    const uint16_t colorKey = rows.colorKey;
    const uint16_t tint = rows.tint;
    const int weight = rows.weight;
    const auto rule = [=](uint16_t d, uint16_t s, uint8_t a) { return TintedRule(d, s, a, colorKey, tint, weight); };
    if (rows.spans == nullptr) {
        EachRowPixel<true>(rows, rule);
        return;
    }
    EachSpan(
        rows,
        [&](uint8_t* destination, const uint8_t* source, int count) {
            EachPixel<false>(destination, source, nullptr, count, rule);
        },
        rule);
}

void TintedOpaqueRows(const PixelRows& rows) {
    const uint16_t colorKey = rows.colorKey;
    const uint16_t tint = rows.tint;
    const int weight = rows.weight;
    EachRowPixel<false>(rows,
                        [=](uint16_t d, uint16_t s, uint8_t a) { return TintedRule(d, s, a, colorKey, tint, weight); });
}

constexpr RowKernels ScalarKernels() {
    RowKernels set = {};
    set.name = "scalar";
    set.keyed = KeyedRows;
    set.alpha = AlphaRows;
    set.translucent = TranslucentRows;
    set.tinted = TintedRows;
    set.tintedOpaque = TintedOpaqueRows;
    return set;
}

} // namespace

RowKernels g_scalarKernels = ScalarKernels();
