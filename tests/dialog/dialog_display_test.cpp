// The settings dialog as a GTK window on a real X display (run under
// Xvfb): the mouse toggles the enabled boxes only, and Enter confirms.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "dialog_fixture.h"
#include "plugin/lifecycle.h"
#include "plugin/vis.h"
#include "settings/settings.h"

namespace {

// The dialog's X window, as soon as it is shown.
std::string dialogWindow() {
  FILE* search = popen("sh '" VELMO_SOURCE_DIR
                       "/tests/support/wait_for_window.sh' "
                       "\"Velmo's Spectrum Setup\"",
                       "r");
  char id[32] = {};
  const bool found = search && std::fgets(id, sizeof id, search) != nullptr;
  if (search) pclose(search);
  if (found && id[0] >= '0' && id[0] <= '9') return std::string(id, std::strcspn(id, "\n"));
  ADD_FAILURE() << "the dialog window did not appear";
  return "0";
}

// xdotool on the dialog window; mouse coordinates are relative to it.
void onDialogWindow(const std::string& commands) {
  std::string command = "xdotool " + commands;
  const std::string window = dialogWindow();
  for (std::size_t at = command.find("%1"); at != std::string::npos; at = command.find("%1"))
    command.replace(at, 2, window);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// The middle of a check box's square, from its dialog-unit position.
std::string boxPoint(int x, int y, int height) {
  return std::to_string((x * 6 + 2) / 4 + 7) + " " +
         std::to_string((y * 13 + 4) / 8 + (height * 13 + 4) / 16);
}

HWND shownDialog;  // the dialog being shown, for the user's thread

class DialogOnDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "needs an X display (Xvfb)";
    if (std::system("command -v xdotool >/dev/null") != 0) GTEST_SKIP() << "needs xdotool";
    ASSERT_NE(folder.module(), nullptr);
    pluginModule.dllInstance = folder.module();
    pluginModule.parentWindow = nullptr;
    for (unsigned char* flag : {&RotateX, &SpinToBeat}) *flag = 1;
    velmoSetDialogHeadless(FALSE);
  }

  // Opens the dialog; the user's actions run on another thread meanwhile,
  // while the dialog's loop runs on this one.
  void openWhileUser(void (*actions)()) {
    struct Run {
      void (*actions)();
      bool shown = false;
      std::thread user;
    } run{actions, false, {}};
    velmoSetDialogHook(
        [](HWND dialog, void* context) {
          Run* run = static_cast<Run*>(context);
          run->shown = IsWindowVisible(dialog);
          shownDialog = dialog;
          run->user = std::thread(run->actions);
        },
        &run);
    visConfig(&pluginModule);
    velmoSetDialogHook(nullptr, nullptr);
    if (run.user.joinable()) run.user.join();
    EXPECT_TRUE(run.shown);
  }

  dialog_test::ModuleFolder folder{DIALOG_RESOURCES_MODULE};
};

// Returns once the dialog has taken the click on Spin to Beat. X delivers
// the events in order, so the click on the disabled box has come by too
// before any key that follows.
void clickSpinToBeatAndRotateX() {
  onDialogWindow("windowfocus --sync %1 mousemove --window %1 " + boxPoint(16, 61, 11) +
                 " click 1");
  onDialogWindow("mousemove --window %1 " + boxPoint(16, 17, 10) + " click 1");  // disabled
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (IsDlgButtonChecked(shownDialog, 1017) == BST_CHECKED &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

TEST_F(DialogOnDisplay, MouseReachesOnlyEnabledBoxesAndEnterConfirms) {
  openWhileUser([] {
    clickSpinToBeatAndRotateX();
    onDialogWindow("key Return");
  });
  EXPECT_EQ(SpinToBeat, 0);
  EXPECT_EQ(RotateX, 1);
  const std::string ini = velmo_test::readFile(folder.file("plugin.ini"));
  EXPECT_NE(ini.find("SpinToBeat=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("RotateX=1"), std::string::npos) << ini;
}

TEST_F(DialogOnDisplay, EscapeCancels) {
  openWhileUser([] {
    clickSpinToBeatAndRotateX();
    onDialogWindow("key Escape");
  });
  EXPECT_EQ(SpinToBeat, 1);
  EXPECT_FALSE(std::filesystem::exists(folder.file("plugin.ini")));
}

}  // namespace
