// The settings dialog as the plug-in shows it: flags into the boxes, boxes
// back into the flags and plugin.ini on OK, nothing on Cancel, and the
// scroll bar arithmetic.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "dialog_fixture.h"
#include "plugin/lifecycle.h"
#include "plugin/vis.h"
#include "settings/settings.h"
#include "settings/settings_dialog.h"

namespace {

using dialog_test::click;
using dialog_test::DialogHook;
using dialog_test::itemText;
using dialog_test::ModuleFolder;
using dialog_test::press;
using dialog_test::readFile;
using dialog_test::writeFile;

struct Flag {
  const char* key;
  unsigned char* flag;
  int boxId;
};

// In the order the file is written: DisplayPlatform before Reflect.
const Flag kFlags[] = {
    {"RotateX", &RotateX, 1000},
    {"RotateY", &RotateY, 1001},
    {"RotateZ", &RotateZ, 1002},
    {"DisplayBackSpec", &DisplayBackSpec, 1018},
    {"SpinToBeat", &SpinToBeat, 1017},
    {"DisplayPlatform", &DisplayPlatform, 1020},
    {"Reflect", &Reflect, 1019},
    {"DisplayTime", &DisplayTime, 1021},
    {"DisplaySong", &DisplaySong, 1022},
    {"RotateLogo", &RotateLogo, 1026},
    {"PointedEnds", &PointedEnds, 1025},
};

// Key/value pairs of the plug-in's section, in file order.
std::vector<std::pair<std::string, std::string>> sectionEntries(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> entries;
  std::istringstream lines(text);
  std::string line;
  bool inSection = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inSection = line == "[Velmo's 3DFX Spectrum Analyzer]";
    } else if (inSection && line.find('=') != std::string::npos) {
      const auto equals = line.find('=');
      entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
    }
  }
  return entries;
}

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(folder.module(), nullptr);
    for (const Flag& flag : kFlags) *flag.flag = 1;  // as after loading the plug-in
    pluginModule.dllInstance = folder.module();
    pluginModule.parentWindow = nullptr;
  }
  // Opens the dialog through the module's configure callback.
  INT_PTR open() {
    return DialogBoxParamA(pluginModule.dllInstance, MAKEINTRESOURCEA(IDD_SETTINGS),
                           pluginModule.parentWindow, settingsDlgProc, 0);
  }
  std::vector<UINT> boxStates(HWND dialog) {
    std::vector<UINT> states;
    for (const Flag& flag : kFlags) states.push_back(IsDlgButtonChecked(dialog, flag.boxId));
    return states;
  }
  ModuleFolder folder{DIALOG_RESOURCES_MODULE};
};

TEST_F(SettingsDialog, WithoutFileAllBoxesAreCheckedAndOkWritesEveryKeyAsOne) {
  std::vector<UINT> shown;
  DialogHook hook([&](HWND dialog) {
    shown = boxStates(dialog);
    press(dialog, IDOK);
  });
  visConfig(&pluginModule);
  EXPECT_EQ(hook.calls(), 1);
  EXPECT_EQ(shown, std::vector<UINT>(11, BST_CHECKED));
  std::vector<std::pair<std::string, std::string>> expected;
  for (const Flag& flag : kFlags) expected.emplace_back(flag.key, "1");
  EXPECT_EQ(sectionEntries(readFile(folder.file("plugin.ini"))), expected);
}

TEST_F(SettingsDialog, DisabledBoxesShowTheFileAndKeepItsValueThroughOk) {
  writeFile(folder.file("plugin.ini"),
            "[Velmo's 3DFX Spectrum Analyzer]\r\nRotateY=0\r\nReflect=0\r\nPointedEnds=0\r\n");
  std::vector<UINT> shown, afterClicks;
  DialogHook hook([&](HWND dialog) {
    shown = boxStates(dialog);
    for (int id : {1000, 1001, 1002, 1019}) click(dialog, id);
    click(dialog, 1025);  // enabled: turns Pointed Ends back on
    afterClicks = boxStates(dialog);
    press(dialog, IDOK);
  });
  open();
  const std::vector<UINT> fileState = {1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 0};
  EXPECT_EQ(shown, fileState);
  const std::vector<UINT> clicked = {1, 0, 1, 1, 1, 1, 0, 1, 1, 1, 1};
  EXPECT_EQ(afterClicks, clicked);
  EXPECT_EQ(RotateY, 0);
  EXPECT_EQ(Reflect, 0);
  EXPECT_EQ(PointedEnds, 1);
  const auto entries = sectionEntries(readFile(folder.file("plugin.ini")));
  for (const auto& [key, value] : entries) {
    const bool off = key == "RotateY" || key == "Reflect";
    EXPECT_EQ(value, off ? "0" : "1") << key;
  }
  EXPECT_EQ(entries.size(), 11u);
}

TEST_F(SettingsDialog, CancelAfterTogglingChangesNeitherFlagsNorFile) {
  const std::string original = "[Velmo's 3DFX Spectrum Analyzer]\r\nSpinToBeat=0\r\n";
  writeFile(folder.file("plugin.ini"), original);
  DialogHook hook([&](HWND dialog) {
    for (int id : {1017, 1018, 1020, 1021, 1022, 1025, 1026}) click(dialog, id);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 1017), BST_CHECKED);
    press(dialog, IDCANCEL);
  });
  EXPECT_EQ(open(), 1);
  EXPECT_EQ(readFile(folder.file("plugin.ini")), original);
  // Only the reload at opening took effect.
  EXPECT_EQ(SpinToBeat, 0);
  for (const Flag& flag : kFlags) {
    if (flag.flag != &SpinToBeat) {
      EXPECT_EQ(*flag.flag, 1) << flag.key;
    }
  }
}

TEST_F(SettingsDialog, CancelWithoutFileCreatesNone) {
  DialogHook hook([](HWND dialog) {
    click(dialog, 1021);
    press(dialog, IDCANCEL);
  });
  open();
  EXPECT_FALSE(std::filesystem::exists(folder.file("plugin.ini")));
  EXPECT_EQ(DisplayTime, 1);
}

// OK, Cancel, Escape and the close box all end the dialog with 1.
TEST_F(SettingsDialog, EveryWayOutReturnsOne) {
  const std::vector<std::function<void(HWND)>> endings = {
      [](HWND d) { press(d, IDOK); },
      [](HWND d) { press(d, IDCANCEL); },
      [](HWND d) { PostMessageA(GetDlgItem(d, 1017), WM_KEYDOWN, VK_ESCAPE, 0); },
      [](HWND d) { PostMessageA(GetDlgItem(d, 1017), WM_KEYDOWN, VK_RETURN, 0); },
      [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); },
  };
  for (std::size_t i = 0; i < endings.size(); ++i) {
    DialogHook hook(endings[i]);
    EXPECT_EQ(open(), 1) << "ending " << i;
  }
}

TEST_F(SettingsDialog, OtherMessagesLeaveTheDialogAsItIs) {
  DialogHook hook([](HWND dialog) {
    EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1017, BN_CLICKED), 0), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_COMMAND, 3, 0), 0);
    // Scroll messages that name no bar of the dialog move nothing.
    EXPECT_EQ(SendMessageA(dialog, WM_HSCROLL, SB_PAGERIGHT, 0), 0);
    EXPECT_EQ(SendMessageA(dialog, WM_HSCROLL, SB_LINELEFT, reinterpret_cast<LPARAM>(dialog)), 0);
    EXPECT_EQ(itemText(dialog, 1024), "12");
    EXPECT_EQ(GetScrollPos(GetDlgItem(dialog, 1016), SB_CTL), 12);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(settingsDlgProc(dialog, WM_COMMAND, IDOK, 0), 1) << "OK answers 1";
  });
  EXPECT_EQ(open(), 1);
}

TEST_F(SettingsDialog, BarsOpenWithTheirRangesAndLabelTwelveEveryTime) {
  for (int opening = 0; opening < 2; ++opening) {
    std::vector<int> bars;
    std::string label;
    DialogHook hook([&](HWND dialog) {
      for (int id : {1015, 1016, 1014}) {
        int minimum = 0, maximum = 0;
        GetScrollRange(GetDlgItem(dialog, id), SB_CTL, &minimum, &maximum);
        bars.insert(bars.end(), {minimum, maximum, GetScrollPos(GetDlgItem(dialog, id), SB_CTL)});
      }
      label = itemText(dialog, 1024);
      // Move the sides bar so the next opening has something to reset.
      SendMessageA(dialog, WM_HSCROLL, SB_PAGERIGHT,
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1016)));
      EXPECT_EQ(itemText(dialog, 1024), "16");
      press(dialog, IDOK);
    });
    open();
    EXPECT_THAT(bars, ::testing::ElementsAre(1, 25, 10, 3, 75, 12, 1, 25, 10));
    EXPECT_EQ(label, "12") << "opening " << opening;
  }
}

struct ScrollCase {
  const char* name;
  int barId;
  int start;
  WPARAM request;
  int expectedPosition;
};

class SettingsScroll : public SettingsDialog, public ::testing::WithParamInterface<ScrollCase> {};

TEST_P(SettingsScroll, MovesTheBarWithinItsRangeAndShowsTheSides) {
  const ScrollCase& c = GetParam();
  int position = 0;
  std::string label;
  DialogHook hook([&](HWND dialog) {
    HWND bar = GetDlgItem(dialog, c.barId);
    SetScrollPos(bar, SB_CTL, c.start, FALSE);
    EXPECT_EQ(SendMessageA(dialog, WM_HSCROLL, c.request, reinterpret_cast<LPARAM>(bar)), 0);
    position = GetScrollPos(bar, SB_CTL);
    label = itemText(dialog, 1024);
    press(dialog, IDCANCEL);
  });
  open();
  EXPECT_EQ(position, c.expectedPosition);
  // Only the sides bar writes its position into the label, whatever the request.
  EXPECT_EQ(label, c.barId == 1016 ? std::to_string(c.expectedPosition) : "12");
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SettingsScroll,
    ::testing::Values(
        ScrollCase{"LineLeft", 1016, 12, SB_LINELEFT, 11},
        ScrollCase{"LineRight", 1016, 12, SB_LINERIGHT, 13},
        ScrollCase{"PageLeft", 1016, 12, SB_PAGELEFT, 8},
        ScrollCase{"PageRight", 1016, 12, SB_PAGERIGHT, 16},
        ScrollCase{"ThumbTrack", 1016, 12, MAKEWPARAM(SB_THUMBTRACK, 40), 40},
        ScrollCase{"ThumbTrackNegativeClamps", 1016, 12, MAKEWPARAM(SB_THUMBTRACK, 0xFFFB), 3},
        ScrollCase{"ThumbTrackAboveRangeClamps", 1016, 12, MAKEWPARAM(SB_THUMBTRACK, 300), 75},
        ScrollCase{"ThumbPositionIgnored", 1016, 12, MAKEWPARAM(SB_THUMBPOSITION, 40), 12},
        ScrollCase{"EndScrollStillShowsPosition", 1016, 30, SB_ENDSCROLL, 30},
        ScrollCase{"LineLeftAtMinimum", 1016, 3, SB_LINELEFT, 3},
        ScrollCase{"PageLeftNearMinimum", 1016, 5, SB_PAGELEFT, 3},
        ScrollCase{"PageRightAtMaximum", 1016, 75, SB_PAGERIGHT, 75},
        ScrollCase{"SpectrumSpeedPageRight", 1015, 23, SB_PAGERIGHT, 25},
        ScrollCase{"PlatformSpeedLineLeft", 1014, 10, SB_LINELEFT, 9}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
