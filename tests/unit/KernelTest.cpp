// Every row kernel set against the scalar one: the same words for every row
// length and alignment, every weight and alpha value, and a million random
// pixels per routine, with nothing written outside the row.
#include "sprite/Blend.h"
#include "sprite/kernels/Kernels.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <vector>

// Test names and messages show a set by its name.
void PrintTo(const KernelSet& set, std::ostream* out) {
    *out << set.kernels->name;
}

namespace {

enum class Routine { Keyed, Alpha, Translucent, Tinted, TintedOpaque };
constexpr Routine kRoutines[] = {Routine::Keyed, Routine::Alpha, Routine::Translucent, Routine::Tinted,
                                 Routine::TintedOpaque};
constexpr uint16_t kKey = 0xF81F;
constexpr int kGuard = 64;

struct RowCase {
    Routine routine;
    int count;
    int offset; // bytes between an aligned buffer start and the first pixel
    int weight; // the translucent weight, or the tint's
    uint16_t tint;
};

// Inputs as real art has them: alpha mostly 0 or 255 with edges between,
// and some pixels equal to the colour key.
struct RowInputs {
    std::vector<uint8_t> destination, source, alpha;

    RowInputs(const RowCase& c, std::mt19937& random) {
        const size_t bytes = static_cast<size_t>(c.offset + 2 * c.count + kGuard);
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

void RunRow(const RowKernels& kernels, const RowCase& c, RowInputs& in) {
    uint8_t* d = in.destination.data() + c.offset;
    const uint8_t* s = in.source.data() + c.offset / 2 * 2 + 1; // sources misaligned too
    const uint8_t* a = in.alpha.data() + c.offset;
    switch (c.routine) {
    case Routine::Keyed:
        kernels.keyed(d, s, c.count, kKey);
        break;
    case Routine::Alpha:
        kernels.alpha(d, s, a, c.count, kKey);
        break;
    case Routine::Translucent:
        kernels.translucent(d, s, c.count, kKey, c.weight);
        break;
    case Routine::Tinted:
        kernels.tinted(d, s, a, c.count, kKey, c.tint, c.weight);
        break;
    case Routine::TintedOpaque:
        kernels.tintedOpaque(d, s, c.count, kKey, c.tint, c.weight);
        break;
    }
}

struct KernelTest : testing::TestWithParam<KernelSet> {
    std::mt19937 random{12345};

    void SetUp() override {
        BuildBlendTable();
        if (!GetParam().runnable) {
            GTEST_SKIP() << GetParam().kernels->name << " is not supported by this processor";
        }
    }

    // Both sets on the same inputs; false (with a report) at the first differing byte.
    bool Same(const RowCase& c) {
        if (c.routine == Routine::Translucent && (c.weight == 0 || c.weight == 31)) {
            return true; // outside what the draws pass (Kernels.h)
        }
        RowInputs expected(c, random);
        RowInputs actual = expected;
        RunRow(g_scalarKernels, c, expected);
        RunRow(*GetParam().kernels, c, actual);
        for (size_t i = 0; i < expected.destination.size(); ++i) {
            if (expected.destination[i] != actual.destination[i]) {
                ADD_FAILURE() << "routine " << int(c.routine) << ", " << c.count << " pixels at offset " << c.offset
                              << ", weight " << c.weight << ", tint " << c.tint << ": byte " << i - c.offset << " is "
                              << int(actual.destination[i]) << ", not " << int(expected.destination[i]);
                return false;
            }
        }
        return true;
    }
};

TEST_P(KernelTest, EveryRowLengthAndAlignment) {
    for (Routine routine : kRoutines) {
        for (int count = 0; count <= 67; ++count) {
            for (int offset = 0; offset < 66; ++offset) {
                const int weight = static_cast<int>(random() % 32);
                if (!Same({routine, count, offset, weight, static_cast<uint16_t>(random())})) {
                    return;
                }
            }
        }
    }
}

// A 256-pixel row meets every alpha value, with every weight.
TEST_P(KernelTest, EveryWeight) {
    for (Routine routine : kRoutines) {
        for (int weight = 0; weight < 32; ++weight) {
            for (uint16_t tint : {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410}) {
                if (!Same({routine, 256, 2, weight, tint})) {
                    return;
                }
            }
        }
    }
}

TEST_P(KernelTest, AMillionRandomPixelsPerRoutine) {
    for (Routine routine : kRoutines) {
        for (int row = 0; row < 1000; ++row) {
            if (!Same({routine, 1000, static_cast<int>(random() % 64), static_cast<int>(random() % 32),
                       static_cast<uint16_t>(random())})) {
                return;
            }
        }
    }
}

std::vector<KernelSet> AllBuiltSets() {
    int count = 0;
    const KernelSet* sets = BuiltKernelSets(&count);
    return {sets, sets + count};
}

INSTANTIATE_TEST_SUITE_P(Kernels, KernelTest, testing::ValuesIn(AllBuiltSets()),
                         [](const testing::TestParamInfo<KernelSet>& info) { return info.param.kernels->name; });

} // namespace
