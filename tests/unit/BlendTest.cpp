// The blend table and RGB565 arithmetic, checked against the values every
// drawn pixel depends on.
#include "sprite/Blend.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct BlendTest : testing::Test {
    void SetUp() override { BuildBlendTable(); }
};

TEST_F(BlendTest, TableHoldsFlooredProducts) {
    EXPECT_EQ(BlendTable[31][31], 241);
    EXPECT_EQ(BlendTable[31][16], 124);
    EXPECT_EQ(BlendTable[31][15], 116);
    EXPECT_EQ(BlendTable[16][16], 64);
    EXPECT_EQ(BlendTable[31][1], 7);
    EXPECT_EQ(BlendTable[4][1], 1);
    EXPECT_EQ(BlendTable[3][1], 0);
    // 64 * a * b an exact multiple of 255: no rounding slack either way.
    EXPECT_EQ(BlendTable[15][17], 64);
    EXPECT_EQ(BlendTable[17][15], 64);
    EXPECT_EQ(BlendTable[17][30], 128);
    EXPECT_EQ(BlendTable[30][17], 128);
    for (int a = 0; a < 32; ++a) {
        EXPECT_EQ(BlendTable[a][0], 0);
        EXPECT_EQ(BlendTable[0][a], 0);
        for (int b = 0; b < 32; ++b) {
            EXPECT_EQ(BlendTable[a][b], BlendTable[b][a]);
        }
    }
    BuildBlendTable();
    EXPECT_EQ(BlendTable[31][31], 241);
}

TEST_F(BlendTest, WorkedExamples) {
    EXPECT_EQ(BlendPixel(0xFFFF, 0x0000, 16), 0x7BEF);
    EXPECT_EQ(BlendPixel(0x0000, 0xFFFF, 16), 0x73AE);
    EXPECT_EQ(BlendPixel(0xFFFF, 0x0000, 30), 0xEF5D);
    EXPECT_EQ(BlendPixel(0xFFFF, 0x0000, 1), 0x0020);
    EXPECT_EQ(BlendPixel(0xF800, 0x001F, 25), 0xC005);
    for (uint16_t other : {0x0000, 0x1234, 0xF800, 0x07E0, 0xFFFF}) {
        EXPECT_EQ(BlendPixel(0xFFFF, other, 31), 0xF79E);
        EXPECT_EQ(BlendPixel(other, 0xFFFF, 0), 0xF79E);
        EXPECT_EQ(BlendPixel(0xF800, other, 31), 0xF000);
    }
}

// floor(64 * c * w / 255) per channel, summed, without the table.
uint16_t DirectBlend(uint16_t s, uint16_t d, int w) {
    auto part = [](int channel, int weight) { return 64 * channel * weight / 255; };
    const int red = part(s >> 11, w) + part(d >> 11, 31 - w);
    const int green = part((s >> 6) & 31, w) + part((d >> 6) & 31, 31 - w);
    const int blue = part(s & 31, w) + part(d & 31, 31 - w);
    return static_cast<uint16_t>(((red >> 3) << 11) | ((green >> 2) << 5) | (blue >> 3));
}

TEST_F(BlendTest, BlendPixelMatchesDirectFormulaForAllWeights) {
    std::vector<uint16_t> pixels = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0020, 0x8410, 0x7BEF, 0xF79E, 0x1234};
    for (uint32_t v = 1; pixels.size() < 96; v = v * 1103515245u + 12345u) {
        pixels.push_back(static_cast<uint16_t>(v >> 16));
    }
    for (int w = 0; w < 32; ++w) {
        for (uint16_t s : pixels) {
            for (uint16_t d : pixels) {
                const uint16_t result = BlendPixel(s, d, w);
                ASSERT_EQ(result, DirectBlend(s, d, w)) << std::hex << s << " over " << d << " at " << std::dec << w;
                // No channel of a blend ever reaches its maximum.
                ASSERT_LE(result >> 11, 30);
                ASSERT_LE((result >> 5) & 63, 60);
                ASSERT_LE(result & 31, 30);
            }
        }
        // Green's lowest bit takes no part.
        EXPECT_EQ(BlendPixel(0x0020, 0x0000, w), 0);
    }
}

TEST_F(BlendTest, ColorToPixelTakesRedFromTheLowByte) {
    EXPECT_EQ(ColorToPixel(0x0000FF), 0xF800);
    EXPECT_EQ(ColorToPixel(0x00FF00), 0x07E0);
    EXPECT_EQ(ColorToPixel(0xFF0000), 0x001F);
    EXPECT_EQ(ColorToPixel(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(ColorToPixel(0xFF0000FF), 0xF800);
    EXPECT_EQ(ColorToPixel(0x00081018), 0x1881); // r 0x18, g 0x10, b 0x08
}

} // namespace
