// Clipping and surface windows: edges, empty windows, far-off destinations
// and a surface that cannot be locked.
#include "TestSupport.h"
#include "display/DisplayDevice.h"

#include <gtest/gtest.h>

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_RECT(actual, l, t, r, b) EXPECT_TRUE(SameRect(actual, RECT{l, t, r, b}))

const RECT kScreen = {0, 0, 640, 480};

TEST(ClipRect, CompanionMovesByTheSameAmountAsEachSide) {
    RECT rect = {-10, -5, 650, 490};
    RECT companion = {0, 0, 660, 495};
    EXPECT_EQ(ClipRect(&rect, &companion, kScreen), &companion);
    EXPECT_RECT(rect, 0, 0, 640, 480);
    EXPECT_RECT(companion, 10, 5, 650, 485);
}

TEST(ClipRect, InsideOrOnTheBoundsChangesNothing) {
    for (RECT rect : {kScreen, RECT{1, 2, 639, 479}, RECT{0, 100, 50, 480}}) {
        const RECT before = rect;
        RECT companion = {7, 8, 9, 10};
        ClipRect(&rect, &companion, kScreen);
        EXPECT_TRUE(SameRect(rect, before));
        EXPECT_RECT(companion, 7, 8, 9, 10);
    }
}

TEST(ClipRect, OutsideComesOutInvertedAndNoCompanionIsFine) {
    RECT rect = {700, 10, 750, 50};
    EXPECT_EQ(ClipRect(&rect, nullptr, kScreen), nullptr);
    EXPECT_RECT(rect, 700, 10, 640, 50);
}

TEST(ClipRect, ExtremeRectanglesDoNotOverflow) {
    RECT rect = {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    RECT companion = {0, 0, 0, 0};
    ClipRect(&rect, &companion, kScreen);
    EXPECT_RECT(rect, 0, 0, 640, 480);
    EXPECT_EQ(companion.right, static_cast<LONG>(640 - static_cast<int64_t>(INT32_MAX)));
}

struct OpenWindowTest : testing::Test {
    TestSurface surface{640, 480};
    ScopedDrawTarget target{surface};

    SurfaceWindow Open(RECT destination) {
        SurfaceWindow window = {};
        EXPECT_TRUE(g_display.OpenWindow(surface.surface, kScreen, destination, &window));
        EXPECT_FALSE(surface.surface->locked);
        EXPECT_EQ(window.base, surface.pixels);
        EXPECT_EQ(window.pitch, surface.pitch);
        return window;
    }
};

TEST_F(OpenWindowTest, ClippedWindowAddressesTheRightBytes) {
    const ptrdiff_t pitch = surface.pitch;
    SurfaceWindow window = Open(RECT{-10, -5, 30, 20});
    EXPECT_EQ(window.firstRow, surface.pixels);
    EXPECT_EQ(window.rowBytes, 60);
    EXPECT_EQ(window.endRow, surface.pixels + 20 * pitch);

    window = Open(RECT{100, 200, 164, 232});
    EXPECT_EQ(window.firstRow, surface.pixels + 200 * pitch + 200);
    EXPECT_EQ(window.rowBytes, 128);
    EXPECT_EQ(window.endRow, surface.pixels + 232 * pitch + 200);

    window = Open(RECT{630, 470, 650, 490});
    EXPECT_EQ(window.firstRow, surface.pixels + 470 * pitch + 1260);
    EXPECT_EQ(window.rowBytes, 20);
    EXPECT_EQ(window.endRow, surface.pixels + 480 * pitch + 1260);
}

TEST_F(OpenWindowTest, DestinationsOutsideGiveEmptyWindows) {
    const RECT outside[] = {
        {640, 0, 700, 10},
        {0, 480, 10, 500},
        {-50, 0, 0, 10},
        {0, -50, 10, 0},
        {-50, -50, -10, -10},
        {10, 10, 10, 20},
        {10, 10, 20, 10},
        {20, 20, 10, 10},
        {INT32_MAX - 5, 0, INT32_MAX, 10},
        {INT32_MIN, INT32_MIN, INT32_MIN + 32767, INT32_MIN + 32767},
        {0, INT32_MAX - 100, 10, INT32_MAX},
        {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
    };
    for (const RECT& destination : outside) {
        const SurfaceWindow window = Open(destination);
        EXPECT_TRUE(window.rowBytes <= 0 || window.firstRow >= window.endRow)
            << destination.left << "," << destination.top << "," << destination.right << "," << destination.bottom;
    }
}

TEST_F(OpenWindowTest, FailedLockLogsAndGivesNoWindow) {
    TempDir dir;
    ScopedWorkingDir workingDir(dir.path);
    ScopedHeadless headless;
    headless.state->lockFailures = 1;
    SurfaceWindow window = {};
    EXPECT_FALSE(g_display.OpenWindow(surface.surface, kScreen, RECT{0, 0, 8, 8}, &window));
    EXPECT_EQ(ReadFileText("ErrLog.txt"), "Lock\n");
    // The next one tries again.
    EXPECT_TRUE(g_display.OpenWindow(surface.surface, kScreen, RECT{0, 0, 8, 8}, &window));
    EXPECT_FALSE(surface.surface->locked);
    EXPECT_EQ(window.rowBytes, 16);
}

} // namespace
