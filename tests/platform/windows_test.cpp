// Window classes and the life of a window: creation messages, ownership,
// showing and focus, destruction order, stale handles.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <thread>

#include "window_log.h"

using namespace platform_test;
using ::testing::ElementsAre;

namespace {

LRESULT plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

WNDCLASSA plainClass(const char* name, HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = plainProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = name;
  return windowClass;
}

const HINSTANCE instanceA = reinterpret_cast<HINSTANCE>(0x10000);
const HINSTANCE instanceB = reinterpret_cast<HINSTANCE>(0x20000);

class Windows : public ::testing::Test {
 protected:
  void SetUp() override { clearLog(); }
  void TearDown() override { clearLog(); }
};

TEST_F(Windows, AClassNameRegistersOncePerInstanceIgnoringCase) {
  const WNDCLASSA first = plainClass("Velmo Test Class", instanceA);
  ASSERT_NE(RegisterClassA(&first), 0);
  const WNDCLASSA shouted = plainClass("VELMO TEST CLASS", instanceA);
  SetLastError(0);
  EXPECT_EQ(RegisterClassA(&shouted), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  const WNDCLASSA elsewhere = plainClass("Velmo Test Class", instanceB);
  EXPECT_NE(RegisterClassA(&elsewhere), 0) << "another instance may use the name";

  EXPECT_TRUE(UnregisterClassA("velmo test class", instanceA));
  EXPECT_FALSE(UnregisterClassA("velmo test class", instanceA));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  EXPECT_NE(RegisterClassA(&first), 0) << "registrable again once unregistered";
  UnregisterClassA("Velmo Test Class", instanceA);
  UnregisterClassA("Velmo Test Class", instanceB);
}

// The display's close unregisters its class while its window may still exist.
TEST_F(Windows, AClassWithLiveWindowsStaysRegistered) {
  const WNDCLASSA windowClass = plainClass("Busy Class", instanceA);
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "busy class", "busy", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                instanceA, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(UnregisterClassA("Busy Class", instanceA));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  EXPECT_EQ(RegisterClassA(&windowClass), 0);
  DestroyWindow(window);
  EXPECT_TRUE(UnregisterClassA("Busy Class", instanceA));
}

TEST_F(Windows, CreationSendsNcCreateThenCreateWithTheCallersValues) {
  HWND owner = createLogged("owner", WS_OVERLAPPED, nullptr);
  const CREATESTRUCTA* seen = nullptr;
  CREATESTRUCTA copy{};
  clearLog();
  answerWith(WM_CREATE, [&](HWND, WPARAM, LPARAM lParam) {
    copy = *reinterpret_cast<const CREATESTRUCTA*>(lParam);
    seen = &copy;
    return LRESULT{0};
  });
  HWND popup = CreateWindowExA(0, loggingClass(), "Velmo's 3DFX Spectrum Analyzer", WS_POPUP, 0, 0,
                               500, 500, owner, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  EXPECT_THAT(describeLog({{popup, "popup"}}, {WM_NCCREATE, WM_CREATE}),
              ElementsAre("popup:129", "popup:1"));
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(copy.cx, 500);
  EXPECT_EQ(copy.cy, 500);
  EXPECT_EQ(copy.hwndParent, owner);
  EXPECT_EQ(static_cast<DWORD>(copy.style), static_cast<DWORD>(WS_POPUP));

  char title[64];
  EXPECT_EQ(GetWindowTextA(popup, title, sizeof title), 30);
  EXPECT_STREQ(title, "Velmo's 3DFX Spectrum Analyzer");
  EXPECT_EQ(GetWindow(popup, GW_OWNER), owner);
  EXPECT_EQ(GetParent(popup), owner) << "a popup's parent is its owner";
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(popup, GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
  RECT rect;
  ASSERT_TRUE(GetWindowRect(popup, &rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 500);
  EXPECT_EQ(rect.bottom, 500);
  EXPECT_FALSE(IsWindowVisible(popup));
  DestroyWindow(popup);
  DestroyWindow(owner);
}

TEST_F(Windows, CreationFailsForUnknownClassesAndRefusingProcedures) {
  EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));

  answerWith(WM_CREATE, [](HWND, WPARAM, LPARAM) { return LRESULT{-1}; });
  EXPECT_EQ(createLogged("refused", WS_POPUP, nullptr), nullptr);
  const auto log = loggedMessages();
  ASSERT_FALSE(log.empty());
  const HWND refused = log.front().window;
  EXPECT_THAT(describeLog({{refused, "w"}}, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}),
              ElementsAre("w:129", "w:1", "w:130"))
      << "ended quietly, without WM_DESTROY";
  EXPECT_FALSE(IsWindow(refused));
}

// Owned windows are destroyed first, completely; then the window gets
// WM_DESTROY before its children and WM_NCDESTROY after them.
TEST_F(Windows, DestructionOrderFollowsOwnershipAndParenthood) {
  HWND owner = createLogged("owner", WS_OVERLAPPED, nullptr);
  HWND child = createLogged("child", WS_CHILD, owner);
  HWND popup = createLogged("popup", WS_POPUP, owner);
  ASSERT_TRUE(owner && child && popup);
  bool ownerAliveDuringDestroy = false;
  answerWith(WM_DESTROY, [&](HWND window, WPARAM, LPARAM) {
    if (window == owner) ownerAliveDuringDestroy = IsWindow(owner);
    return LRESULT{0};
  });
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_THAT(describeLog({{owner, "owner"}, {child, "child"}, {popup, "popup"}},
                          {WM_DESTROY, WM_NCDESTROY}),
              ElementsAre("popup:2", "popup:130", "owner:2", "child:2", "child:130", "owner:130"));
  EXPECT_TRUE(ownerAliveDuringDestroy);
  EXPECT_FALSE(IsWindow(owner));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(IsWindow(popup));
}

TEST_F(Windows, CloseDestroysThroughTheDefaultProcedure) {
  HWND window = createLogged("closing", WS_POPUP, nullptr);
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Windows, OnlyTheCreatingThreadMayDestroy) {
  HWND window = createLogged("mine", WS_POPUP, nullptr);
  BOOL destroyed = TRUE;
  DWORD error = 0;
  std::thread([&] {
    destroyed = DestroyWindow(window);
    error = GetLastError();
  }).join();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DestroyWindow(window));
}

TEST_F(Windows, ShowingAPopupActivatesItAndGivesItTheKeyboard) {
  HWND owner = createLogged("owner", WS_OVERLAPPED, nullptr);
  HWND popup = createLogged("popup", WS_POPUP, owner);
  clearLog();
  EXPECT_FALSE(ShowWindow(popup, SW_SHOWNORMAL)) << "returns whether it was visible before";
  EXPECT_TRUE(IsWindowVisible(popup));
  EXPECT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetFocus(), popup);
  EXPECT_THAT(describeLog({{popup, "popup"}}, {WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS}),
              ElementsAre("popup:24", "popup:6", "popup:7"));
  EXPECT_TRUE(ShowWindow(popup, SW_SHOWNORMAL));

  ShowWindow(popup, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(popup));
  EXPECT_NE(GetFocus(), popup);

  HWND quiet = createLogged("quiet", WS_POPUP, nullptr);
  ShowWindow(quiet, SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(quiet));
  EXPECT_NE(GetActiveWindow(), quiet) << "SW_SHOWNA does not activate";

  ShowWindow(popup, SW_SHOW);
  ASSERT_EQ(GetFocus(), popup);
  DestroyWindow(popup);
  EXPECT_EQ(GetFocus(), nullptr) << "no focus is left on a destroyed window";
  DestroyWindow(quiet);
  DestroyWindow(owner);
}

TEST_F(Windows, StaleHandlesAreRecognisedAndHarmless) {
  HWND window = createLogged("stale", WS_POPUP, nullptr);
  DestroyWindow(window);
  char text[8] = "unset";
  RECT rect{};
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_EQ(GetWindowTextA(window, text, sizeof text), 0);
  EXPECT_STREQ(text, "");
  EXPECT_FALSE(SetWindowTextA(window, "x"));
  EXPECT_FALSE(ShowWindow(window, SW_SHOW));
  EXPECT_FALSE(GetWindowRect(window, &rect));
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  HWND later = createLogged("later", WS_POPUP, nullptr);
  EXPECT_NE(later, window) << "handles are not reused";
  DestroyWindow(later);
}

TEST_F(Windows, FindAndEnumerateTopLevelWindows) {
  HWND first = createLogged("Alpha - Winamp", WS_OVERLAPPED, nullptr);
  HWND second = createLogged("Beta", WS_POPUP, nullptr);
  HWND child = createLogged("Alpha - Winamp", WS_CHILD, second);
  EXPECT_EQ(FindWindowA(loggingClass(), "alpha - winamp"), first);
  EXPECT_EQ(FindWindowA("PLATFORMTESTLOGGED", "Beta"), second);
  EXPECT_EQ(FindWindowA(nullptr, "Gamma"), nullptr);

  std::vector<HWND> seen;
  EnumWindows(
      [](HWND window, LPARAM param) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  EXPECT_NE(std::find(seen.begin(), seen.end(), first), seen.end());
  EXPECT_NE(std::find(seen.begin(), seen.end(), second), seen.end());
  EXPECT_EQ(std::find(seen.begin(), seen.end(), child), seen.end()) << "children are not top-level";
  DestroyWindow(second);
  DestroyWindow(first);
}

TEST_F(Windows, WindowDataAndSubclassing) {
  HWND window = createLogged("data", WS_POPUP, nullptr);
  EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 1234), 0);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 1234);

  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  SetWindowLongPtrA(window, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      if (m == WM_USER) return 99;
                      return CallWindowProcA(previous, w, m, wp, lp);
                    }));
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 99);
  EXPECT_EQ(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 4) << "other messages reach the old procedure";
  DestroyWindow(window);
}

}  // namespace
