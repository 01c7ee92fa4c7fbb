// The blend table and RGB565 arithmetic, checked against the values every
// drawn pixel depends on.
#include "sprite/Blend.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct BlendTest : testing::Test {
    void SetUp() override { BuildBlendTable(); }
};

TEST_F(BlendTest, TableHoldsFlooredProducts) {
    // floor(64ab / 255) worked out by hand; 15 x 17 and 17 x 30 are exact
    // multiples of 255, where a rounding slip either way shows.
    const int entries[][3] = {{31, 31, 241}, {31, 16, 124}, {31, 15, 116}, {16, 16, 64},  {31, 1, 7},    {4, 1, 1},
                              {3, 1, 0},     {15, 17, 64},  {17, 15, 64},  {17, 30, 128}, {30, 17, 128}, {29, 31, 225}};
    for (const auto& [a, b, product] : entries) {
        EXPECT_EQ(BlendTable[a][b], product) << a << " x " << b;
    }
    // Row and column 0 are 0, the table is symmetric and grows along each row.
    for (int a = 0; a < 32; ++a) {
        for (int b = 0; b < 32; ++b) {
            ASSERT_EQ(BlendTable[a][b], BlendTable[b][a]) << a << " x " << b;
            if (a == 0 || b == 0) {
                ASSERT_EQ(BlendTable[a][b], 0) << a << " x " << b;
            }
            ASSERT_GE(BlendTable[a][b], b == 0 ? 0 : BlendTable[a][b - 1]) << a << " x " << b;
        }
    }
    // Building again writes every entry with the same value.
    std::vector<uint8_t> built(&BlendTable[0][0], &BlendTable[0][0] + sizeof BlendTable);
    std::memset(BlendTable, 0xA5, sizeof BlendTable);
    BuildBlendTable();
    EXPECT_EQ(std::vector<uint8_t>(&BlendTable[0][0], &BlendTable[0][0] + sizeof BlendTable), built);
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

// What holds for every blend: channels do not mix, and no channel of a blend
// reaches its maximum.
TEST_F(BlendTest, BlendPixelKeepsChannelsApart) {
    std::vector<uint16_t> pixels = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x0020, 0x8410, 0x7BEF, 0xF79E, 0x1234};
    for (uint32_t v = 1; pixels.size() < 96; v = v * 1103515245u + 12345u) {
        pixels.push_back(static_cast<uint16_t>(v >> 16));
    }
    const uint16_t masks[] = {0xF800, 0x07E0, 0x001F};
    for (uint16_t s : pixels) {
        for (uint16_t d : pixels) {
            for (int w = 0; w < 32; ++w) {
                const uint16_t result = BlendPixel(s, d, w);
                for (uint16_t mask : masks) {
                    ASSERT_EQ(result & mask, BlendPixel(s & mask, d & mask, w) & mask)
                        << std::hex << s << " over " << d << " at " << std::dec << w;
                }
                ASSERT_LE(result >> 11, 30);
                ASSERT_LE((result >> 5) & 63, 60);
                ASSERT_LE(result & 31, 30);
            }
        }
    }
    // Green's lowest bit takes no part.
    for (int w = 0; w < 32; ++w) {
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

// Every word as a canvas gets it: the top bits of each channel give the word
// back, the low bits repeat the top ones, alpha is opaque.
TEST(Rgb565, EveryWordWidensToRgbaByBitReplication) {
    std::vector<uint8_t> words(2 * 65536 + 1); // from an odd address: rows have any alignment
    for (int v = 0; v < 65536; ++v) {
        words[1 + 2 * v] = static_cast<uint8_t>(v);
        words[2 + 2 * v] = static_cast<uint8_t>(v >> 8);
    }
    std::vector<uint8_t> rgba(4 * 65536);
    WidenRow(words.data() + 1, 65536, rgba.data(), WideOrder::Rgba);
    for (int v = 0; v < 65536; ++v) {
        const uint8_t* p = &rgba[4 * v];
        ASSERT_EQ(PackRgb565(p[0], p[1], p[2]), v);
        ASSERT_EQ(p[0] & 7, p[0] >> 5) << v;
        ASSERT_EQ(p[1] & 3, p[1] >> 6) << v;
        ASSERT_EQ(p[2] & 7, p[2] >> 5) << v;
        ASSERT_EQ(p[3], 255) << v;
    }
}

} // namespace
