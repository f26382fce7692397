// visRender's reading of the host: the song title cut from the caption of a
// real host window, and the play time from its answer to WM_USER/105.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "display/display.h"
#include "plugin/lifecycle.h"
#include "plugin_folder.h"
#include "scene/scene.h"

namespace {

using plugintest::HostWindow;

struct TitleCase {
  std::string caption;
  std::string title;
};

struct SongTitle : ::testing::TestWithParam<TitleCase> {};

TEST_P(SongTitle, IsCutFromTheCaption) {
  ASSERT_EQ(displayOpen, 0);  // nothing is drawn; only the host is read
  HostWindow host(GetParam().caption.c_str());
  pluginModule.parentWindow = host.window;
  memset(songTitle, 'x', sizeof songTitle);
  visRender(&pluginModule);
  EXPECT_EQ(std::string(songTitle), GetParam().title);
  pluginModule.parentWindow = nullptr;
}

std::string repeat(char c, int n) { return std::string(n, c); }

INSTANTIATE_TEST_SUITE_P(
    Captions, SongTitle,
    ::testing::Values(
        TitleCase{"3. Artist - Song - Winamp", "3. Artist - Song "},
        TitleCase{"12. Artist - Title - Winamp", "12. Artist - Title "},
        TitleCase{"", ""},
        TitleCase{"Winamp", "Winamp"},        // starts at the first character: no cut
        TitleCase{"xWinamp 5", "xWinamp 5"},  // second character: no cut
        TitleCase{"abWinamp", ""},            // third character: cut at the first
        TitleCase{"Winamp 2.91", "Winamp 2.91"},
        TitleCase{"1. No player name here", "1. No player name here"},
        TitleCase{"1. A - Winamp - Winamp", "1. A "},  // the first occurrence counts
        TitleCase{"4. Bj\xf6rk - J\xf3ga - Winamp", "4. Bj\xf6rk - J\xf3ga "},
        TitleCase{"5. \xff\x80\xfe - Winamp", "5. \xff\x80\xfe "},
        // Only 129 characters are read: "Winamp" beyond them is not found.
        TitleCase{repeat('a', 124) + " - Winamp", repeat('a', 124) + " - Wi"},
        TitleCase{repeat('b', 200), repeat('b', 129)},
        TitleCase{repeat('c', 120) + " - Winamp", repeat('c', 120) + " "}));

struct TimeCase {
  LRESULT playMs;
  std::string text;
};

struct PlayTime : ::testing::TestWithParam<TimeCase> {};

TEST_P(PlayTime, ShowsMinutesAndSeconds) {
  HostWindow host;
  HostWindow::playPosition = GetParam().playMs;
  pluginModule.parentWindow = host.window;
  memset(timeText, 'x', sizeof timeText);
  visRender(&pluginModule);
  EXPECT_EQ(std::string(timeText), GetParam().text);
  pluginModule.parentWindow = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Answers, PlayTime,
                         ::testing::Values(TimeCase{-1, "Stopped"}, TimeCase{0, "[0:00]"},
                                           TimeCase{999, "[0:00]"}, TimeCase{59999, "[0:59]"},
                                           TimeCase{83000, "[1:23]"}, TimeCase{3600000, "[60:00]"},
                                           TimeCase{605000, "[10:05]"},
                                           TimeCase{2147483647, "[35791:23]"}));

// A host answering with a negative time other than -1 must not overrun the
// 12-byte buffer (the longest such text would need 13).
TEST(PlayTimeText, NegativeAnswersStayInTheBuffer) {
  char text[16];
  for (int playMs : {-2, -60000, -2147483647 - 1}) {
    memset(text, 'z', sizeof text);
    formatTimeText(playMs, text);
    EXPECT_LE(strlen(text), 11u) << playMs;
    EXPECT_EQ(text[12], 'z') << playMs;
  }
}

// Winamp keeps its main window on one thread and calls the plug-in from
// another: the query then waits for the host thread's answer.
TEST(HostOnAnotherThread, TitleAndTimeAreRead) {
  HWND window = nullptr;
  bool stop = false;
  std::thread hostThread([&] {
    HostWindow host("7. Far - Away - Winamp");
    HostWindow::playPosition = 61000;
    __atomic_store_n(&window, host.window, __ATOMIC_SEQ_CST);
    MSG message;
    while (!__atomic_load_n(&stop, __ATOMIC_SEQ_CST)) {
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      Sleep(1);
    }
  });
  while (__atomic_load_n(&window, __ATOMIC_SEQ_CST) == nullptr) Sleep(1);
  pluginModule.parentWindow = window;
  visRender(&pluginModule);
  EXPECT_STREQ(songTitle, "7. Far - Away ");
  EXPECT_STREQ(timeText, "[1:01]");
  __atomic_store_n(&stop, true, __ATOMIC_SEQ_CST);
  hostThread.join();
  pluginModule.parentWindow = nullptr;
}

TEST(KeyboardOffsets, ReachThePlatformEveryFrame) {
  HostWindow host;
  pluginModule.parentWindow = host.window;
  platformDepthAdjust = 2.5f;
  platformHeightAdjust = -1.0f;
  visRender(&pluginModule);
  EXPECT_EQ(platformOffsetZ, 38.5f);
  EXPECT_EQ(platformOffsetY, -1.0f);
  platformDepthAdjust = platformHeightAdjust = 0.0f;
  pluginModule.parentWindow = nullptr;
}

}  // namespace
