// The popup window's keys: the platform adjustments, Escape, and every other
// key passed on to the host window by posting.
#include <gtest/gtest.h>

#include <vector>

#include <velmo_glide_recorder.h>

#include "display/display.h"
#include "plugin/vis.h"
#include "plugin_folder.h"

namespace {

using plugintest::HostWindow;

struct Keyboard : ::testing::Test {
  HostWindow host;

  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA windowClass{};
      windowClass.lpfnWndProc = displayWndProc;
      windowClass.hInstance = GetModuleHandleA(nullptr);
      windowClass.lpszClassName = "VelmoTestDisplay";
      registered = RegisterClassA(&windowClass) != 0;
    }
    pluginModule.parentWindow = host.window;
    hostModule = &pluginModule;
    displayWindow = CreateWindowExA(0, "VelmoTestDisplay", "display", WS_POPUP, 0, 0, 50, 50,
                                    host.window, nullptr, GetModuleHandleA(nullptr), nullptr);
    platformDepthAdjust = platformHeightAdjust = 0.0f;
    drainQueue();
  }
  void TearDown() override {
    if (IsWindow(displayWindow)) DestroyWindow(displayWindow);
    drainQueue();
    pluginModule.parentWindow = nullptr;
  }

  void drainQueue() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  LRESULT press(UINT message, WPARAM key, LPARAM lParam = 0x00010001) {
    return SendMessageA(displayWindow, message, key, lParam);
  }

  // Key messages waiting in the host window's queue (taken, not handled).
  // PeekMessageA hands out WM_QUIT whatever the filter, so that one stays.
  std::vector<MSG> postedToHost() {
    std::vector<MSG> posted;
    MSG message;
    while (PeekMessageA(&message, host.window, WM_KEYDOWN, WM_KEYUP, PM_NOREMOVE) &&
           message.message != WM_QUIT) {
      PeekMessageA(&message, host.window, WM_KEYDOWN, WM_KEYUP, PM_REMOVE);
      posted.push_back(message);
    }
    return posted;
  }
};

TEST_F(Keyboard, DepthStepsAddUpInSinglePrecision) {
  for (int i = 0; i < 3; i++) EXPECT_EQ(press(WM_KEYDOWN, 'F'), 0);
  EXPECT_EQ(platformDepthAdjust + 36.0f, 39.15f);
  for (int i = 0; i < 3; i++) press(WM_KEYDOWN, 'G');
  EXPECT_EQ(platformDepthAdjust + 36.0f, 36.0f);
  EXPECT_TRUE(postedToHost().empty());
  EXPECT_TRUE(HostWindow::keys.empty());
}

TEST_F(Keyboard, HeightKeysMoveOnlyTheHeight) {
  press(WM_KEYDOWN, 'A');
  press(WM_KEYDOWN, 'A');
  press(WM_KEYDOWN, 'D');
  float expected = 0.0f;
  expected += 1.05f;
  expected += 1.05f;
  expected -= 1.05f;
  EXPECT_EQ(platformHeightAdjust, expected);
  EXPECT_EQ(platformDepthAdjust, 0.0f);
  EXPECT_TRUE(postedToHost().empty());
}

TEST_F(Keyboard, AutoRepeatCountsEveryKeyDown) {
  for (int i = 0; i < 20; i++) press(WM_KEYDOWN, 'F', 0x40210001);  // repeat bit set
  float expected = 0.0f;
  for (int i = 0; i < 20; i++) expected += 1.05f;
  EXPECT_EQ(platformDepthAdjust, expected);
}

struct ForwardedKey : Keyboard, ::testing::WithParamInterface<int> {};

// Other keys go to the host in both directions, posted with their own
// parameters: nothing reaches the host procedure until its queue is read.
TEST_P(ForwardedKey, DownAndUpArePostedToTheHost) {
  WPARAM key = (WPARAM)GetParam();
  press(WM_KEYDOWN, key, 0x00390001);
  press(WM_KEYUP, key, (LPARAM)0xC0390001);
  EXPECT_TRUE(HostWindow::keys.empty()) << "sent instead of posted";
  std::vector<MSG> posted = postedToHost();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_EQ(posted[0].message, (UINT)WM_KEYDOWN);
  EXPECT_EQ(posted[0].wParam, key);
  EXPECT_EQ(posted[0].lParam, (LPARAM)0x00390001);
  EXPECT_EQ(posted[1].message, (UINT)WM_KEYUP);
  EXPECT_EQ(posted[1].wParam, key);
  EXPECT_EQ(posted[1].lParam, (LPARAM)0xC0390001);
  EXPECT_EQ(platformDepthAdjust, 0.0f);
  EXPECT_EQ(platformHeightAdjust, 0.0f);
}

// Letter keys arrive as capitals whatever the shift state; 'a' and 'f' are
// the codes of numpad 1 and 6, which the host gets.
INSTANTIATE_TEST_SUITE_P(Keys, ForwardedKey,
                         ::testing::Values(VK_SPACE, 'B', 'Z', VK_RETURN, VK_F1, VK_LEFT, 'a', 'f'));

struct HandledKey : Keyboard, ::testing::WithParamInterface<int> {};

// The four letter keys keep their key-down but still pass the key-up on.
TEST_P(HandledKey, OnlyTheKeyUpIsPosted) {
  WPARAM key = (WPARAM)GetParam();
  press(WM_KEYDOWN, key);
  press(WM_KEYUP, key, (LPARAM)0xC0010001);
  std::vector<MSG> posted = postedToHost();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].message, (UINT)WM_KEYUP);
  EXPECT_EQ(posted[0].wParam, key);
}

INSTANTIATE_TEST_SUITE_P(Keys, HandledKey, ::testing::Values('A', 'D', 'F', 'G'));

TEST_F(Keyboard, EscapeClosesTheDisplay) {
  displayOpen = 1;
  HWND popup = displayWindow;
  std::vector<std::string> calls;
  {
    vgl::CallRecorder recorder;
    EXPECT_EQ(press(WM_KEYDOWN, VK_ESCAPE), 0);
    calls = recorder.names();
  }
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_EQ(displayOpen, 0);
  EXPECT_EQ(calls, std::vector<std::string>{"grGlideShutdown"});
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_TRUE(postedToHost().empty());
}

}  // namespace
