// The row kernels written once over a set of vector operations on 16-bit
// lanes, one pixel a lane. Each instruction-set file includes this with its
// own compiler flags and its own operations record O, which provides:
//   V, M             a vector of lanes (GCC's vector extensions) and a lane mask
//   kLanes           pixels a block
//   kShortest, Shorter()  rows shorter than kShortest go to the set Shorter()
//                    (RowSet.h)
//   Lanes, Walk(destination, count, block)  walks a row in blocks:
//                    block(i, lanes) gives what Finish made of pixel i on
//   Skip             lanes that keep their destination: SkipWhere(a, b)
//                    those where a == b, AlsoSkipWhere(skip, a, b) adds them
//                    to skip
//   Finish(skip, d, v)  the new pixels v, except where skip keeps d
//   KeepWhere(mark, d, v)  d where mark's word has its top bit set, else v
//   StoreAfter(p, keep, block)  block's pixels at p but for the first keep
//   Load, LoadAlpha, MulHi (unsigned)
//   Set, Add, Sub, And, Or, MulLo, Srl<n>, Sll<n>, Opaque(v) (v, as a value
//                    the compiler cannot see into), Store, and for lane masks
//                    that are vectors Eq, Select(m, ifSet, otherwise):
//                    LaneArithmetic gives these
// WholeBlocks gives the walk, loads and skips of a set whose blocks are
// always whole and whose masks are vectors.
//
// Everything here has internal linkage: a copy built with one file's flags
// must never be linked in place of another's. For the same reason this header
// uses nothing from the standard library.
//
// The arithmetic: for a channel value a and a weight w in 0-31, the table
// entry floor(64aw/255) equals (16a x (1028w + 1)) >> 16 exactly: the channel
// placed at bits 4-8 of its lane, and one unsigned multiply-high by the
// weight's multiplier. The other side's multiplier, for 31 - w, is 31870
// minus this one. The branches of the pixel rules become lane masks applied
// after the blend: weight 31 copies, then weight 0 or the colour key keeps the
// destination.
#pragma once

#include "sprite/kernels/RowSet.h"

#include <cstddef>
#include <cstdint>

namespace {

// The lane arithmetic any record on a vector of 16-bit lanes shares, by the
// language's operators, and its whole store.
template <typename Vector> struct LaneArithmetic {
    using V = Vector;
    static V Set(int value) { return V{} + static_cast<uint16_t>(value); }
    static V Add(V a, V b) { return a + b; }
    static V Sub(V a, V b) { return a - b; }
    static V And(V a, V b) { return a & b; }
    static V Or(V a, V b) { return a | b; }
    static V MulLo(V a, V b) { return a * b; }
    template <int n> static V Srl(V a) { return a >> n; }
    template <int n> static V Sll(V a) { return a << n; }
    static V Opaque(V v) {
        __asm__("" : "+v"(v));
        return v;
    }
    static void Store(uint8_t* p, V v) { __builtin_memcpy(p, &v, sizeof v); }
    // Lane masks as vectors, which sets with mask registers replace.
    static V Eq(V a, V b) { return (V)(a == b); }
    static V Select(V m, V ifSet, V otherwise) { return (m & ifSet) | (~m & otherwise); }
};

// A set O whose every block lies wholly in the row (rows of at least a
// block, each ending in an overlapping one) and whose lane masks are vectors
// of V: its walk, and its skips as the lanes of one mask.
template <typename O, typename V> struct WholeBlocks {
    static constexpr int kLanes = sizeof(V) / 2;
    static constexpr int kShortest = kLanes;
    static constexpr bool kWalksAnyCount = false;
    struct Lanes {};
    static constexpr Lanes kAll{};
    static V Load(const uint8_t* p, Lanes) {
        V v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    template <typename Block>
    __attribute__((always_inline)) static void Walk(uint8_t* destination, int count, Block block) {
        WalkOverlapping<O>(
            destination, count, [&](ptrdiff_t i) __attribute__((always_inline)) { return block(i, Lanes{}); });
    }
    using M = V;
    using Skip = V;
    static Skip SkipWhere(V a, V b) { return O::Eq(a, b); }
    static Skip AlsoSkipWhere(Skip skip, V a, V b) { return O::Or(skip, O::Eq(a, b)); }
    static V Finish(Skip skip, V d, V v) { return O::Select(skip, d, v); }
    // block(lanes)'s pixels stored at p, but for its first keep lanes, which stay.
    template <typename Block> static void StoreAfter(uint8_t* p, int keep, Block block) {
        V lane = {};
        for (int i = 0; i < kLanes; ++i) {
            lane[i] = static_cast<uint16_t>(i);
        }
        const V v = block(Lanes{});
        O::Store(p, O::Select((V)(lane < static_cast<uint16_t>(keep)), Load(p, Lanes{}), v));
    }
};

template <typename O> struct VectorRows {
    using V = typename O::V;
    using M = typename O::M;
    using Lanes = typename O::Lanes;

    static constexpr int kShortest = O::kShortest;
    static const RowKernels& Shorter() { return O::Shorter(); }

    static constexpr int kChannel = 0x01F0; // a blend channel's place in its lane

    // A pixel's three blend channels, each at bits 4-8.
    struct Channels {
        V red, green, blue;
    };
    // Per-channel sums of table entries, 0-241.
    struct Sums {
        V red, green, blue;
    };

    static Channels Split(V p) {
        const V channel = O::Set(kChannel);
        return {O::And(O::template Srl<7>(p), channel), O::And(O::template Srl<2>(p), channel),
                O::And(O::template Sll<4>(p), channel)};
    }

    // The multiplier of weight w, and that of 31 - w.
    static constexpr int Multiplier(int weight) { return 1028 * weight + 1; }
    // One multiply: the compiler, seeing the constant, would make it three
    // shifts and adds.
    static V Multiplier(V weight) { return O::Add(O::MulLo(weight, O::Opaque(O::Set(1028))), O::Set(1)); }
    static V RestMultiplier(V multiplier) { return O::Sub(O::Set(Multiplier(0) + Multiplier(31)), multiplier); }

    // The table entries of each channel at the weight of this multiplier.
    static Sums Weigh(const Channels& c, V multiplier) {
        return {O::MulHi(c.red, multiplier), O::MulHi(c.green, multiplier), O::MulHi(c.blue, multiplier)};
    }

    static Sums Add(const Sums& a, const Sums& b) {
        return {O::Add(a.red, b.red), O::Add(a.green, b.green), O::Add(a.blue, b.blue)};
    }

    // The channels of the pixel that Pack(sums) gives: bits 7-3 of each sum.
    static Channels ChannelsOf(const Sums& s) {
        const V channel = O::Set(kChannel);
        return {O::And(O::template Sll<1>(s.red), channel), O::And(O::template Sll<1>(s.green), channel),
                O::And(O::template Sll<1>(s.blue), channel)};
    }

    // Red and blue keep bits 7-3 of their sums, green bits 7-2. Shifting out
    // the low bits needs no mask constants.
    static V Pack(const Sums& s) {
        const V red = O::template Sll<11>(O::template Srl<3>(s.red));
        const V green = O::template Sll<5>(O::template Srl<2>(s.green));
        return O::Or(O::Or(red, green), O::template Srl<3>(s.blue));
    }

    // source over destination, by the multipliers of the source's weight and the rest.
    static V Blend(V source, V destination, V multiplier, V rest) {
        return Pack(Add(Weigh(Split(source), multiplier), Weigh(Split(destination), rest)));
    }

    // One row's start in each block.
    struct Row {
        uint8_t* destination;
        const uint8_t* source;
        const uint8_t* alpha;
    };

    // Walks every row of the draw in O's blocks: block(row, i, lanes) gives
    // the new pixels of the row's block at pixel i.
    template <typename Block> static void WalkRows(const PixelRows& rows, Block block) {
        const int width = rows.width;
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
            const Row row = {destination, source, alpha};
            O::Walk(
                destination,
                width, [&](ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) { return block(row, i, lanes); });
        });
    }

    static void Keyed(const PixelRows& rows) {
        const V key = O::Set(rows.colorKey);
        WalkRows(
            rows, [&](const Row& row, ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                const V s = O::Load(row.source + 2 * i, lanes);
                return O::Finish(O::SkipWhere(s, key), O::Load(row.destination + 2 * i, lanes), s);
            });
    }

    // The multipliers of a block's alpha weights (alpha >> 3) and of the
    // rest. Weight 0 has multiplier 1 and weight 31 leaves the rest 1.
    struct AlphaWeights {
        V multiplier, rest;
    };
    static AlphaWeights WeightsOf(V alpha) {
        const V multiplier = Multiplier(O::template Srl<3>(alpha));
        return {multiplier, RestMultiplier(multiplier)};
    }

    // The new pixels of the row's block at pixel i, each laid down by its own alpha.
    __attribute__((always_inline)) static V AlphaBlock(const Row& row, ptrdiff_t i, Lanes lanes, V key, V one) {
        const V s = O::Load(row.source + 2 * i, lanes);
        const V d = O::Load(row.destination + 2 * i, lanes);
        const AlphaWeights w = WeightsOf(O::LoadAlpha(row.alpha + i, lanes));
        const V blended = O::Select(O::Eq(w.rest, one), s, Blend(s, d, w.multiplier, w.rest));
        return O::Finish(O::AlsoSkipWhere(O::SkipWhere(w.multiplier, one), s, key), d, blended);
    }

    // The new pixels over d from their shares (Kernels.h), which hold the
    // source's half of each blend: what is left is the destination's half.
    // load(offset) gives the shares offset bytes on from the first plane's.
    template <typename Load> __attribute__((always_inline)) static V SharedBlend(V d, Load load, ptrdiff_t plane) {
        const V rest = load(3 * plane);
        const Sums weighed = Weigh(Split(d), rest);
        const Sums sums = {O::Add(load(0), weighed.red), O::Add(load(plane), weighed.green),
                           O::Add(load(2 * plane), weighed.blue)};
        return O::KeepWhere(rest, d, Pack(sums));
    }

    // The row's block at pixel i from the row's shares.
    __attribute__((always_inline)) static V SharedAlphaBlock(uint8_t* destination, const uint8_t* shares,
                                                             ptrdiff_t plane, ptrdiff_t i, Lanes lanes) {
        const uint8_t* share = shares + 2 * i;
        return SharedBlend(
            O::Load(destination + 2 * i, lanes),
            [&](ptrdiff_t at) __attribute__((always_inline)) { return O::Load(share + at, lanes); }, plane);
    }

    __attribute__((always_inline)) static void SharedRow(uint8_t* destination, const uint8_t* shares, ptrdiff_t plane,
                                                         int width) {
        O::Walk(
            destination, width, [&](ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                return SharedAlphaBlock(destination, shares, plane, i, lanes);
            });
    }

    // The chunks at byte first and second of a row blended from its shares:
    // in one block of two halves on a set of two chunks a block, one by one
    // on a set of one.
    __attribute__((always_inline)) static void BlendChunks(uint8_t* destination, const uint8_t* shares, ptrdiff_t plane,
                                                           ptrdiff_t first, ptrdiff_t second) {
        if constexpr (O::kLanes == 2 * kChunk) {
            BlendPair<O>(
                destination, shares, first,
                second, [&](V d, auto load) __attribute__((always_inline)) { return SharedBlend(d, load, plane); });
        } else {
            static_assert(O::kLanes == kChunk, "a block is one chunk or two");
            O::Store(destination + first, SharedAlphaBlock(destination, shares, plane, first / 2, O::kAll));
            if (second != first) {
                O::Store(destination + second, SharedAlphaBlock(destination, shares, plane, second / 2, O::kAll));
            }
        }
    }

    // Rows of three blocks or more are drawn by their chunks where the draw
    // has them: on shorter ones the pairs' loads and the walk of the chunks
    // cost as much as the blocks they save. A set of blocks wider than two
    // chunks hands those draws to the narrower set.
    static constexpr int kChunkedFrom = 3 * O::kLanes;

    // By the draw's chunks where it has them and its rows are long enough;
    // else by its plan where the spans are long enough on average (walking
    // spans costs branches the block walk does not have): a block or more,
    // two where the shares make the blend cheaper. Else every pixel in
    // blocks; from the shares where the draw has them.
    static void Alpha(const PixelRows& rows) {
        const bool shared = rows.shares != nullptr;
        if (rows.spans != nullptr && rows.spans->chunkStarts != nullptr && rows.width >= kChunkedFrom) {
            if constexpr (O::kLanes > 2 * kChunk) {
                O::Shorter().alpha(rows);
            } else {
                AlphaByChunks<VectorRows>(rows, *rows.spans);
            }
            return;
        }
        if (rows.spans != nullptr && rows.spans->pixelsPerSpan >= (shared ? 2 : 1) * O::kLanes) {
            if (shared) {
                AlphaBySpans<true>(rows, *rows.spans);
            } else {
                AlphaBySpans<false>(rows, *rows.spans);
            }
            return;
        }
        if (shared) {
            const ptrdiff_t plane = rows.sharesPitch / kSharePlanes;
            const int width = rows.width;
            ForEachSharedRow(rows, [&](uint8_t* destination, const uint8_t*, const uint8_t* shares) {
                SharedRow(destination, shares, plane, width);
            });
            return;
        }
        const V key = O::Set(rows.colorKey);
        const V one = O::Set(1);
        WalkRows(
            rows, [&](const Row& row, ptrdiff_t i, Lanes lanes)
                      __attribute__((always_inline)) { return AlphaBlock(row, i, lanes, key, one); });
    }

    // Alpha by the plan, all in this call: skip spans left alone, whole spans
    // of a block or more copied, the rest blended, from the shares when
    // kShared. A set whose walk takes rows of any length blends exactly the
    // span; the others blend at least a block from the span's start,
    // reaching past its end into pixels not yet drawn, which a block draws by
    // their own alpha, once: the row goes on after the block. A span too near
    // the row's end for that is blended by the row's last block, whose lanes
    // before the span keep what is drawn there.
    template <bool kShared>
    __attribute__((noinline)) static void AlphaBySpans(const PixelRows& rows, const SpanRows& plan) {
        const V key = O::Set(rows.colorKey);
        const V one = O::Set(1);
        const int width = rows.width;
        const int last = width - O::kLanes;
        const Lanes all = O::kAll;
        const ptrdiff_t plane = rows.sharesPitch / kSharePlanes;
        const uint8_t* shares = rows.shares;
        const uint32_t* starts = plan.rowStarts;
        ForEachRow(rows, [&](uint8_t* destination, const uint8_t* source, const uint8_t* alpha) {
            const Row row = {destination, source, alpha};
            const auto blend = [&](ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                if constexpr (kShared) {
                    return SharedAlphaBlock(destination, shares, plane, i, lanes);
                } else {
                    return AlphaBlock(row, i, lanes, key, one);
                }
            };
            int done = 0;                      // pixels before this one are drawn
            int spanStart = -plan.firstColumn; // where the next span starts in the row
            for (uint32_t k = starts[0]; k < starts[1] && done < width && spanStart < width; ++k) {
                const Span span = plan.spans[k];
                int from = spanStart > done ? spanStart : done;
                const int end = span.end - plan.firstColumn;
                const int to = end < width ? end : width;
                spanStart = end;
                if (span.kind == SpanKind::Skip || from >= to) {
                    continue;
                }
                if (span.kind == SpanKind::Whole && to - from >= O::kLanes) {
                    for (; from < to - O::kLanes; from += O::kLanes) {
                        O::Store(destination + 2 * from, O::Load(source + 2 * from, all));
                    }
                    O::Store(destination + 2 * (to - O::kLanes), O::Load(source + 2 * (to - O::kLanes), all));
                } else if (O::kWalksAnyCount || to - from >= O::kLanes) {
                    O::Walk(
                        destination + 2 * from,
                        to - from, [&](ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                            return blend(from + i, lanes);
                        });
                } else if (from <= last) {
                    O::Store(destination + 2 * from, blend(from, all));
                    done = from + O::kLanes;
                    continue;
                } else {
                    O::StoreAfter(
                        destination + 2 * last,
                        from - last, [&](Lanes lanes) __attribute__((always_inline)) { return blend(last, lanes); });
                }
                done = to;
            }
            ++starts;
            shares += rows.sharesPitch;
        });
    }

    static void Translucent(const PixelRows& rows) {
        const V key = O::Set(rows.colorKey);
        const V multiplier = O::Set(Multiplier(rows.weight));
        const V rest = O::Set(Multiplier(31 - rows.weight));
        WalkRows(
            rows, [&](const Row& row, ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                const V s = O::Load(row.source + 2 * i, lanes);
                const V d = O::Load(row.destination + 2 * i, lanes);
                return O::Finish(O::SkipWhere(s, key), d, Blend(s, d, multiplier, rest));
            });
    }

    // The tint's share of the first blend is the same for every pixel.
    static Sums TintSums(uint16_t tint, int tintWeight) {
        const auto entry = [tintWeight](int value) { return O::Set(((value << 4) * Multiplier(tintWeight)) >> 16); };
        return {entry(tint >> 11), entry((tint >> 6) & 31), entry(tint & 31)};
    }

    // Every pixel alike, plan or none: whole spans are tinted too, which
    // leaves a walk of the plan only the skip spans to save.
    static void Tinted(const PixelRows& rows) {
        const V key = O::Set(rows.colorKey);
        const V one = O::Set(1);
        const Sums tintSums = TintSums(rows.tint, rows.weight);
        const V sourceRest = O::Set(Multiplier(31 - rows.weight));
        WalkRows(
            rows, [&](const Row& row, ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                const V s = O::Load(row.source + 2 * i, lanes);
                const V d = O::Load(row.destination + 2 * i, lanes);
                const AlphaWeights w = WeightsOf(O::LoadAlpha(row.alpha + i, lanes));
                const Sums tinted = Add(tintSums, Weigh(Split(s), sourceRest));
                Sums laid = Add(Weigh(ChannelsOf(tinted), w.multiplier), Weigh(Split(d), w.rest));
                // At weight 31 the tinted pixel itself: choosing its sums packs it.
                const M copy = O::Eq(w.rest, one);
                laid = {O::Select(copy, tinted.red, laid.red), O::Select(copy, tinted.green, laid.green),
                        O::Select(copy, tinted.blue, laid.blue)};
                return O::Finish(O::AlsoSkipWhere(O::SkipWhere(w.multiplier, one), s, key), d, Pack(laid));
            });
    }

    static void TintedOpaque(const PixelRows& rows) {
        const V key = O::Set(rows.colorKey);
        const Sums tintSums = TintSums(rows.tint, rows.weight);
        const V sourceRest = O::Set(Multiplier(31 - rows.weight));
        WalkRows(
            rows, [&](const Row& row, ptrdiff_t i, Lanes lanes) __attribute__((always_inline)) {
                const V s = O::Load(row.source + 2 * i, lanes);
                const V tinted = Pack(Add(tintSums, Weigh(Split(s), sourceRest)));
                return O::Finish(O::SkipWhere(s, key), O::Load(row.destination + 2 * i, lanes), tinted);
            });
    }
};

} // namespace
