// The window procedure and WinMain's frame loop on the headless screen: one
// message a pass with a frame on every pass, the pointer, Esc and exit.
#include "ChildProcess.h"
#include "TestSupport.h"

#include "app/WinMain.h"

#include <gtest/gtest.h>

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
    ChildRun child;
    const ChildResult result = child.Run(
        [](HeadlessState&) {
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
            HeadlessQueue(WM_KEYDOWN, 'A', 0);
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
            HeadlessQueue(WM_KEYDOWN, 0x0D, 0);
            HeadlessQueue(WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
            HeadlessQueue(WM_KEYDOWN, VK_ESCAPE, 0);
        },
        CallWinMain);
    ASSERT_TRUE(result.ExitedWith(0));
    // Six queued messages, then the close Esc posted, then the quit: every
    // pass before the quit takes exactly one message and renders a frame.
    EXPECT_EQ(result.state->stats.messagesRetrieved, 8);
    ASSERT_EQ(result.state->framesPresented, 7);
    for (int frame = 0; frame < 7; ++frame) {
        EXPECT_EQ(result.state->messagesAtFrame[frame], frame + 1) << "frame " << frame;
    }
    EXPECT_FALSE(FileExists(child.dir.File(kErrorLog)));
    ExpectEverythingReleasedOnce(result.state->stats);
}

// Moves that arrive together are one message with the last position, as on
// Windows, so input never piles up behind slow frames. Like a real pointer,
// that position never leaves the frame: one the screen reports beyond it
// (over a border) is pinned to the edge.
TEST(FrameLoop, PointerMovesArrivingTogetherAreMerged) {
    ChildRun child;
    const ChildResult result = child.Run(
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
    ASSERT_TRUE(result.ExitedWith(0)) << "100: the last position did not arrive pinned to 639,479";
    // One merged move, Esc, its close, then the quit.
    EXPECT_EQ(result.state->stats.messagesRetrieved, 4);
}

TEST(FrameLoop, OtherKeysChangeNothingAndEveryPassRendersAFrame) {
    ChildRun child;
    const ChildResult result = child.Run(
        [](HeadlessState& state) {
            HeadlessQueue(WM_KEYDOWN, 'Q', 0);
            HeadlessQueue(WM_KEYDOWN, 0x1C, 0);
            state.quitAfterFrames = 12;
        },
        CallWinMain);
    ASSERT_TRUE(result.ExitedWith(0));
    EXPECT_EQ(result.state->framesPresented, 12);
    EXPECT_EQ(result.state->stats.messagesRetrieved, 3); // two keys, then the quit
    EXPECT_EQ(WindowProc(nullptr, WM_KEYDOWN, 'Q', 0), 0);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(FrameLoop, FailedWindowCreationExitsMinusOneBeforeTheDisplay) {
    ChildRun child;
    const ChildResult result = child.Run([](HeadlessState& state) { state.failWindowCreation = true; }, CallWinMain);
    ASSERT_TRUE(result.ExitedWith(255));
    EXPECT_EQ(result.state->stats.directDrawCreates, 0);
    EXPECT_EQ(result.state->framesPresented, 0);
    EXPECT_FALSE(FileExists(child.dir.File(kErrorLog)));
}
