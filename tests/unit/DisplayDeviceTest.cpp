// The display device on the headless screen: both set-ups, each failing
// step of them, clearing, and the fullscreen and windowed presents.
#include "ChildProcess.h"
#include "TestSupport.h"

#include "app/WinMain.h"
#include "display/DisplayDevice.h"
#include "display/MainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

namespace {

// A set-up step made to fail, in the configurations that take it.
struct SetupStep {
    ScreenStep step;
    int after; // successful calls of the step before the failing one
    const char* message;
    bool fullscreen;
    bool windowed;
};

const SetupStep kSetupSteps[] = {
    {ScreenStep::DirectDrawCreate, 0, "DirectDrawCreate faild", true, true},
    {ScreenStep::QueryInterface, 0, "QueryInterface", true, true},
    {ScreenStep::SetCooperativeLevel, 0, "SetCooperativeLevel faild", true, true},
    {ScreenStep::SetDisplayMode, 0, "SetDisplayMode faild", true, false},
    {ScreenStep::CreateSurface, 0, "CreateSurface faild", true, true},
    {ScreenStep::GetAttachedSurface, 0, "GetAttachedSurface faild", true, false},
    {ScreenStep::CreateSurface, 1, "CreateSurface faild", false, true},
    {ScreenStep::CreateClipper, 0, "CreateClipper faild", false, true},
    {ScreenStep::SetHWnd, 0, "SetHWnd faild", false, true},
    {ScreenStep::SetClipper, 0, "SetClipper faild", false, true},
};

struct SetupCase {
    bool fullscreen;
    SetupStep step;
    std::string name; // Windowed_4_1_CreateSurfacefaild: configuration, step, after, message
};

std::vector<SetupCase> EverySetupCase() {
    std::vector<SetupCase> cases;
    for (bool fullscreen : {true, false}) {
        for (const SetupStep& step : kSetupSteps) {
            std::string message = step.message;
            message.erase(std::remove(message.begin(), message.end(), ' '), message.end());
            if (fullscreen ? step.fullscreen : step.windowed) {
                cases.push_back({fullscreen, step,
                                 std::string(fullscreen ? "Fullscreen_" : "Windowed_") +
                                     std::to_string(static_cast<int>(step.step)) + "_" + std::to_string(step.after) +
                                     "_" + message});
            }
        }
    }
    return cases;
}

void PrintTo(const SetupCase& c, std::ostream* out) {
    *out << c.name;
}

// The surface's memory: the portable surfaces keep their address unlocked.
DDSURFACEDESC2 LockedOnce(LPDIRECTDRAWSURFACE7 surface) {
    DDSURFACEDESC2 description = {};
    description.dwSize = sizeof(description);
    EXPECT_EQ(surface->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
    surface->Unlock(nullptr);
    return description;
}

uint16_t& PixelOf(const DDSURFACEDESC2& memory, int x, int y) {
    return reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(memory.lpSurface) + y * memory.lPitch)[x];
}

} // namespace

class SetupFailure : public testing::TestWithParam<SetupCase> {};

// Every step of both configurations: exactly that step's message and the
// code in the log, exit status 0, no frame, and at exit only what was
// obtained before the step released, each once.
TEST_P(SetupFailure, LogsTheStepAndReleasesWhatWasObtained) {
    const SetupCase& param = GetParam();
    const HRESULT code =
        static_cast<HRESULT>(0x88760100u + static_cast<unsigned>(param.step.step) * 3 + param.step.after);
    ChildRun child;
    auto inject = [&](HeadlessState& state) {
        state.desktopWidth = 1024;
        state.desktopHeight = 768;
        state.hasFault = true;
        state.faultStep = param.step.step;
        state.faultAfter = param.step.after;
        state.faultCode = code;
    };
    // WinMain always asks for fullscreen; the windowed set-up is started the
    // same way by hand.
    int (*const startWindowed)() = [] {
        DisplayDevice device;
        device.fullscreen = false;
        StartDisplay(device, CreateMainWindow(nullptr, WindowProc));
        return 0;
    };
    const ChildResult result = child.Run(inject, param.fullscreen ? CallWinMain : startWindowed);
    ASSERT_TRUE(result.ExitedWith(0));
    EXPECT_EQ(ReadFileText(child.dir.File(kErrorLog)),
              std::string(param.step.message) + "\nCreate direct draw faild with err number : " + std::to_string(code) +
                  "\n");
    EXPECT_EQ(result.state->framesPresented, 0);
    EXPECT_EQ(result.state->stats.directDrawCreates, 1);
    ExpectEverythingReleasedOnce(result.state->stats);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, SetupFailure, testing::ValuesIn(EverySetupCase()),
                         [](const testing::TestParamInfo<SetupCase>& info) { return info.param.name; });

class DisplaySetup : public testing::Test {
protected:
    TempDir dir;
    ScopedWorkingDir cwd{dir.path};
    ScopedHeadless headless;
};

TEST_F(DisplaySetup, FullscreenClearsPresentsAndReleasesEverything) {
    {
        DisplayDevice device;
        device.width = 640;
        device.height = 480;
        device.bitsPerPixel = 16;
        ASSERT_EQ(device.Init(TestWindow()), DD_OK);
        EXPECT_TRUE(device.initialised);
        EXPECT_EQ(device.clipper, nullptr);
        for (const RECT& rect : {device.clipRect, device.bufferRect}) {
            EXPECT_EQ(rect.left, 0);
            EXPECT_EQ(rect.top, 0);
            EXPECT_EQ(rect.right, 640);
            EXPECT_EQ(rect.bottom, 480);
        }
        EXPECT_EQ(headless.state->modeWidth, 640);
        EXPECT_EQ(headless.state->modeHeight, 480);
        EXPECT_EQ(headless.state->modeBits, 16);

        const DDSURFACEDESC2 drawn = LockedOnce(device.backBuffer);
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                PixelOf(drawn, x, y) = static_cast<uint16_t>(x * 31 + y);
            }
        }

        EXPECT_TRUE(device.Clear(0x00FFFFFF));
        int notWhite = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                notWhite += PixelOf(drawn, x, y) != 0xFFFF;
            }
        }
        EXPECT_EQ(notWhite, 0);

        EXPECT_TRUE(device.Present());
        EXPECT_EQ(headless.state->framesPresented, 1);
        EXPECT_EQ(headless.state->frame[0], 0xFFFF);
        EXPECT_EQ(headless.state->frame[640 * 480 - 1], 0xFFFF);
        // The buffers swapped: the back buffer now reaches the other memory.
        EXPECT_NE(LockedOnce(device.backBuffer).lpSurface, drawn.lpSurface);
    }
    ExpectEverythingReleasedOnce(headless.state->stats);
}

// The windowed present copies bufferRect of the back buffer onto clipRect of
// the screen; where an owner makes the two differ, stretched.
TEST_F(DisplaySetup, WindowedKeepsTheModeAndStretchesTheScreenSizedBackBufferOntoClipRect) {
    headless.state->desktopWidth = 800;
    headless.state->desktopHeight = 600;
    {
        DisplayDevice device;
        device.fullscreen = false;
        device.width = 640;
        device.height = 480;
        device.bitsPerPixel = 16;
        ASSERT_EQ(device.Init(TestWindow()), DD_OK);
        EXPECT_NE(device.clipper, nullptr);
        EXPECT_EQ(headless.state->modeWidth, 0);
        EXPECT_EQ(device.backBuffer->width, 800);
        EXPECT_EQ(device.backBuffer->height, 600);
        EXPECT_EQ(device.bufferRect.right, 800);
        EXPECT_EQ(device.bufferRect.bottom, 600);
        device.Clear(0x1234);
        EXPECT_TRUE(device.Present());
        EXPECT_EQ(headless.state->framesPresented, 1);
        EXPECT_EQ(headless.state->frame[0], 0x1234);

        // 800x600 shown at 600x450, 40 columns of it off the screen's left.
        const DDSURFACEDESC2 back = LockedOnce(device.backBuffer);
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                PixelOf(back, x, y) = static_cast<uint16_t>(x * 7 + y * 131);
            }
        }
        device.clipRect = RECT{-40, 30, 560, 480};
        EXPECT_TRUE(device.Present());
        int wrong = 0;
        for (int y = 0; y < kHeadlessFrameHeight; ++y) {
            for (int x = 0; x < kHeadlessFrameWidth; ++x) {
                const bool inside = x < 560 && y >= 30;
                const uint16_t expected = inside ? PixelOf(back, (x + 40) * 800 / 600, (y - 30) * 600 / 450) : 0x1234;
                wrong += headless.state->frame[y * kHeadlessFrameWidth + x] != expected;
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    ExpectEverythingReleasedOnce(headless.state->stats);
}
