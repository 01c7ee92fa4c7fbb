// Every row kernel set on pixels worked out by hand from the pixel rules; and
// every other set against the scalar one: the same words for every row length
// and alignment, on several rows at odd pitches, every weight and alpha
// value, and a million random pixels per routine, with nothing written
// outside the rows; and every set's widening of every RGB565 word.
#include "platform/InstructionSets.h"
#include "platform/LittleEndian.h"
#include "platform/Rgb565.h"
#include "sprite/Blend.h"
#include "sprite/SpanPlan.h"
#include "sprite/kernels/Kernels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

// A built instruction set by its place in the build's list.
const InstructionSet& SetAt(int set) {
    int count = 0;
    return BuiltInstructionSets(&count)[set];
}

const RowKernels& KernelsAt(int set) {
    int count = 0;
    return *BuiltKernelSets(&count)[set];
}

using Routine = RowKernel RowKernels::*;

constexpr uint16_t kKey = 0xF81F;
constexpr int kGuard = 64;

struct RowCase {
    const KernelRoutine* routine;
    int count;
    int offset; // bytes between an aligned buffer start and the first pixel
    int weight; // the translucent weight, or the tint's
    uint16_t tint;
    int rows = 1; // more are laid out at odd pitches, with bytes between them
};

// Pitches of a case's rows: each row's bytes and a few more, odd in every block.
ptrdiff_t DestinationPitch(const RowCase& c) {
    return 2 * c.count + 3;
}
ptrdiff_t SourcePitch(const RowCase& c) {
    return 2 * c.count + 5;
}
ptrdiff_t AlphaPitch(const RowCase& c) {
    return c.count + 1;
}

// Inputs as real art has them: alpha mostly 0 or 255 with edges between,
// and some pixels equal to the colour key.
struct RowInputs {
    std::vector<uint8_t> destination, source, alpha;

    RowInputs(const RowCase& c, std::mt19937& random) {
        const size_t bytes = static_cast<size_t>(c.offset + c.rows * SourcePitch(c) + kGuard);
        destination.resize(bytes);
        source.resize(bytes);
        alpha.resize(bytes);
        for (size_t i = 0; i < bytes; ++i) {
            destination[i] = static_cast<uint8_t>(random());
            source[i] = static_cast<uint8_t>(random());
            const unsigned kind = random() % 4;
            alpha[i] = kind == 0
                           ? static_cast<uint8_t>(random() % 8)
                           : (kind == 1 ? static_cast<uint8_t>(248 + random() % 8) : static_cast<uint8_t>(random()));
        }
        for (size_t i = 0; i + 1 < bytes; i += 2) {
            if (random() % 8 == 0) {
                source[i] = kKey & 0xFF;
                source[i + 1] = kKey >> 8;
            }
        }
    }
};

// rows rows of count pixels, pitches (destination, source, alpha) apart, under
// the key, tint and weight; with shared, alpha's rows bring their shares.
void RunRows(const RowKernels& kernels, Routine routine, uint8_t* destination, const uint8_t* source,
             const uint8_t* alpha, const ptrdiff_t (&pitches)[3], int count, int rows, int weight, uint16_t tint,
             bool shared = false) {
    std::vector<uint16_t> shares(static_cast<size_t>(kSharePlanes * count * rows) + 1);
    for (int row = 0; row < rows && shared; ++row) {
        ShareAlphaRow(source + row * pitches[1], alpha + row * pitches[2], count, kKey,
                      &shares[static_cast<size_t>(kSharePlanes * count * row)], count);
    }
    (kernels.*routine)({destination, destination + rows * pitches[0], source, alpha, pitches[0], pitches[1], pitches[2],
                        count, kKey, tint, weight, nullptr,
                        shared ? reinterpret_cast<uint8_t*>(shares.data()) : nullptr, 2 * kSharePlanes * count});
}

void RunRows(const RowKernels& kernels, const RowCase& c, RowInputs& in, bool shared = false) {
    RunRows(kernels, c.routine->kernel, in.destination.data() + c.offset,
            in.source.data() + c.offset / 2 * 2 + 1, // sources misaligned too
            in.alpha.data() + c.offset, {DestinationPitch(c), SourcePitch(c), AlphaPitch(c)}, c.count, c.rows, c.weight,
            c.tint, shared);
}

// Whether each of a routine's draws brings its rows' shares: alpha's both ways.
std::vector<bool> SharedPasses(Routine routine) {
    return routine == &RowKernels::alpha ? std::vector<bool>{false, true} : std::vector<bool>{false};
}

struct KernelTest : testing::TestWithParam<int> {
    std::mt19937 random{12345};
    const RowKernels& kernels = KernelsAt(GetParam());

    void SetUp() override {
        BuildBlendTable();
        ASSERT_STREQ(kernels.name, SetAt(GetParam()).name) << "the family files list the sets apart";
        if (!SetAt(GetParam()).runnable) {
            GTEST_SKIP() << SetAt(GetParam()).name << " is not supported by this processor";
        }
    }
};

// One pixel worked out by hand: weight is the opacity's (1-30, Kernels.h) or the
// tint's.
struct WorkedPixel {
    Routine routine;
    uint16_t destination, source;
    uint8_t alpha;
    int weight;
    uint16_t expected;
};

// Source S has channels 20, 11, 21 and green's low bit set; destination D
// has 5, 22, 27 and green's low bit set too; the tint 0xFA03 has 31, 8, 3.
// Each blend's channel sums R, G, B are T[s][w] + T[d][31 - w] with
// T[a][b] = floor(64ab / 255); the word is R >> 3, G >> 2, B >> 3.
constexpr uint16_t kS = 0xA2F5, kD = 0x2DBB, kTint = 0xFA03;
constexpr WorkedPixel kWorkedPixels[] = {
    {&RowKernels::keyed, kD, kS, 0, 0, kS},
    {&RowKernels::keyed, kD, kKey, 0, 0, kD},
    {&RowKernels::keyed, kD, kKey ^ 0x0800, 0, 0, kKey ^ 0x0800},
    {&RowKernels::alpha, kD, kS, 0, 0, kD},
    {&RowKernels::alpha, kD, kS, 7, 0, kD},
    {&RowKernels::alpha, kD, kS, 8, 0, 0x2D3A},   // weight 1: 5+37, 2+165, 5+203
    {&RowKernels::alpha, kD, kS, 127, 0, 0x5C17}, // 15: 75+20, 41+88, 79+108
    {&RowKernels::alpha, kD, kS, 128, 0, 0x63F7}, // 16: 80+18, 44+82, 84+101
    {&RowKernels::alpha, kD, kS, 247, 0, 0x92B4}, // 30: 150+1, 82+5, 158+6
    {&RowKernels::alpha, kD, kS, 248, 0, kS},
    {&RowKernels::alpha, kD, kS, 255, 0, kS},
    {&RowKernels::alpha, kD, kKey, 255, 0, kD},
    {&RowKernels::translucent, kD, kS, 0, 1, 0x2D3A},
    {&RowKernels::translucent, kD, kS, 0, 16, 0x63F7},
    {&RowKernels::translucent, kD, kS, 0, 30, 0x92B4},
    {&RowKernels::translucent, kD, kKey, 0, 16, kD},
    {&RowKernels::translucent, 0x0000, 0xFFFF, 0, 16, 0x7BEF}, // 124 each: 16 and 15 are not halves
    {&RowKernels::translucent, 0xFFFF, 0x0000, 0, 16, 0x73AE}, // 116 each
    // S pulled towards the tint at the tint's weight, then laid down by its alpha: 0x9AB4 at
    // 0 (0+155, 0+85, 0+163), 0xC24B at 16 (124+75, 32+41, 12+79), 0xF1E2 at 31
    // (241, 62, 23: the tint alone).
    {&RowKernels::tinted, kD, kS, 0, 16, kD},
    {&RowKernels::tinted, kD, kS, 7, 16, kD},
    {&RowKernels::tinted, kD, kS, 8, 16, 0x2D39},   // 0xC24B at 1: 6+37, 2+165, 2+203
    {&RowKernels::tinted, kD, kS, 128, 0, 0x5BD6},  // 0x9AB4 at 16: 76+18, 40+82, 80+101
    {&RowKernels::tinted, kD, kS, 128, 16, 0x73B2}, // 0xC24B at 16: 96+18, 36+82, 44+101
    {&RowKernels::tinted, kD, kS, 128, 31, 0x8B6D}, // 0xF1E2 at 16: 120+18, 28+82, 8+101
    {&RowKernels::tinted, kD, kS, 247, 16, 0xB24B}, // 0xC24B at 30: 180+1, 67+5, 82+6
    {&RowKernels::tinted, kD, kS, 248, 16, 0xC24B},
    {&RowKernels::tinted, kD, kS, 255, 0, 0x9AB4},
    {&RowKernels::tinted, kD, kS, 255, 31, 0xF1E2},
    {&RowKernels::tinted, kD, kKey, 255, 16, kD},
    {&RowKernels::tintedOpaque, kD, kS, 0, 0, 0x9AB4},
    {&RowKernels::tintedOpaque, kD, kS, 0, 16, 0xC24B},
    {&RowKernels::tintedOpaque, kD, kS, 0, 31, 0xF1E2},
    {&RowKernels::tintedOpaque, kD, kKey, 0, 16, kD},
};

// Each worked pixel filling a row long enough for every set's widest step
// and its tail, from an odd address: every word of the row must be it.
TEST_P(KernelTest, WorkedPixels) {
    constexpr int kCount = 71;
    for (const WorkedPixel& c : kWorkedPixels) {
        std::vector<uint8_t> destination(2 * kCount + 1), source(2 * kCount + 1), alpha(kCount, c.alpha);
        for (int i = 0; i < kCount; ++i) {
            StoreLe16(&destination[1 + 2 * i], c.destination);
            StoreLe16(&source[1 + 2 * i], c.source);
        }
        for (const bool shared : SharedPasses(c.routine)) {
            const std::vector<uint8_t> under = destination;
            RunRows(kernels, c.routine, &destination[1], &source[1], alpha.data(), {2 * kCount, 2 * kCount, kCount},
                    kCount, 1, c.weight, kTint, shared);
            for (int i = 0; i < kCount; ++i) {
                ASSERT_EQ(LoadLe16(&destination[1 + 2 * i]), c.expected)
                    << "worked pixel " << &c - kWorkedPixels << ", source " << std::hex << c.source << " over "
                    << c.destination << std::dec << ", alpha " << int(c.alpha) << ", weight " << c.weight
                    << (shared ? ", shared" : "") << ": pixel " << i;
            }
            destination = under;
        }
    }
}

// Every word, from an odd address, in both orders, as the canvas reference
// (pinned in BlendTest) has it, R and B swapped for Bgra; then rows of every
// length up to past the widest block, with nothing written past their end.
TEST_P(KernelTest, WidensEveryWord) {
    constexpr int kWords = 65536;
    std::vector<uint8_t> words(2 * kWords + 1), reference(4 * kWords);
    for (int v = 0; v < kWords; ++v) {
        StoreLe16(&words[1 + 2 * v], static_cast<uint16_t>(v));
    }
    WidenRow(&words[1], kWords, reference.data(), WideOrder::Rgba);
    for (WideOrder order : {WideOrder::Rgba, WideOrder::Bgra}) {
        const int red = order == WideOrder::Rgba ? 0 : 2;
        std::vector<uint8_t> wide(4 * kWords + kGuard);
        const auto check = [&](int count) {
            for (int i = 0; i < 4 * count; ++i) {
                const int channel = i % 4 == 0 ? red : (i % 4 == 2 ? 2 - red : i % 4);
                if (wide[i] != reference[i - i % 4 + channel]) {
                    return ::testing::AssertionFailure() << count << " pixels: byte " << i << " of word " << std::hex
                                                         << i / 4 << " is " << int(wide[i]);
                }
            }
            for (int i = 4 * count; i < 4 * count + kGuard; ++i) {
                if (wide[i] != 0xA5) {
                    return ::testing::AssertionFailure() << count << " pixels: byte " << i << " written";
                }
            }
            return ::testing::AssertionSuccess();
        };
        for (int count : {kWords, 0, 1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 63, 64, 65, 70}) {
            std::fill(wide.begin(), wide.end(), 0xA5);
            SetAt(GetParam()).widen(&words[1], count, wide.data(), order);
            ASSERT_TRUE(check(count)) << (order == WideOrder::Rgba ? "rgba" : "bgra");
        }
    }
}

// The vector sets against the scalar one, which the worked pixels pin down.
struct KernelAgainstScalar : KernelTest {
    // Both sets on the same inputs; false (with a report) at the first differing byte.
    bool Same(const RowCase& c) {
        if (c.routine->kernel == &RowKernels::translucent && (c.weight == 0 || c.weight == 31)) {
            return true; // outside what the draws pass (Kernels.h)
        }
        const RowInputs input(c, random);
        RowInputs expected = input;
        RunRows(g_scalarKernels, c, expected);
        for (const bool shared : SharedPasses(c.routine->kernel)) {
            RowInputs actual = input;
            RunRows(kernels, c, actual, shared);
            for (size_t i = 0; i < expected.destination.size(); ++i) {
                if (expected.destination[i] != actual.destination[i]) {
                    ADD_FAILURE() << c.routine->name << (shared ? " (shared)" : "") << ", " << c.rows << " rows of "
                                  << c.count << " pixels at offset " << c.offset << ", weight " << c.weight << ", tint "
                                  << c.tint << ": byte " << i - c.offset << " is " << int(actual.destination[i])
                                  << ", not " << int(expected.destination[i]);
                    return false;
                }
            }
        }
        return true;
    }
};

// Every remainder of every set's widest step, on one row and on three.
TEST_P(KernelAgainstScalar, EveryRowLengthAndAlignment) {
    for (const KernelRoutine& routine : kKernelRoutines) {
        for (int count = 0; count <= 67; ++count) {
            for (int offset = 0; offset < 66; ++offset) {
                const int weight = static_cast<int>(random() % 32);
                if (!Same({&routine, count, offset, weight, static_cast<uint16_t>(random()), 1 + offset % 2 * 2})) {
                    return;
                }
            }
        }
    }
}

// A 256-pixel row meets every alpha value, with every weight.
TEST_P(KernelAgainstScalar, EveryWeight) {
    for (const KernelRoutine& routine : kKernelRoutines) {
        for (int weight = 0; weight < 32; ++weight) {
            for (uint16_t tint : {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410}) {
                if (!Same({&routine, 256, 2, weight, tint})) {
                    return;
                }
            }
        }
    }
}

TEST_P(KernelAgainstScalar, AMillionRandomPixelsPerRoutine) {
    for (const KernelRoutine& routine : kKernelRoutines) {
        for (int row = 0; row < 1000; ++row) {
            if (!Same({&routine, 1000, static_cast<int>(random() % 64), static_cast<int>(random() % 32),
                       static_cast<uint16_t>(random())})) {
                return;
            }
        }
    }
}

std::vector<int> BuiltSets(bool withScalar) {
    int count = 0;
    BuiltInstructionSets(&count);
    std::vector<int> chosen;
    for (int i = withScalar ? 0 : 1; i < count; ++i) {
        chosen.push_back(i);
    }
    return chosen;
}

std::string SetName(const testing::TestParamInfo<int>& info) {
    return SetAt(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Kernels, KernelTest, testing::ValuesIn(BuiltSets(true)), SetName);
INSTANTIATE_TEST_SUITE_P(Kernels, KernelAgainstScalar, testing::ValuesIn(BuiltSets(false)), SetName);
// A build with the scalar set alone has nothing to compare.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(KernelAgainstScalar);

} // namespace
