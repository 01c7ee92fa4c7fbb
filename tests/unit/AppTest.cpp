// The program as a whole on the headless screen: error log, display set-up and
// its failures, the message loop and exit.
#include "ChildProcess.h"
#include "TestSupport.h"

#include "app/WinMain.h"
#include "display/DisplayDevice.h"
#include "display/ErrorLog.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLog[] = "ErrLog.txt";
const char kWinMainLine[] = "Create direct draw faild with err number";

bool FileExists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

void ExpectEverythingReleasedOnce(const PortableStats& stats) {
    EXPECT_EQ(stats.liveObjects, 0);
    EXPECT_EQ(stats.liveReferences, 0);
    EXPECT_EQ(stats.releasesOfDestroyed, 0);
}

} // namespace

TEST(ErrorLog, ReplacesAppendsAndKeepsMessagesVerbatim) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    LogErrorCode("created by an append", 7);
    EXPECT_EQ(ReadFileText(kLog), "created by an append : 7\n");

    LogError("first");
    LogError("100% sure: %s %d %n");
    EXPECT_EQ(ReadFileText(kLog), "100% sure: %s %d %n\n");

    LogErrorCode(kWinMainLine, static_cast<int32_t>(0x88760050u));
    LogErrorCode("zero", 0);
    EXPECT_EQ(ReadFileText(kLog), "100% sure: %s %d %n\n" + std::string(kWinMainLine) + " : -2005532592\nzero : 0\n");
}

TEST(ErrorLog, UnopenableFileCostsOnlyTheMessage) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    // A directory in the file's place cannot be opened for writing, even by root.
    ASSERT_EQ(mkdir(kLog, 0755), 0);
    LogError("lost");
    LogErrorCode("lost too", -1);
    struct stat info;
    ASSERT_EQ(stat(kLog, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));

    // A read-only working directory (only meaningful when not running as root).
    TempDir readOnly;
    ScopedWorkingDir inReadOnly(readOnly.path);
    ASSERT_EQ(chmod(readOnly.path.c_str(), 0555), 0);
    LogError("lost");
    LogErrorCode("lost too", -1);
    if (geteuid() != 0) {
        EXPECT_FALSE(FileExists(kLog));
    }
    chmod(readOnly.path.c_str(), 0755);
}

struct SetupStep {
    bool fullscreen;
    ScreenStep step;
    int after; // successful calls of the step before the failing one
    const char* message;
};

void PrintTo(const SetupStep& step, std::ostream* out) {
    *out << (step.fullscreen ? "fullscreen " : "windowed ") << step.message << " (after " << step.after << ")";
}

class SetupFailure : public testing::TestWithParam<SetupStep> {};

// Every step of both configurations: exactly that step's message and the
// code in the log, exit status 0, no frame, and at exit only what was
// obtained before the step released, each once.
TEST_P(SetupFailure, LogsTheStepAndReleasesWhatWasObtained) {
    const SetupStep& param = GetParam();
    const HRESULT code = static_cast<HRESULT>(0x88760100u + static_cast<unsigned>(param.step) * 3 + param.after);
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    ChildRun child;
    auto inject = [&](HeadlessState& state) {
        state.desktopWidth = 1024;
        state.desktopHeight = 768;
        state.hasFault = true;
        state.faultStep = param.step;
        state.faultAfter = param.after;
        state.faultCode = code;
    };
    ChildResult result;
    if (param.fullscreen) {
        result = child.Run(inject, CallWinMain);
    } else {
        // WinMain always asks for fullscreen; the windowed set-up is driven
        // the same way by hand.
        result = child.Run(inject, [] {
            HWND window = CreateMainWindow(nullptr);
            DisplayDevice device;
            device.fullscreen = false;
            const HRESULT initResult = device.Init(window);
            if (initResult != DD_OK) {
                LogErrorCode(kWinMainLine, initResult);
            }
            return 0;
        });
    }
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(ReadFileText(kLog),
              std::string(param.message) + "\n" + kWinMainLine + " : " + std::to_string(code) + "\n");
    EXPECT_EQ(result.state->framesPresented, 0);
    EXPECT_EQ(result.state->stats.directDrawCreates, 1);
    ExpectEverythingReleasedOnce(result.state->stats);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, SetupFailure,
    testing::Values(SetupStep{true, ScreenStep::DirectDrawCreate, 0, "DirectDrawCreate faild"},
                    SetupStep{true, ScreenStep::QueryInterface, 0, "QueryInterface"},
                    SetupStep{true, ScreenStep::SetCooperativeLevel, 0, "SetCooperativeLevel faild"},
                    SetupStep{true, ScreenStep::SetDisplayMode, 0, "SetDisplayMode faild"},
                    SetupStep{true, ScreenStep::CreateSurface, 0, "CreateSurface faild"},
                    SetupStep{true, ScreenStep::GetAttachedSurface, 0, "GetAttachedSurface faild"},
                    SetupStep{false, ScreenStep::DirectDrawCreate, 0, "DirectDrawCreate faild"},
                    SetupStep{false, ScreenStep::QueryInterface, 0, "QueryInterface"},
                    SetupStep{false, ScreenStep::SetCooperativeLevel, 0, "SetCooperativeLevel faild"},
                    SetupStep{false, ScreenStep::CreateSurface, 0, "CreateSurface faild"},
                    SetupStep{false, ScreenStep::CreateSurface, 1, "CreateSurface faild"},
                    SetupStep{false, ScreenStep::CreateClipper, 0, "CreateClipper faild"},
                    SetupStep{false, ScreenStep::SetHWnd, 0, "SetHWnd faild"},
                    SetupStep{false, ScreenStep::SetClipper, 0, "SetClipper faild"}),
    [](const testing::TestParamInfo<SetupStep>& info) {
        std::string name = std::string(info.param.fullscreen ? "Fullscreen" : "Windowed") + "_" +
                           std::to_string(static_cast<int>(info.param.step)) + "_" + std::to_string(info.param.after) +
                           "_";
        for (const char* c = info.param.message; *c != '\0'; ++c) {
            if (std::isalnum(static_cast<unsigned char>(*c))) {
                name += *c;
            }
        }
        return name;
    });

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

        DDSURFACEDESC2 description = {};
        description.dwSize = sizeof(description);
        ASSERT_EQ(device.backBuffer->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        device.backBuffer->Unlock(nullptr);
        uint8_t* drawnMemory = static_cast<uint8_t*>(description.lpSurface);
        const LONG pitch = description.lPitch;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                reinterpret_cast<uint16_t*>(drawnMemory + y * pitch)[x] = static_cast<uint16_t>(x * 31 + y);
            }
        }

        EXPECT_TRUE(device.Clear(0x00FFFFFF));
        int notWhite = 0;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                notWhite += reinterpret_cast<uint16_t*>(drawnMemory + y * pitch)[x] != 0xFFFF;
            }
        }
        EXPECT_EQ(notWhite, 0);

        EXPECT_TRUE(device.Present());
        EXPECT_EQ(headless.state->framesPresented, 1);
        EXPECT_EQ(headless.state->frame[0], 0xFFFF);
        EXPECT_EQ(headless.state->frame[640 * 480 - 1], 0xFFFF);
        // The buffers swapped: the back buffer now reaches the other memory.
        ASSERT_EQ(device.backBuffer->Lock(nullptr, &description, DDLOCK_WAIT, nullptr), DD_OK);
        device.backBuffer->Unlock(nullptr);
        EXPECT_NE(description.lpSurface, drawnMemory);
    }
    ExpectEverythingReleasedOnce(headless.state->stats);
}

TEST_F(DisplaySetup, WindowedKeepsTheModeAndSizesTheBackBufferToTheScreen) {
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
    }
    ExpectEverythingReleasedOnce(headless.state->stats);
}

TEST(WindowProc, MousePositionIsTheUnsignedHalvesOfLParam) {
    WindowProc(nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(0xFFFF, 0x8000));
    EXPECT_EQ(g_mouseX, 65535);
    EXPECT_EQ(g_mouseY, 32768);
    // Sign-extended on a 64-bit LPARAM: the halves are still read unsigned.
    EXPECT_EQ(WindowProc(nullptr, WM_MOUSEMOVE, 0, static_cast<LPARAM>(static_cast<int32_t>(0xFFFEFFFDu))), 0);
    EXPECT_EQ(g_mouseX, 0xFFFD);
    EXPECT_EQ(g_mouseY, 0xFFFE);
    WindowProc(nullptr, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(g_mouseX, 0);
    EXPECT_EQ(g_mouseY, 0);
}

TEST(FrameLoop, QueuedMessagesAreTakenOnePerPassWithAFrameOnEach) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    ChildRun child;
    ChildResult result = child.Run(
        [](HeadlessState&) {
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
            HeadlessQueue(WM_KEYDOWN, 'A', 0);
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
            HeadlessQueue(WM_KEYDOWN, 0x0D, 0);
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
            HeadlessQueue(WM_KEYDOWN, VK_ESCAPE, 0);
        },
        CallWinMain);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    // Six queued messages, then the close Esc posted, then the quit: every
    // pass before the quit takes exactly one message and renders a frame.
    EXPECT_EQ(result.state->stats.messagesRetrieved, 8);
    ASSERT_EQ(result.state->framesPresented, 7);
    for (int frame = 0; frame < 7; ++frame) {
        EXPECT_EQ(result.state->messagesAtFrame[frame], frame + 1) << "frame " << frame;
    }
    EXPECT_FALSE(FileExists(kLog));
    ExpectEverythingReleasedOnce(result.state->stats);
}

// Moves that arrive together are one message with the last position, as on
// Windows, so input never piles up behind slow frames. Like a real pointer,
// that position never leaves the frame: one the screen reports beyond it
// (over a border) is pinned to the edge.
TEST(FrameLoop, PointerMovesArrivingTogetherAreMerged) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    ChildRun child;
    ChildResult result = child.Run(
        [](HeadlessState&) {
            for (int i = 1; i <= 4; ++i) {
                HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(10 * i, 20 * i));
            }
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(1000, 900));
            HeadlessQueue(WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [] {
            const int status = CallWinMain();
            return g_mouseX == 639 && g_mouseY == 479 ? status : 100;
        });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0) << "100: the last position did not arrive pinned to 639,479";
    // One merged move, Esc, its close, then the quit.
    EXPECT_EQ(result.state->stats.messagesRetrieved, 4);
}

TEST(FrameLoop, OtherKeysChangeNothingAndEveryPassRendersAFrame) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    ChildRun child;
    ChildResult result = child.Run(
        [](HeadlessState& state) {
            HeadlessQueue(WM_KEYDOWN, 'Q', 0);
            HeadlessQueue(WM_KEYDOWN, 0x1C, 0);
            state.quitAfterFrames = 12;
        },
        CallWinMain);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.state->framesPresented, 12);
    EXPECT_EQ(result.state->stats.messagesRetrieved, 3); // two keys, then the quit
    EXPECT_EQ(WindowProc(nullptr, WM_KEYDOWN, 'Q', 0), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(FrameLoop, FailedWindowCreationExitsMinusOneBeforeTheDisplay) {
    TempDir dir;
    ScopedWorkingDir cwd(dir.path);
    ChildRun child;
    ChildResult result = child.Run([](HeadlessState& state) { state.failWindowCreation = true; }, CallWinMain);
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.exitStatus, 255);
    EXPECT_EQ(result.state->stats.directDrawCreates, 0);
    EXPECT_EQ(result.state->framesPresented, 0);
    EXPECT_FALSE(FileExists(kLog));
}
