// Long runs: many frames, many display runs, many dialog openings. Memory must
// stay flat once warmed up and no window may be left behind. In the sanitize
// build LeakSanitizer checks the same runs for leaks at exit; resident memory
// is not judged there, because freed blocks sit in AddressSanitizer's
// quarantine by design. VELMO_SOAK_FRAMES sets the frame count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <windows.h>
#include <velmo_glide.h>
#include <velmo_win32/dialog_testing.h>

#include "plugin_host.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMO_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define VELMO_UNDER_ASAN 1
#endif

namespace hardening {
namespace {

#define REQUIRE_HOST(host)        \
  if (!(host).ready()) {          \
    GTEST_SKIP() << (host).why(); \
  }

#ifdef VELMO_UNDER_ASAN
constexpr bool judgeResidentMemory = false;
constexpr long defaultFrames = 100;
constexpr int framesPerRun = 1;
#else
constexpr bool judgeResidentMemory = true;
constexpr long defaultFrames = 2000;
constexpr int framesPerRun = 3;
#endif

long soakFrames() {
  const char* text = std::getenv("VELMO_SOAK_FRAMES");
  const long frames = text ? std::strtol(text, nullptr, 10) : 0;
  return frames > 0 ? frames : defaultFrames;
}

int countWindows() {
  int count = 0;
  EnumWindows([](HWND, LPARAM param) -> BOOL { ++*reinterpret_cast<int*>(param); return TRUE; },
              reinterpret_cast<LPARAM>(&count));
  return count;
}

TEST(Soak, FramesOnMovingSpectraKeepMemoryFlat) {
  PluginHost host;
  REQUIRE_HOST(host);
  host.module()->init(host.module());
  const long frames = soakFrames();
  const long warmUp = frames / 10;
  long settled = 0, highest = 0;
  for (long frame = 0; frame < frames; ++frame) {
    host.fillSpectrum(frame);
    host.setPlayPosition(static_cast<int>(frame * 13));
    if (frame % 500 == 0) host.setCaption(frame % 1000 ? "2. Somebody - Something Else - Winamp" : "1. Artist - Title - Winamp");
    host.module()->render(host.module());
    PluginHost::pumpMessages();
    if (frame == warmUp) settled = residentKilobytes();
    if (frame > warmUp && frame % 100 == 0) highest = std::max(highest, residentKilobytes());
  }
  host.module()->quit(host.module());
  RecordProperty("ResidentKilobytesAfterWarmUp", static_cast<int>(settled));
  RecordProperty("ResidentKilobytesHighest", static_cast<int>(highest));
  if (judgeResidentMemory) {
    EXPECT_LE(highest - settled, 256) << frames << " frames: " << settled << " kB after warm-up, up to " << highest;
  }
}

// Display runs one after another, the way a user starts and stops the
// visualization: init, some frames, then quit, with or without Escape first.
class HundredDisplayRuns : public ::testing::TestWithParam<bool> {};

TEST_P(HundredDisplayRuns, LeaveNothingBehind) {
  const bool escapeFirst = GetParam();
  PluginHost host;
  REQUIRE_HOST(host);
  const int windowsBefore = countWindows();
  long settled = 0;
  for (int run = 0; run < 100; ++run) {
    host.module()->init(host.module());
    for (int frame = 0; frame < framesPerRun; ++frame) {
      host.fillSpectrum(run * framesPerRun + frame);
      host.module()->render(host.module());
    }
    if (escapeFirst) host.pressKey(VK_ESCAPE);
    PluginHost::pumpMessages();
    host.module()->quit(host.module());
    PluginHost::pumpMessages();
    if (run == 9) settled = residentKilobytes();
  }
  EXPECT_EQ(countWindows(), windowsBefore) << "windows left behind by 100 display runs";
  if (judgeResidentMemory) {
    EXPECT_LE(residentKilobytes() - settled, 1024) << "kB grown over 90 display runs";
  }
}

INSTANTIATE_TEST_SUITE_P(Soak, HundredDisplayRuns, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "EscapeThenQuit" : "QuitOnly");
                         });

int dialogsAnswered = 0;

void answerDialog(HWND dialog, void* context) {
  const int run = *static_cast<int*>(context);
  ++dialogsAnswered;
  // Toggle "Display Platform", then OK or Cancel in turn.
  SendDlgItemMessageA(dialog, 1020, BM_CLICK, 0, 0);
  PostMessageA(dialog, WM_COMMAND, run % 2 ? IDCANCEL : IDOK, 0);
}

TEST(Soak, HundredDialogOpeningsLeaveNothingBehind) {
  PluginHost host;
  REQUIRE_HOST(host);
  velmoSetDialogHeadless(TRUE);
  int run = 0;
  velmoSetDialogHook(answerDialog, &run);
  const int windowsBefore = countWindows();
  long settled = 0;
  for (; run < 100; ++run) {
    host.module()->config(host.module());
    PluginHost::pumpMessages();
    if (run == 9) settled = residentKilobytes();
  }
  velmoSetDialogHook(nullptr, nullptr);
  EXPECT_EQ(dialogsAnswered, 100);
  EXPECT_EQ(countWindows(), windowsBefore) << "windows left behind by 100 dialogs";
  std::ifstream saved(host.folder() + "/plugin.ini");
  std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("DisplayPlatform="), std::string::npos) << "OK wrote no settings beside the plug-in";
  if (judgeResidentMemory) {
    EXPECT_LE(residentKilobytes() - settled, 512) << "kB grown over 90 dialogs";
  }
}

}  // namespace
}  // namespace hardening
