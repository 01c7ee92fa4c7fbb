// The draw routines on a 7x5 surface whose rows are padded (pitch 16 bytes):
// every pixel and every padding byte is checked.
#include "TestSupport.h"
#include "display/DisplayDevice.h"
#include "sprite/Blend.h"
#include "tests/support/DrawRoutines.h"
#include "tests/support/EverySet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

constexpr int kWidth = 7;
constexpr int kHeight = 5;
constexpr uint16_t kBackground = 0x0000;
constexpr uint16_t kWhite = 0xFFFF;
constexpr uint16_t kKey = 0xF81F;

// A frame whose every pixel is different (and none is the key).
TestFrame PatternFrame(int16_t width, int16_t height) {
    TestFrame frame;
    frame.width = width;
    frame.height = height;
    frame.colorKey = kKey;
    for (int v = 0; v < height; ++v) {
        for (int u = 0; u < width; ++u) {
            frame.pixels.push_back(static_cast<uint16_t>(0x1000 + 0x100 * v + u));
        }
    }
    return frame;
}

TestFrame SolidFrame(int16_t width, int16_t height, uint16_t pixel, std::vector<uint8_t> alpha = {}) {
    TestFrame frame;
    frame.width = width;
    frame.height = height;
    frame.colorKey = kKey;
    frame.pixels.assign(static_cast<size_t>(width * height), pixel);
    frame.alpha = std::move(alpha);
    return frame;
}

struct SpriteDrawTest : testing::Test {
    TestSurface surface{kWidth, kHeight};
    ScopedDrawTarget target{surface};

    void SetUp() override {
        BuildBlendTable();
        surface.Fill(kBackground);
    }

    // Every pixel: where frame pixel (u, v) lands at (x + u, y + v), drawn(u, v);
    // everywhere else the background. The padding after each row stays as filled.
    void ExpectDrawnPixels(const TestFrame& frame, int64_t x, int64_t y,
                           const std::function<uint16_t(int, int)>& drawn) {
        for (int row = 0; row < kHeight; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                const int64_t u = column - x;
                const int64_t v = row - y;
                uint16_t expected = kBackground;
                if (u >= 0 && u < frame.width && v >= 0 && v < frame.height) {
                    expected = drawn(int(u), int(v));
                }
                EXPECT_EQ(surface.Get(column, row), expected) << "at " << column << "," << row;
            }
            for (int byte = kWidth * 2; byte < surface.pitch; ++byte) {
                EXPECT_EQ(surface.pixels[row * surface.pitch + byte], 0) << "padding of row " << row;
            }
        }
    }

    // Frame pixel (u, v) itself where shown(u, v) holds.
    void ExpectFramePixels(const TestFrame& frame, int64_t x, int64_t y, const std::function<bool(int, int)>& shown) {
        ExpectDrawnPixels(frame, x, y, [&](int u, int v) {
            return shown(u, v) ? frame.pixels[static_cast<size_t>(v * frame.width + u)] : kBackground;
        });
    }

    void ExpectUnchanged() {
        ExpectFramePixels(TestFrame(), 0, 0, [](int, int) { return false; });
    }
};

bool Always(int, int) {
    return true;
}

TEST_F(SpriteDrawTest, PlacementAppliesHotspotOffsetAndFixedPosition) {
    struct Case {
        int16_t fixedX, fixedY;
        int32_t x, y;
    };
    const Case cases[] = {{-1, -1, 93, 26}, {5, -1, 5, 26}, {5, 0, 5, 0}, {-2, -1, -2, 26}};
    for (const Case& c : cases) {
        TestFrame frame;
        frame.hotspotX = 10;
        frame.hotspotY = 20;
        frame.offsetX = 3;
        frame.offsetY = -4;
        frame.fixedX = c.fixedX;
        frame.fixedY = c.fixedY;
        int32_t x = 100;
        int32_t y = 50;
        MakeSprite(frame).ApplyPlacement(x, y);
        EXPECT_EQ(x, c.x);
        EXPECT_EQ(y, c.y);
    }
    // Far off the plane the corner stays far off instead of wrapping round.
    TestFrame frame;
    frame.hotspotX = -10;
    frame.hotspotY = 10;
    int32_t x = INT32_MAX - 5;
    int32_t y = INT32_MIN + 5;
    MakeSprite(frame).ApplyPlacement(x, y);
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
}

// Bounds that do not start at 0,0: each pixel inside them still shows the
// frame pixel that lies there.
TEST_F(SpriteDrawTest, ClipRectangleAnywhereShowsTheFramePixelsInside) {
    const TestFrame frame = PatternFrame(5, 4);
    const RECT clip = {2, 1, 6, 4};
    g_display.clipRect = clip;
    for (const auto& corner : {std::make_pair(-1, -1), std::make_pair(3, 2), std::make_pair(2, 1)}) {
        SCOPED_TRACE(testing::Message() << "corner " << corner.first << "," << corner.second);
        surface.Fill(kBackground);
        MakeSprite(frame).DrawKeyed(surface.surface, corner.first, corner.second);
        ExpectFramePixels(frame, corner.first, corner.second, [&](int u, int v) {
            const int x = corner.first + u, y = corner.second + v;
            return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        });
    }
}

TEST_F(SpriteDrawTest, FramesWhollyOutsideChangeNothing) {
    const TestFrame frame = PatternFrame(5, 4);
    const Sprite sprite = MakeSprite(frame);
    const int32_t corners[][2] = {{7, 0},          {0, 5},         {-5, 0},
                                  {0, -4},         {INT32_MAX, 0}, {0, INT32_MAX},
                                  {INT32_MIN, 0},  {0, INT32_MIN}, {INT32_MAX - 2, INT32_MAX - 2},
                                  {-32768, -32768}};
    for (const auto& corner : corners) {
        for (const DrawRoutine& routine : kDrawRoutines) {
            routine.Run(sprite, surface.surface, corner[0], corner[1], {});
        }
    }
    ExpectUnchanged();
}

TEST_F(SpriteDrawTest, ColorKeyIsNeverWritten) {
    TestFrame frame = PatternFrame(3, 2);
    frame.pixels[1] = kKey;
    frame.pixels[5] = kKey;
    frame.alpha.assign(6, 255);
    const Sprite sprite = MakeSprite(frame);
    for (const DrawRoutine& routine : kDrawRoutines) {
        for (int amount : {0, 128, 255}) {
            SCOPED_TRACE(testing::Message() << routine.name << " at " << amount);
            const DrawArguments call = {amount, 0x00FF00, amount};
            surface.Fill(kBackground);
            routine.Run(sprite, surface.surface, 2, 1, call);
            ExpectDrawnPixels(frame, 2, 1, [&](int u, int v) {
                const uint16_t s = frame.pixels[static_cast<size_t>(v * 3 + u)];
                return s == kKey ? kBackground : routine.Rule(kBackground, s, 255, kKey, call);
            });
        }
    }
}

// Every draw at every edge: each pixel that stays is its own frame pixel,
// with its own alpha, under the routine's rule. Red, green and blue step with
// the column, the row and both, far enough apart to stay apart after a blend;
// alpha cycles through opaque, half and transparent.
TEST_F(SpriteDrawTest, EveryDrawClipsOnEveryEdge) {
    TestFrame frame = PatternFrame(5, 4);
    const uint8_t alphas[] = {255, 128, 0};
    for (int v = 0; v < 4; ++v) {
        for (int u = 0; u < 5; ++u) {
            frame.pixels[static_cast<size_t>(5 * v + u)] =
                static_cast<uint16_t>((3 + 6 * u) << 11 | (4 + 14 * v) << 5 | (5 + 7 * u + 11 * v) % 32);
            frame.alpha.push_back(alphas[(u + 2 * v) % 3]);
        }
    }
    frame.hotspotX = 1; // placement is applied: requested x + 1 is the corner
    const Sprite sprite = MakeSprite(frame);
    const int32_t corners[][2] = {{1, 1}, {-3, 1},  {1, -2}, {5, 1},  {1, 3},   {-3, -2},
                                  {5, 3}, {-1, -1}, {-3, 0}, {0, -2}, {-2, -1}, {4, 2}};
    for (const DrawRoutine& routine : kDrawRoutines) {
        for (const auto& corner : corners) {
            SCOPED_TRACE(testing::Message() << routine.name << ", corner " << corner[0] << "," << corner[1]);
            surface.Fill(kBackground);
            routine.Run(sprite, surface.surface, corner[0] + 1, corner[1], {});
            ExpectDrawnPixels(frame, corner[0], corner[1], [&](int u, int v) {
                const size_t i = static_cast<size_t>(5 * v + u);
                return routine.Rule(kBackground, frame.pixels[i], frame.alpha[i], kKey, {});
            });
        }
    }
}

TEST_F(SpriteDrawTest, AlphaThresholds) {
    const Sprite sprite = MakeSprite(SolidFrame(7, 1, kWhite, {0, 7, 8, 128, 247, 248, 255}));
    sprite.DrawAlpha(surface.surface, 0, 0);
    const uint16_t expected[] = {kBackground, kBackground, 0x0020, 0x7BEF, 0xEF5D, kWhite, kWhite};
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(surface.Get(x, 0), expected[x]) << x;
    }
    // The blend reads the destination: a red background shows through.
    surface.Fill(0xF800);
    sprite.DrawAlpha(surface.surface, 0, 0);
    EXPECT_EQ(surface.Get(3, 0), BlendPixel(kWhite, 0xF800, 16));
    EXPECT_EQ(surface.Get(1, 0), 0xF800);
}

TEST_F(SpriteDrawTest, TranslucentOpacities) {
    // White over black at each side of every weight boundary.
    const std::pair<int, uint16_t> cases[] = {
        {-1000, kBackground}, {-1, kBackground}, {0, kBackground}, {7, kBackground}, {8, 0x0020},
        {128, 0x7BEF},        {239, 0xE71C},     {240, 0xEF5D},    {247, 0xEF5D},    {248, kWhite},
        {255, kWhite},        {256, kWhite},     {100000, kWhite},
    };
    const Sprite sprite = MakeSprite(SolidFrame(1, 1, kWhite));
    for (const auto& [opacity, expected] : cases) {
        surface.Set(0, 0, kBackground);
        sprite.DrawTranslucent(surface.surface, 0, 0, opacity);
        EXPECT_EQ(surface.Get(0, 0), expected) << opacity;
    }
    // Opaque translucency is exactly a keyed copy.
    const TestFrame frame = PatternFrame(5, 4);
    surface.Fill(kBackground);
    MakeSprite(frame).DrawTranslucent(surface.surface, 3, 2, 255);
    ExpectFramePixels(frame, 3, 2, Always);
}

TEST_F(SpriteDrawTest, TintedExamples) {
    struct Case {
        uint16_t source;
        std::vector<uint8_t> alpha;
        COLORREF tint;
        int amount;
        uint16_t expected;
    };
    const Case cases[] = {
        {kWhite, {255}, 0x0000FF, 0, 0xF79E},
        {kWhite, {255}, 0x0000FF, 7, 0xF79E},
        {kWhite, {255}, 0x0000FF, -20, 0xF79E},
        {kWhite, {255}, 0x0000FF, 128, 0xF3AE},
        {kWhite, {255}, 0xFF0000FF, 128, 0xF3AE},
        {kWhite, {128}, 0x0000FF, 128, 0x79C7},
        {kWhite, {255}, 0x00FF00, 255, 0x0780},
        {kWhite, {255}, 0x00FF00, 1000, 0x0780},
        {0x8410, {255}, 0xFF0000, 192, 0x18FA},
        {kWhite, {}, 0x0000FF, 128, 0xF3AE}, // no alpha values: every pixel opaque
        {kWhite, {7}, 0x0000FF, 128, kBackground},
    };
    for (const Case& c : cases) {
        surface.Set(0, 0, kBackground);
        MakeSprite(SolidFrame(1, 1, c.source, c.alpha)).DrawTinted(surface.surface, 0, 0, c.tint, c.amount);
        EXPECT_EQ(surface.Get(0, 0), c.expected) << std::hex << c.tint << " " << std::dec << c.amount;
    }
}

TEST_F(SpriteDrawTest, DrawPicksAlphaOnlyWhenTheFrameHasIt) {
    TestFrame frame = PatternFrame(3, 2);
    Sprite keyed = MakeSprite(frame);
    keyed.DrawAlpha(surface.surface, 1, 1); // without alpha values: opaque
    ExpectFramePixels(frame, 1, 1, Always);
    surface.Fill(kBackground);
    keyed.Draw(surface.surface, 1, 1);
    ExpectFramePixels(frame, 1, 1, Always);

    frame.alpha = {255, 0, 255, 0, 255, 0};
    surface.Fill(kBackground);
    MakeSprite(frame).Draw(surface.surface, 1, 1);
    ExpectFramePixels(frame, 1, 1, [](int u, int v) { return (u + v) % 2 == 0; });
}

TEST_F(SpriteDrawTest, FramesTooSmallForTheirBlocksDrawNothing) {
    TestFrame shortPixels = SolidFrame(3, 2, kWhite, {255, 255, 255, 255, 255, 255});
    shortPixels.pixels.pop_back();
    TestFrame shortAlpha = SolidFrame(3, 2, kWhite, {255, 255, 255, 255, 255});
    TestFrame negative = SolidFrame(1, 1, kWhite);
    negative.width = -1;
    const Sprite sprites[] = {MakeSprite(shortPixels),
                              MakeSprite(shortAlpha),
                              MakeSprite(SolidFrame(0, 2, kWhite)),
                              MakeSprite(SolidFrame(2, 0, kWhite)),
                              MakeSprite(negative),
                              Sprite()};
    for (const Sprite& sprite : sprites) {
        for (const DrawRoutine& routine : kDrawRoutines) {
            // Alpha is not read by the keyed copy, so a short alpha block is no obstacle there.
            if (routine.readsAlpha || &sprite != &sprites[1]) {
                routine.Run(sprite, surface.surface, 0, 0, {255, 0x0000FF, 128});
            }
        }
    }
    ExpectUnchanged();

    sprites[1].DrawKeyed(surface.surface, 0, 0);
    ExpectFramePixels(shortAlpha, 0, 0, Always);
}

TEST_F(SpriteDrawTest, FailedLockDrawsNothingAndTheNextDrawTriesAgain) {
    TempDir dir;
    ScopedWorkingDir workingDir(dir.path);
    ScopedHeadless headless;
    headless.state->lockFailures = 1;
    const TestFrame frame = PatternFrame(3, 2);
    const Sprite sprite = MakeSprite(frame);
    sprite.DrawKeyed(surface.surface, 1, 1);
    ExpectUnchanged();
    EXPECT_EQ(ReadFileText("ErrLog.txt"), "Lock\n");
    sprite.DrawKeyed(surface.surface, 1, 1);
    ExpectFramePixels(frame, 1, 1, Always);
}

// An empty frame still takes its window, in every draw, so its failing lock is logged too.
TEST_F(SpriteDrawTest, EmptyFrameStillLocksItsTarget) {
    TempDir dir;
    ScopedWorkingDir workingDir(dir.path);
    ScopedHeadless headless;
    for (const auto& [width, height] : {std::pair<int16_t, int16_t>{0, 2}, {2, 0}, {-3, 2}, {2, -1}}) {
        TestFrame frame = PatternFrame(2, 2);
        frame.alpha.assign(4, 128);
        frame.width = width;
        frame.height = height;
        const Sprite sprite = MakeSprite(frame);
        for (const DrawRoutine& routine : kDrawRoutines) {
            headless.state->lockFailures = 1;
            std::remove("ErrLog.txt");
            routine.Run(sprite, surface.surface, 1, 1, {});
            EXPECT_EQ(ReadFileText("ErrLog.txt"), "Lock\n") << width << "x" << height << ", " << routine.name;
            EXPECT_EQ(headless.state->lockFailures, 0);
        }
    }
    ExpectUnchanged();
}

} // namespace

// Alpha and tinted draws by a frame's span plan against the same frame drawn
// pixel by pixel, on every set: runs of 8-11 pixels, every third 50-53 so
// that every set's kernels walk the plan, whose alpha sits on each side of
// the class thresholds (7/8, 247/248) or whose pixels are the key, cut by the
// surface's edges on every side, at the start, middle and end of runs, or
// whole rows, which sets draw by the plan's chunks.
TEST(SpanPlanDraw, SameAsEveryPixelUnderEveryClip) {
    BuildBlendTable();
    const uint8_t alphas[] = {0, 7, 8, 247, 248, 255, 255, 128};
    constexpr int kKeyRun = 6; // the second run at alpha 255 is the key's
    constexpr int kWidth = 168;
    TestFrame frame = PatternFrame(kWidth, 6);
    for (int v = 0, run = 0; v < 6; ++v) {
        for (int u = 0; u < kWidth; ++run) {
            for (int end = std::min(kWidth, u + 8 + run % 4 + (run % 3 == 0 ? 42 : 0)); u < end; ++u) {
                frame.alpha.push_back(alphas[run % 8]);
                if (run % 8 == kKeyRun) {
                    frame.pixels[static_cast<size_t>(kWidth * v + u)] = kKey;
                }
            }
        }
    }
    Sprite planned = MakeSprite(frame);
    planned.frames[0].spans = MakeSpanPlan(planned.frames[0]);
    ASSERT_TRUE(PlanFits(planned.frames[0].spans, planned.frames[0].height));
    const Sprite unplanned = MakeSprite(frame);
    // A plan left from before the frame grew: the draws must not follow it.
    Sprite stale = MakeSprite(frame);
    stale.frames[0].height = 3;
    stale.frames[0].spans = MakeSpanPlan(stale.frames[0]);
    stale.frames[0].height = 6;

    TestSurface bySpans{200, 4}, byPixels{200, 4};
    ScopedDrawTarget target{bySpans};
    ForEveryRunnableSet([&](const RunnableSet& set) {
        for (const DrawRoutine& routine : kDrawRoutines) {
            for (int x : {0, -1, -7, -8, -9, -20, -24, -30, -61, -75, 3, 20, 26, 47, 70, 80}) {
                for (int y : {0, -1, -3, 1, 2}) {
                    SCOPED_TRACE(testing::Message() << set.name << " " << routine.name << " at " << x << "," << y);
                    byPixels.Fill(0x5AA5);
                    routine.Run(unplanned, byPixels.surface, x, y, {128, 0x00FF00, 100});
                    for (const Sprite* sprite : {&planned, &stale}) {
                        bySpans.Fill(0x5AA5);
                        routine.Run(*sprite, bySpans.surface, x, y, {128, 0x00FF00, 100});
                        ASSERT_EQ(bySpans.Bytes(), byPixels.Bytes()) << (sprite == &stale ? "stale plan" : "");
                    }
                }
            }
        }
    });
}
