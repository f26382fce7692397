// The settings dialog as a GTK window on a real X display (run under
// xvfb-run): the mouse toggles the enabled boxes only, and Enter confirms.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "dialog_fixture.h"
#include "plugin/lifecycle.h"
#include "plugin/vis.h"
#include "settings/settings.h"

namespace {

// xdotool on the dialog window, coordinates relative to it.
void onDialogWindow(const std::string& commands) {
  const std::string command =
      "xdotool search --sync --onlyvisible --name \"Velmo's Spectrum Setup\" " + commands;
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// The middle of a check box's square, from its dialog-unit position.
std::string boxPoint(int x, int y, int height) {
  return std::to_string((x * 6 + 2) / 4 + 7) + " " + std::to_string((y * 13 + 4) / 8 + (height * 13 + 4) / 16);
}

TEST(DialogOnDisplay, MouseReachesOnlyEnabledBoxesAndEnterConfirms) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs an X display (xvfb-run)";
  if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "needs xdotool";

  dialog_test::ModuleFolder folder(DIALOG_RESOURCES_MODULE);
  ASSERT_NE(folder.module(), nullptr);
  pluginModule.dllInstance = folder.module();
  pluginModule.parentWindow = nullptr;
  velmoSetDialogHeadless(FALSE);

  struct Run {
    bool shown = false;
    std::thread user;
  } run;
  velmoSetDialogHook(
      [](HWND dialog, void* context) {
        Run* run = static_cast<Run*>(context);
        run->shown = IsWindowVisible(dialog);
        // The user works while the dialog's loop runs on this thread.
        run->user = std::thread([] {
          onDialogWindow("windowfocus --sync mousemove --window %1 " + boxPoint(16, 61, 11) +
                         " click 1");  // Spin to Beat
          onDialogWindow("mousemove --window %1 " + boxPoint(16, 17, 10) +
                         " click 1");  // Rotate X, disabled
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          onDialogWindow("key Return");
        });
      },
      &run);
  visConfig(&pluginModule);
  velmoSetDialogHook(nullptr, nullptr);
  run.user.join();

  EXPECT_TRUE(run.shown);
  EXPECT_EQ(SpinToBeat, 0);
  EXPECT_EQ(RotateX, 1);
  const std::string ini = folder.read("plugin.ini");
  EXPECT_NE(ini.find("SpinToBeat=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("RotateX=1"), std::string::npos) << ini;
}

}  // namespace
