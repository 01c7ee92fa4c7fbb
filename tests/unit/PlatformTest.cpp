// The portable layer keeps the real platform's rules that the system's own
// tests rely on: how a flip chain is destroyed, the message queue's limit, and
// the messages of the left button.
#include "ChildProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

// The front of a flip chain takes its back buffer with it, so releasing the
// front first makes the back buffer's release reach a destroyed surface: what
// lets the device's tests see a wrong release order.
TEST(PortableDirectDraw, ReleasingTheFrontOfAFlipChainDestroysItsBackBuffer) {
    ScopedHeadless headless;
    LPDIRECTDRAW directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &directDraw, nullptr), DD_OK);
    ASSERT_EQ(directDraw->SetCooperativeLevel(TestWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 chain;
    std::memset(&chain, 0, sizeof chain);
    chain.dwSize = sizeof chain;
    chain.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    chain.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_SYSTEMMEMORY;
    chain.dwBackBufferCount = 1;
    LPDIRECTDRAWSURFACE7 front = nullptr;
    LPDIRECTDRAWSURFACE7 back = nullptr;
    ASSERT_EQ(directDraw->CreateSurface(&chain, &front, nullptr), DD_OK);
    DDSCAPS2 backCaps;
    std::memset(&backCaps, 0, sizeof backCaps);
    backCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_SYSTEMMEMORY;
    ASSERT_EQ(front->GetAttachedSurface(&backCaps, &back), DD_OK);

    front->Release();
    EXPECT_EQ(headless.state->stats.releasesOfDestroyed, 0);
    back->Release();
    EXPECT_EQ(headless.state->stats.releasesOfDestroyed, 1);
    directDraw->Release();
    EXPECT_EQ(headless.state->stats.liveObjects, 0);
}

// A full queue refuses input, but the quit message always finds its place:
// otherwise Esc or a close could never end a program whose queue has filled.
TEST(PortableWin32, TheQuitMessageFindsItsPlaceInAFullQueue) {
    ChildRun child;
    const ChildResult result = child.Run([](HeadlessState&) {},
                                         [] {
                                             while (PostMessageA(nullptr, WM_KEYDOWN, 'A', 0)) {
                                             }
                                             PostQuitMessage(3);
                                             MSG msg;
                                             while (GetMessageA(&msg, nullptr, 0, 0)) {
                                             }
                                             return static_cast<int>(msg.wParam);
                                         },
                                         10);
    ASSERT_TRUE(result.ExitedWith(3)) << "killed: the quit message was lost";
    EXPECT_EQ(result.state->stats.messagesRetrieved, 1024);
}

// The left button comes as Windows sends it: MK_LBUTTON in a press's wParam,
// and in lParam the position pinned to the frame as a move's is.
TEST(PortableWin32, TheLeftButtonArrivesAsWindowsSendsIt) {
    ScopedHeadless headless;
    TestWindow();
    HeadlessQueue(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1000, 900));
    HeadlessQueue(WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    MSG down, up;
    ASSERT_TRUE(GetMessageA(&down, nullptr, 0, 0) && GetMessageA(&up, nullptr, 0, 0));
    EXPECT_EQ(std::make_tuple(down.message, down.wParam, down.lParam),
              std::make_tuple(UINT{WM_LBUTTONDOWN}, WPARAM{MK_LBUTTON}, MAKELPARAM(639, 479)));
    EXPECT_EQ(std::make_tuple(up.message, up.wParam, up.lParam),
              std::make_tuple(UINT{WM_LBUTTONUP}, WPARAM{0}, MAKELPARAM(5, 6)));
}
