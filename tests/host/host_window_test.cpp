// The main window as a plug-in sees it, through the platform's Win32 calls:
// found by class, its caption (in Windows-1252, as Winamp's ANSI captions
// were), the play-position query and the keys.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ansi_cases.h"
#include "vis/host_window.h"
#include "vis/vis_session.h"

namespace velmo {
namespace {

class ScriptedControls : public HostControls {
 public:
  int position = -1;
  int state = 0;
  std::vector<unsigned> keys;
  bool closed = false;
  int playPositionMs() override { return position; }
  int trackLengthSeconds() override { return 215; }
  int playState() override { return state; }
  void keyPressed(unsigned key) override { keys.push_back(key); }
  void closeRequested() override { closed = true; }
};

void pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

TEST(HostWindow, AnswersAsWinampsMainWindowDoes) {
  ScriptedControls controls;
  HWND window = createHostWindow(GetModuleHandleA(nullptr), &controls);
  ASSERT_TRUE(window);
  EXPECT_EQ(FindWindowA(kHostWindowClass, nullptr), window);

  SetWindowTextA(window, hostCaption(12, "Artist", "Title").c_str());
  char caption[130];
  GetWindowTextA(window, caption, sizeof caption);
  EXPECT_STREQ(caption, "12. Artist - Title - Winamp");

  EXPECT_EQ(SendMessageA(window, WM_USER, 0, kQueryOutputTime), -1);
  controls.position = 83000;
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, kQueryOutputTime), 83000);
  EXPECT_EQ(SendMessageA(window, WM_USER, 1, kQueryOutputTime), 215);
  controls.state = 3;
  EXPECT_EQ(SendMessageA(window, WM_USER, 0, kQueryPlayState), 3);

  // Keys a plug-in passes on arrive posted.
  PostMessageA(window, WM_KEYDOWN, 'X', 1);
  PostMessageA(window, WM_KEYUP, 'X', 0xC0000001);
  PostMessageA(window, WM_KEYDOWN, VK_LEFT, 1);
  pump();
  EXPECT_EQ(controls.keys, (std::vector<unsigned>{'X', VK_LEFT}));

  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(controls.closed);
  EXPECT_TRUE(IsWindow(window)) << "closing is the player's decision";
  destroyHostWindow(window);
  EXPECT_FALSE(IsWindow(window));
}

TEST(HostWindow, CaptionWithoutArtist) {
  EXPECT_EQ(hostCaption(1, "", "Night Drive"), "1. Night Drive - Winamp");
}

class Caption : public ::testing::TestWithParam<AnsiCase> {};

// The session is given UTF-8; the plug-in reads Windows-1252, '?' for what
// it lacks. Text that is no UTF-8 passes as it is.
TEST_P(Caption, ReachesThePluginInWindows1252) {
  FixedControls controls;
  VisSession session;
  std::string error;
  ASSERT_TRUE(session.open(VELMO_OUTPUT_DIR "/vis_velmo.so", &controls, &error)) << error;
  session.setCaption(GetParam().text);
  char caption[130];
  GetWindowTextA(FindWindowA(kHostWindowClass, nullptr), caption, sizeof caption);
  EXPECT_EQ(caption, GetParam().windows1252);
}

INSTANTIATE_TEST_SUITE_P(Tags, Caption, ::testing::ValuesIn(kAnsiCases), ansiCaseName);

}  // namespace
}  // namespace velmo
