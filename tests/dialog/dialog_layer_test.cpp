// The POSIX dialog calls: dialog 101 built from the compiled template, its
// controls as platform windows, and the modal loop's keys and endings.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "expected_controls.h"

namespace {

using dialog_template::kControls;
using dialog_test::DialogHook;
using dialog_test::ModuleFolder;

// A dialog procedure that records commands and ends with OK -> 10, Cancel -> 20.
std::vector<int> commands;
int initDialogCalls = 0;

INT_PTR CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) ++initDialogCalls;
  if (message != WM_COMMAND) return 0;
  commands.push_back(LOWORD(wParam));
  if (LOWORD(wParam) == IDOK) EndDialog(dialog, 10);
  if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 20);
  return 1;
}

class DialogLayer : public ::testing::Test {
 protected:
  void SetUp() override {
    commands.clear();
    initDialogCalls = 0;
    ASSERT_NE(folder.module(), nullptr);
  }
  INT_PTR run(HWND owner = nullptr) {
    return DialogBoxParamA(folder.module(), MAKEINTRESOURCEA(101), owner, recordingProc, 0);
  }
  ModuleFolder folder{DIALOG_RESOURCES_MODULE};
};

TEST_F(DialogLayer, BuildsTheTemplatesControlsInOrder) {
  std::vector<HWND> children;
  char caption[64] = {};
  LONG dialogStyle = 0;
  DialogHook hook([&](HWND dialog) {
    GetWindowTextA(dialog, caption, sizeof caption);
    dialogStyle = GetWindowLongA(dialog, GWL_STYLE);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const auto& expected = kControls[children.size() % std::size(kControls)];
      SCOPED_TRACE(expected.text);
      char className[32] = {};
      GetClassNameA(child, className, sizeof className);
      EXPECT_STRCASEEQ(className, expected.className);
      EXPECT_EQ(GetDlgCtrlID(child), expected.id);
      EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)),
                dialog_template::createdStyle(expected.style));
      EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE)),
                dialog_template::createdExStyle(expected.style));
      char text[64] = {};
      GetWindowTextA(child, text, sizeof text);
      EXPECT_STREQ(text, expected.text);
      EXPECT_EQ(IsWindowEnabled(child) != FALSE, (expected.style & WS_DISABLED) == 0);
      RECT rect{};
      GetClientRect(child, &rect);
      // 6 x 13 pixel base units: x * 6 / 4, y * 13 / 8, rounded.
      EXPECT_EQ(rect.right, (expected.width * 6 + 2) / 4);
      EXPECT_EQ(rect.bottom, (expected.height * 13 + 4) / 8);
      children.push_back(child);
    }
    dialog_test::press(dialog, IDCANCEL);
  });
  run();
  EXPECT_EQ(children.size(), std::size(kControls));
  EXPECT_STREQ(caption, "Velmo's Spectrum Setup");
  EXPECT_EQ(static_cast<DWORD>(dialogStyle) & ~static_cast<DWORD>(WS_VISIBLE),
            static_cast<DWORD>(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU));
  for (HWND child : children) EXPECT_FALSE(IsWindow(child)) << "controls go with the dialog";
}

TEST_F(DialogLayer, UserClicksToggleOnlyEnabledBoxesAndNotifyTheProcedure) {
  std::vector<UINT> states;
  BOOL reachedDisabled = TRUE;
  DialogHook hook([&](HWND dialog) {
    states.push_back(IsDlgButtonChecked(dialog, 1017));
    dialog_test::click(dialog, 1017);
    states.push_back(IsDlgButtonChecked(dialog, 1017));
    states.push_back(IsDlgButtonChecked(dialog, 1000));
    reachedDisabled = velmoUserClick(GetDlgItem(dialog, 1000));
    states.push_back(IsDlgButtonChecked(dialog, 1000));
    dialog_test::click(dialog, IDOK);
  });
  EXPECT_EQ(run(), 10);
  EXPECT_FALSE(reachedDisabled);
  EXPECT_THAT(states, ::testing::ElementsAre(BST_UNCHECKED, BST_CHECKED, BST_UNCHECKED,
                                             BST_UNCHECKED));
  // The disabled box sent nothing; the OK click arrived through BN_CLICKED.
  EXPECT_THAT(commands, ::testing::ElementsAre(1017, IDOK));
}

// BM_CLICK from the program is not input: as in Win32 it works on a disabled
// box, and on a group box it does nothing.
TEST_F(DialogLayer, ProgramClicksReachDisabledBoxes) {
  UINT checked = BST_UNCHECKED;
  DialogHook hook([&](HWND dialog) {
    SendMessageA(GetDlgItem(dialog, 1019), BM_CLICK, 0, 0);
    checked = IsDlgButtonChecked(dialog, 1019);
    HWND groupBox = GetWindow(GetDlgItem(dialog, 1015), GW_HWNDNEXT);
    SendMessageA(groupBox, BM_CLICK, 0, 0);
    dialog_test::press(dialog, IDCANCEL);
  });
  run();
  EXPECT_EQ(checked, BST_CHECKED);
  EXPECT_THAT(commands, ::testing::ElementsAre(1019, IDCANCEL));
}

TEST_F(DialogLayer, ProgramCanCheckADisabledBox) {
  UINT checked = 0;
  DialogHook hook([&](HWND dialog) {
    CheckDlgButton(dialog, 1019, BST_CHECKED);
    checked = IsDlgButtonChecked(dialog, 1019);
    dialog_test::press(dialog, IDCANCEL);
  });
  run();
  EXPECT_EQ(checked, BST_CHECKED);
}

TEST_F(DialogLayer, ScrollBarsKeepTheirPositionInsideTheRange) {
  std::vector<int> seen;
  DialogHook hook([&](HWND dialog) {
    HWND bar = GetDlgItem(dialog, 1016);
    SetScrollRange(bar, SB_CTL, 3, 75, FALSE);
    seen.push_back(SetScrollPos(bar, SB_CTL, 12, FALSE));  // previous position
    seen.push_back(GetScrollPos(bar, SB_CTL));
    SetScrollPos(bar, SB_CTL, 100, TRUE);
    seen.push_back(GetScrollPos(bar, SB_CTL));
    SetScrollPos(bar, SB_CTL, -7, TRUE);
    seen.push_back(GetScrollPos(bar, SB_CTL));
    SetScrollPos(bar, SB_CTL, 40, TRUE);
    SetScrollRange(bar, SB_CTL, 1, 25, TRUE);  // a narrower range pulls the position in
    seen.push_back(GetScrollPos(bar, SB_CTL));
    int minimum = 0, maximum = 0;
    GetScrollRange(bar, SB_CTL, &minimum, &maximum);
    seen.push_back(minimum);
    seen.push_back(maximum);
    dialog_test::press(dialog, IDCANCEL);
  });
  run();
  EXPECT_THAT(seen, ::testing::ElementsAre(3, 12, 75, 3, 25, 1, 25));
}

struct KeyCase {
  const char* name;
  UINT message;
  WPARAM key;
  int command;
  INT_PTR result;
};

class DialogKeys : public DialogLayer, public ::testing::WithParamInterface<KeyCase> {};

// Enter reaches the default button, Escape and the close box reach Cancel.
TEST_P(DialogKeys, EndTheDialogThroughTheirButton) {
  const KeyCase& key = GetParam();
  DialogHook hook([&](HWND dialog) {
    // Keys go to the control that has them, as they would from the keyboard.
    HWND target = key.message == WM_KEYDOWN ? GetDlgItem(dialog, 1021) : dialog;
    PostMessageA(target, key.message, key.key, 0);
  });
  EXPECT_EQ(run(), key.result);
  EXPECT_THAT(commands, ::testing::ElementsAre(key.command));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DialogKeys,
    ::testing::Values(KeyCase{"Enter", WM_KEYDOWN, VK_RETURN, IDOK, 10},
                      KeyCase{"Escape", WM_KEYDOWN, VK_ESCAPE, IDCANCEL, 20},
                      KeyCase{"CloseBox", WM_CLOSE, 0, IDCANCEL, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogLayer, WithoutDisplayAnUnansweredDialogIsCancelled) {
  velmoSetDialogHeadless(TRUE);
  EXPECT_EQ(run(), 20);
  EXPECT_EQ(initDialogCalls, 1);
  EXPECT_THAT(commands, ::testing::ElementsAre(IDCANCEL));
}

TEST_F(DialogLayer, OwnerIsDisabledWhileTheDialogRuns) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.lpszClassName = "DialogOwnerTest";
  RegisterClassA(&windowClass);
  HWND owner = CreateWindowExA(0, "DialogOwnerTest", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  BOOL enabledInside = TRUE;
  HWND ownerInside = nullptr;
  DialogHook hook([&](HWND dialog) {
    enabledInside = IsWindowEnabled(owner);
    ownerInside = GetWindow(dialog, GW_OWNER);
    dialog_test::press(dialog, IDOK);
  });
  EXPECT_EQ(run(owner), 10);
  EXPECT_FALSE(enabledInside);
  EXPECT_EQ(ownerInside, owner);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

TEST_F(DialogLayer, QuitMessageEndsTheLoopAndStaysQueued) {
  DialogHook hook([](HWND) { PostQuitMessage(7); });
  EXPECT_EQ(run(), 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(DialogLayer, MissingTemplateOrResourcesFailWithMinusOne) {
  DialogHook hook([](HWND) { ADD_FAILURE() << "no dialog should open"; });
  EXPECT_EQ(DialogBoxParamA(folder.module(), MAKEINTRESOURCEA(102), nullptr, recordingProc, 0), -1);
  EXPECT_EQ(GetLastError(), 1814u);
  // The test program itself carries no resources.
  EXPECT_EQ(DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr,
                            recordingProc, 0),
            -1);
  EXPECT_EQ(initDialogCalls, 0);
}

}  // namespace
