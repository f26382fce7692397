// MessageBoxA without a display: standard error, the test handler, the
// VELMO_MSGBOX setting, and the default button.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "run_program.h"
#include "velmo_win32/testing.h"

namespace {

struct Seen {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
Seen seen;

int recordAndAnswerRetry(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  seen = {owner, text, caption, type};
  return IDRETRY;
}

class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("VELMO_MSGBOX");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    velmoSetMessageBoxHandler(nullptr);
  }
  void TearDown() override {
    unsetenv("VELMO_MSGBOX");
    velmoSetMessageBoxHandler(nullptr);
  }
};

TEST_F(MessageBoxes, HandlerSeesEverythingAndItsAnswerIsReturned) {
  HWND owner = reinterpret_cast<HWND>(0x5678);
  EXPECT_EQ(velmoSetMessageBoxHandler(recordAndAnswerRetry), nullptr);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(owner, "Could not load texture Light.3df", "An ERROR", 0x40), IDRETRY);
  const std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(seen.owner, owner);
  EXPECT_EQ(seen.text, "Could not load texture Light.3df");
  EXPECT_EQ(seen.caption, "An ERROR");
  EXPECT_EQ(seen.type, 0x40u);
  EXPECT_EQ(printed, "An ERROR: Could not load texture Light.3df\n");
  EXPECT_EQ(velmoSetMessageBoxHandler(nullptr), recordAndAnswerRetry);
}

struct HeadlessCase {
  const char* setting;  // VELMO_MSGBOX, or null for unset
  UINT type;
  int answer;
};

class HeadlessAnswers : public MessageBoxes, public ::testing::WithParamInterface<HeadlessCase> {};

TEST_P(HeadlessAnswers, AnswerWithoutWaiting) {
  if (GetParam().setting) setenv("VELMO_MSGBOX", GetParam().setting, 1);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "text", nullptr, GetParam().type), GetParam().answer);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: text\n");
}

INSTANTIATE_TEST_SUITE_P(
    Settings, HeadlessAnswers,
    ::testing::Values(HeadlessCase{nullptr, MB_OK | MB_ICONINFORMATION, IDOK},
                      HeadlessCase{nullptr, MB_YESNO, IDYES},
                      HeadlessCase{nullptr, MB_YESNO | MB_DEFBUTTON2, IDNO},
                      HeadlessCase{nullptr, MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, IDIGNORE},
                      HeadlessCase{"ok", MB_OK, IDOK}, HeadlessCase{"cancel", MB_OKCANCEL, IDCANCEL},
                      HeadlessCase{"No", MB_YESNOCANCEL, IDNO},
                      HeadlessCase{"default", MB_RETRYCANCEL | MB_DEFBUTTON2, IDCANCEL}));

}  // namespace

namespace {

// A real GTK box on a virtual X display of its own, answered with the keyboard.
TEST(MessageBoxOnDisplay, EnterGivesTheDefaultButton) {
  if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0) {
    GTEST_SKIP() << "needs Xvfb and xdotool";
  }
  const ProgramResult run = runProgram(std::string("env -u VELMO_MSGBOX LSAN_OPTIONS=suppressions=") +
                                       PLATFORM_GTK_LEAKS + " " + kOnOwnDisplay + "'" + PLATFORM_MESSAGE_BOX_DISPLAY + "'");
  const std::string& output = run.output;
  EXPECT_EQ(run.status, 0) << output;
  EXPECT_NE(output.find("Velmo box test: Press Enter for the default button"), std::string::npos)
      << "written to standard error as well";
  EXPECT_NE(output.find("answer 7"), std::string::npos) << output;
}

}  // namespace
