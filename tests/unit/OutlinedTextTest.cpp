// Outlined text on tiny surfaces, checked pixel by pixel against the font.
#include "TestSupport.h"

#include "display/DisplayDevice.h"
#include "platform/portable/Font8x13.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr uint16_t kBackground = 0x1234;
constexpr uint16_t kRed = 0xF800;   // 0x000000FF as RGB565
constexpr uint16_t kWhite = 0xFFFF; // 0x00FFFFFF

// Glyph pixels of text with its first cell's top-left at (x, y), unclipped.
std::set<std::pair<int, int>> GlyphPixels(const char* text, int x, int y) {
    std::set<std::pair<int, int>> pixels;
    for (size_t i = 0; i < std::strlen(text); ++i) {
        const uint8_t* glyph = kFont8x13[static_cast<unsigned char>(text[i]) - kFontFirstChar];
        for (int row = 0; row < kFontHeight; ++row) {
            for (int col = 0; col < kFontWidth; ++col) {
                if (glyph[row] & (0x80 >> col)) {
                    pixels.insert({x + static_cast<int>(i) * kFontWidth + col, y + row});
                }
            }
        }
    }
    return pixels;
}

// Draws text and checks every pixel: glyph pixels red, their four neighbours
// (and only those) white, everything else untouched.
void ExpectOutlinedText(const char* text, int x, int y) {
    TestSurface surface(40, 20);
    surface.Fill(kBackground);
    LPDIRECTDRAWSURFACE7 field = surface.surface;
    EXPECT_TRUE(g_display.DrawOutlinedText(field, static_cast<int16_t>(x), static_cast<int16_t>(y), 0x000000FF,
                                           0x00FFFFFF, text));
    const std::set<std::pair<int, int>> glyph = GlyphPixels(text, x, y);
    int outlined = 0;
    for (int py = 0; py < surface.height; ++py) {
        for (int px = 0; px < surface.width; ++px) {
            uint16_t expected = kBackground;
            if (glyph.count({px, py})) {
                expected = kRed;
            } else if (glyph.count({px - 1, py}) || glyph.count({px + 1, py}) || glyph.count({px, py - 1}) ||
                       glyph.count({px, py + 1})) {
                expected = kWhite;
                outlined++;
            }
            ASSERT_EQ(surface.Get(px, py), expected) << "pixel " << px << "," << py << " of '" << text << "'";
        }
    }
    EXPECT_GT(outlined, 0);
}

} // namespace

TEST(OutlinedText, EmptyStringChangesNothing) {
    TestSurface surface(16, 16);
    surface.Fill(kBackground);
    const std::vector<uint8_t> before = surface.Bytes();
    LPDIRECTDRAWSURFACE7 field = surface.surface;
    EXPECT_TRUE(g_display.DrawOutlinedText(field, 2, 2, 0x000000FF, 0x00FFFFFF, ""));
    EXPECT_EQ(surface.Bytes(), before);
}

// "X" and "/" have diagonal strokes: pixels touching them only at a corner
// must keep their colour. "%" and "8" have closed shapes where outline and
// glyph meet.
TEST(OutlinedText, OutlineOnlyBesideGlyphPixelsAndTheCentreCopyWins) {
    ExpectOutlinedText("X/", 5, 3);
    ExpectOutlinedText("%8", 10, 4);
}

TEST(OutlinedText, AtTheTopLeftEdgeOnlyWhatFallsOutsideIsLost) {
    // Glyphs touching column 0 and row 0: "|" spans nearly the whole cell.
    ExpectOutlinedText("|W", 0, 0);
    ExpectOutlinedText("|W", -1, -2);
}
