// The demo scene: the frame-rate count and text, and whole frames rendered
// by the real frame loop compared with reviewed golden images.
#include "ChildProcess.h"
#include "TestSupport.h"

#include "app/Scene.h"
#include "display/DisplayDevice.h"
#include "tests/support/EverySet.h"
#include "tools/common/PngIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// g_display's back buffer is surface for the scope.
struct ScopedBackBuffer {
    LPDIRECTDRAWSURFACE7 saved;
    explicit ScopedBackBuffer(const TestSurface& surface) : saved(g_display.backBuffer) {
        g_display.backBuffer = surface.surface;
    }
    ~ScopedBackBuffer() { g_display.backBuffer = saved; }
};

class FrameRateCount : public testing::Test {
protected:
    ScopedHeadless headless;
    TestSurface surface{320, 40};
    ScopedBackBuffer backBuffer{surface};
    FrameRate frameRate;

    void PassAt(uint32_t tick) {
        headless.state->tickCount = tick;
        DrawFrameRate(frameRate);
    }
};

} // namespace

TEST_F(FrameRateCount, MeasuresOnlyAfterMoreThanASecond) {
    PassAt(1000);
    EXPECT_EQ(frameRate.passCount, 1);
    EXPECT_STREQ(frameRate.text, "FPS : 0.000000");
    PassAt(1001);
    EXPECT_EQ(frameRate.passCount, 0);
    EXPECT_EQ(frameRate.lastMeasurement, 1001u);
    EXPECT_DOUBLE_EQ(frameRate.rate, 2.0 / 1001.0 * 1000.0);
    EXPECT_STREQ(frameRate.text, "FPS : 1.998002");
}

TEST_F(FrameRateCount, SixtyPassesInAWindowOf1001Ms) {
    frameRate.lastMeasurement = 5000;
    for (int pass = 0; pass < 59; ++pass) {
        PassAt(5000 + static_cast<uint32_t>(pass) * 16);
    }
    EXPECT_EQ(frameRate.passCount, 59);
    PassAt(6001);
    EXPECT_STREQ(frameRate.text, "FPS : 59.940060");
    // The text stays the same until the next measurement.
    PassAt(6100);
    EXPECT_STREQ(frameRate.text, "FPS : 59.940060");
    EXPECT_EQ(frameRate.passCount, 1);
}

TEST_F(FrameRateCount, ElapsedTimeIsRightAcrossTheTickWrap) {
    frameRate.lastMeasurement = 0xFFFFFF00u;
    frameRate.passCount = 99;
    PassAt(0x2E8); // 1000 ms after the last measurement
    EXPECT_EQ(frameRate.passCount, 100);
    PassAt(0x2E9); // 1001 ms
    EXPECT_DOUBLE_EQ(frameRate.rate, 101.0 / 1001.0 * 1000.0);
    EXPECT_EQ(frameRate.lastMeasurement, 0x2E9u);
}

TEST_F(FrameRateCount, FirstMeasurementOnALongRunningSystemShowsNearZero) {
    PassAt(3600000); // an hour of uptime: the first pass measures at once
    EXPECT_STREQ(frameRate.text, "FPS : 0.000278");
    EXPECT_EQ(frameRate.lastMeasurement, 3600000u);
}

namespace {

const char kGoldenDir[] = SPRITEDEMO_SOURCE_DIR "/tests/golden";
const char kGirl[] = SPRITEDEMO_BINARY_DIR "/demo/girl.spr";
const char kBackground[] = SPRITEDEMO_BINARY_DIR "/demo/bg.spr";
// The frame-rate text's box: everything the outlined "FPS : ..." can touch.
constexpr int kTextRight = 20 + 8 * 20 + 1;
constexpr int kTextBottom = 20 + 13 + 1;

struct RenderedFrame {
    bool ok;
    std::vector<uint16_t> pixels;
};

// One pass of the real frame loop in a child, with the pointer at (x, y).
RenderedFrame RenderScene(int x, int y, const char* girl, const char* background) {
    ChildRun child;
    const ChildResult result = child.Run(
        [&](HeadlessState& state) {
            state.quitAfterFrames = 1;
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
            g_girlFileName = girl;
            g_backgroundFileName = background;
        },
        CallWinMain);
    RenderedFrame frame = {result.ExitedWith(0) && result.state->framesPresented == 1, {}};
    frame.pixels.assign(result.state->frame, result.state->frame + kHeadlessFrameWidth * kHeadlessFrameHeight);
    return frame;
}

PngImage ImageOf(const std::vector<uint16_t>& pixels) {
    return Rgb565Image(pixels.data(), kHeadlessFrameWidth, kHeadlessFrameHeight);
}

// Compares with tests/golden/NAME.png. SPRITEDEMO_UPDATE_GOLDEN=1 rewrites the
// golden instead; a mismatch leaves the frame beside the build for review.
void ExpectGolden(const std::vector<uint16_t>& pixels, const std::string& name) {
    const std::string golden = std::string(kGoldenDir) + "/" + name + ".png";
    std::string error;
    const char* update = std::getenv("SPRITEDEMO_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        ASSERT_TRUE(WritePng(golden.c_str(), ImageOf(pixels), error)) << error;
        return;
    }
    // Each part of a golden row, as the tools' reader hands it over, against the frame.
    int differing = 0;
    const auto onSize = [](uint32_t width, uint32_t height, std::string& why) {
        why = "not " + std::to_string(kHeadlessFrameWidth) + "x" + std::to_string(kHeadlessFrameHeight);
        return width == uint32_t(kHeadlessFrameWidth) && height == uint32_t(kHeadlessFrameHeight);
    };
    const auto onRow = [&](const PngRowPart& part, std::string&) {
        const uint16_t* row = pixels.data() + size_t(part.y) * kHeadlessFrameWidth + part.firstColumn;
        for (uint32_t i = 0; i < part.count; ++i) {
            const uint8_t* rgb = part.rgba + size_t(i) * 4;
            differing += PackRgb565(rgb[0], rgb[1], rgb[2]) != row[size_t(i) * part.columnStep];
        }
        return true;
    };
    ASSERT_TRUE(ReadPngRows(golden.c_str(), onSize, onRow, error)) << golden << ": " << error;
    if (differing != 0) {
        const std::string actual = std::string(SPRITEDEMO_BINARY_DIR) + "/" + name + ".actual.png";
        WritePng(actual.c_str(), ImageOf(pixels), error);
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; this frame is in " << actual;
    }
}

bool InTextBox(int x, int y) {
    return x < kTextRight && y < kTextBottom;
}

} // namespace

// The same frames from every row kernel set this processor runs.
TEST(SceneFrame, MatchesTheGoldenFramesUnderEveryKernelSet) {
    const struct {
        int x, y;
        const char* name;
    } cases[] = {{0, 0, "scene-0-0"}, {300, 200, "scene-300-200"}, {610, 460, "scene-610-460"}};
    // The rendering child inherits the set in use.
    ForEveryRunnableSet([&](const RunnableSet& set) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " with " + set.name);
            RenderedFrame frame = RenderScene(c.x, c.y, kGirl, kBackground);
            ASSERT_TRUE(frame.ok);
            ExpectGolden(frame.pixels, c.name);
        }
    });
}

TEST(SceneFrame, WithoutSpriteFilesOnlyTheTextIsDrawn) {
    RenderedFrame frame = RenderScene(100, 100, "missing-girl.spr", "missing-bg.spr");
    ASSERT_TRUE(frame.ok);
    int red = 0;
    for (int y = 0; y < kHeadlessFrameHeight; ++y) {
        for (int x = 0; x < kHeadlessFrameWidth; ++x) {
            const uint16_t pixel = frame.pixels[static_cast<size_t>(y) * kHeadlessFrameWidth + x];
            if (!InTextBox(x, y)) {
                ASSERT_EQ(pixel, 0xFFFF) << x << "," << y;
            }
            red += pixel == 0xF800;
        }
    }
    EXPECT_GT(red, 50); // "FPS : 0.000000" in red
}

// With one file missing only that sprite's draws go: with the pointer at
// (0, 0) the background covers (0, 0)-(352, 240) and the girls lie elsewhere too.
TEST(SceneFrame, AMissingFileSkipsOnlyItsOwnDraws) {
    const RenderedFrame both = RenderScene(0, 0, kGirl, kBackground);
    const RenderedFrame noGirl = RenderScene(0, 0, "missing-girl.spr", kBackground);
    const RenderedFrame noBackground = RenderScene(0, 0, kGirl, "missing-bg.spr");
    ASSERT_TRUE(both.ok && noGirl.ok && noBackground.ok);
    int backgroundPixels = 0;
    int girlPixelsOutsideBackground = 0;
    for (int y = 0; y < kHeadlessFrameHeight; ++y) {
        for (int x = 0; x < kHeadlessFrameWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * kHeadlessFrameWidth + x;
            const bool inBackground = x < 352 && y < 240;
            if (InTextBox(x, y)) {
                continue;
            }
            if (inBackground) {
                backgroundPixels += noGirl.pixels[i] != 0xFFFF;
            } else {
                ASSERT_EQ(noGirl.pixels[i], 0xFFFF) << x << "," << y;
                ASSERT_EQ(noBackground.pixels[i], both.pixels[i]) << x << "," << y;
                girlPixelsOutsideBackground += both.pixels[i] != 0xFFFF;
            }
        }
    }
    EXPECT_GT(backgroundPixels, 352 * 240 / 2);
    EXPECT_GT(girlPixelsOutsideBackground, 1000);
}

// After start-up a frame costs no heap: the pointer moves, the frame-rate
// text changes (the clock runs 16 ms a frame) and nothing is allocated. The
// child reports the requests of frames 2-40 as its exit status.
TEST(SceneFrame, FramesAfterTheFirstAllocateNothing) {
    ChildRun child;
    const ChildResult result = child.Run(
        [](HeadlessState& state) {
            g_girlFileName = kGirl;
            g_backgroundFileName = kBackground;
            state.tickStepPerFrame = 16;
            for (int frame = 1; frame < 40; ++frame) {
                HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(frame * 15, frame * 11), frame);
            }
            state.afterPresent = [](HeadlessState& presented) {
                if (presented.framesPresented == 1) {
                    StartAllocationWatch();
                } else if (presented.framesPresented == 40) {
                    size_t requests = 0;
                    StopAllocationWatch(&requests);
                    std::_Exit(static_cast<int>(std::min<size_t>(requests, 100)));
                }
            };
        },
        CallWinMain);
    EXPECT_TRUE(result.ExitedWith(0)) << "the status: heap requests in 39 frames";
    EXPECT_EQ(result.state->stats.messagesRetrieved, 39);
}
