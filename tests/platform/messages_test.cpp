// SPDX-License-Identifier: MIT
// The message queue, windows and the virtual clock of the platform core.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/windows.h"

namespace {

std::vector<UINT> seen;
LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen.push_back(message);
  if (message == WM_USER) return static_cast<LRESULT>(wParam * 2);
  return DefWindowProcA(window, message, wParam, lParam);
}

class MessagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::headless::Reset();
    seen.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "Test";
    ASSERT_NE(RegisterClassA(&wc), 0);
    window = CreateWindowExA(0, "Test", "Caption", WS_VISIBLE | WS_SYSMENU, 0, 0, 800, 600, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    seen.clear();
  }
  HWND window = nullptr;
};

TEST_F(MessagesTest, PeekedMessageStaysUntilFetchedAndQuitComesLast) {
  PostMessageA(window, WM_USER + 1, 11, 0);
  PostQuitMessage(3);
  PostMessageA(window, WM_USER + 2, 22, 0);

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1)) << "peeking without removal must not consume";

  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 11u);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, 22u) << "the quit request waits behind posted messages";
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the quit request is delivered once";
}

TEST_F(MessagesTest, FiltersSelectByWindowAndRange) {
  PostMessageA(window, WM_USER + 5, 0, 0);
  PostMessageA(nullptr, WM_USER + 6, 0, 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 6, WM_USER + 6, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, window, WM_USER + 6, WM_USER + 9, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
}

TEST_F(MessagesTest, SendIsSynchronousAndDispatchReachesTheHandler) {
  EXPECT_EQ(SendMessageA(window, WM_USER, 21, 0), 42);
  ASSERT_EQ(seen.size(), 1u);

  PostMessageA(window, WM_USER, 5, 0);
  EXPECT_EQ(seen.size(), 1u) << "posting must not call the handler";
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(DispatchMessageA(&msg), 10);
}

TEST_F(MessagesTest, EscapeArrivesAsKeyDownWithItsVirtualKey) {
  platform::headless::KeyDown(0x01);  // DirectInput's Escape
  platform::headless::KeyUp(0x01);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.hwnd, window);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ((msg.lParam >> 16) & 0xFF, 0x01) << "the scan code travels in the lParam";
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYUP));
}

TEST_F(MessagesTest, CloseBoxBecomesCloseAndDefaultProcessingDestroys) {
  platform::headless::CloseWindow();
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
  DispatchMessageA(&msg);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(platform::headless::Windows().at(0).destroyed);
  // A stale handle is refused, not followed.
  EXPECT_EQ(SendMessageA(window, WM_USER, 1, 0), 0);
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
}

TEST_F(MessagesTest, FocusChangesArriveAsActivateApp) {
  platform::headless::SetFocus(false);
  platform::headless::SetFocus(true);
  MSG msg{};
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_ACTIVATEAPP));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(FALSE));
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(TRUE));
}

TEST_F(MessagesTest, WaitingForAMessageThatCannotComeFailsInsteadOfHanging) {
  MSG msg{};
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), -1);
  platform::headless::KeyDownAt(2500, 0x39);
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_SPACE));
  EXPECT_EQ(platform::headless::Now(), 2500u) << "waiting moves the virtual clock to the scripted event";
}

TEST_F(MessagesTest, ClientAreaSizedThroughAdjustWindowRect) {
  RECT rect{0, 0, 800, 600};
  AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), GetMenu(window) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)));
  EXPECT_LT(rect.left, 0);
  EXPECT_LT(rect.top, 0);
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  EXPECT_EQ(platform::headless::Windows().at(0).clientWidth, 800);
  EXPECT_EQ(platform::headless::Windows().at(0).clientHeight, 600);

  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  RECT windowRect{};
  GetWindowRect(window, &windowRect);
  EXPECT_EQ(origin.x - windowRect.left, -rect.left) << "the client area sits inside the frame";
}

TEST_F(MessagesTest, UnknownClassAndNullCursorHideThePointer) {
  EXPECT_EQ(CreateWindowExA(0, "Nope", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  SetCursor(nullptr);
  EXPECT_FALSE(platform::headless::Windows().at(0).cursorVisible);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_TRUE(platform::headless::Windows().at(0).cursorVisible);
}

TEST(Clock, SleepMovesTheVirtualClockAtOnce) {
  platform::headless::Reset();
  DWORD before = timeGetTime();
  Sleep(1000);
  EXPECT_EQ(timeGetTime() - before, 1000u);
  EXPECT_EQ(GetTickCount(), timeGetTime());
}

// A program that waits by reading timeGetTime in a loop must get out of the
// loop on the virtual clock, at the millisecond it waits for; reads between
// sleeps and frames must not move the clock.
TEST(Clock, AWaitByPollingEndsAtItsMillisecondWhileReadsBetweenSleepsLeaveTheClock) {
  platform::headless::Reset();
  DWORD start = timeGetTime();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(timeGetTime(), start) << "read " << i;
  EXPECT_EQ(platform::headless::Now(), start);
  for (DWORD delay : {1u, 2u, 17u, 1000u}) {
    DWORD from = timeGetTime();
    uint64_t reads = 0;
    while (timeGetTime() - from < delay) ++reads;
    EXPECT_EQ(platform::headless::Now() - from, delay);
    EXPECT_GT(reads, delay * 100) << "the clock moved before a long run of reads";
  }
}

TEST(Rects, OffsetAndIntersect) {
  RECT r{1, 2, 3, 4};
  OffsetRect(&r, 10, -2);
  EXPECT_EQ(r.left, 11);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 13);
  EXPECT_EQ(r.bottom, 2);
  RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, c{10, 0, 20, 10}, out{};
  EXPECT_TRUE(IntersectRect(&out, &a, &b));
  EXPECT_EQ(out.left, 5);
  EXPECT_EQ(out.right, 10);
  EXPECT_FALSE(IntersectRect(&out, &a, &c)) << "touching edges do not overlap: right is exclusive";
  EXPECT_TRUE(IsRectEmpty(&out));
}

}  // namespace
