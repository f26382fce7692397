// The plug-in under hosts as they really behave: calls out of the usual
// order, rendering from a thread other than the one that opened the display,
// Escape closing the display while the host goes on. Each case says what the
// plug-in does; none may crash or hang.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>

#include <windows.h>
#include <velmo_win32/dialog_testing.h>

#include <velmo_glide.h>
#include <velmo_glide_recorder.h>

#include "plugin_host.h"

namespace hardening {
namespace {

#define REQUIRE_HOST(host)        \
  if (!(host).ready()) {          \
    GTEST_SKIP() << (host).why(); \
  }

size_t drawCalls(const vgl::CallRecorder& calls) {
  return calls.named("grDrawTriangle").size() + calls.named("guDrawTriangleWithClip").size() +
         calls.named("grBufferSwap").size();
}

void renderFrames(PluginHost& host, long count, long first = 0) {
  for (long frame = first; frame < first + count; ++frame) {
    host.fillSpectrum(frame);
    EXPECT_EQ(host.module()->render(host.module()), 0);
    PluginHost::pumpMessages();
  }
}

// Quit before any init: Glide is shut down without having been opened and the
// class unregistration fails; both are harmless, and a run can follow.
TEST(HostBehaviour, QuitWithoutInitIsHarmless) {
  PluginHost host;
  REQUIRE_HOST(host);
  host.module()->quit(host.module());

  host.module()->init(host.module());
  const FxU32 before = vglFrameCount();
  renderFrames(host, 5);
  EXPECT_EQ(vglFrameCount() - before, 5u);
  host.module()->quit(host.module());
}

// Escape destroys the popup window, shuts Glide down and posts a quit message
// to the thread that ran init. The host may go on calling render (the plug-in
// reads caption and time but draws nothing) and then quit (a second Glide
// shutdown, harmless). A new init afterwards starts a fresh run.
TEST(HostBehaviour, RenderAndQuitAfterEscape) {
  PluginHost host;
  REQUIRE_HOST(host);
  host.module()->init(host.module());
  renderFrames(host, 5);
  HWND popup = host.popup();
  ASSERT_NE(popup, nullptr);

  host.pressKey(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_FALSE(PluginHost::pumpMessages()) << "Escape posts WM_QUIT to the init thread";

  {
    vgl::CallRecorder calls;
    renderFrames(host, 20, 5);
    EXPECT_EQ(drawCalls(calls), 0u) << "drawing through the closed context";
  }
  host.module()->quit(host.module());

  host.module()->init(host.module());
  {
    vgl::CallRecorder calls;
    renderFrames(host, 3, 25);
    EXPECT_EQ(calls.named("grBufferSwap").size(), 3u);
    EXPECT_GT(calls.named("guDrawTriangleWithClip").size(), 0u);
  }
  host.module()->quit(host.module());
}

// Some hosts call init on their main thread and render on a worker thread.
// Every frame the plug-in asks the host window for the play position with
// SendMessageA, which waits for the window's thread: the frame completes as
// soon as the main thread pumps its messages, and no frame is lost.
TEST(HostBehaviour, RenderFromAnotherThread) {
  PluginHost host;
  REQUIRE_HOST(host);
  host.module()->init(host.module());
  const FxU32 before = vglFrameCount();
  constexpr long frames = 60;

  std::atomic<bool> done{false};
  std::thread renderer([&] {
    renderFrames(host, frames);
    done = true;
  });
  // The main thread is busy for a while before it pumps: the renderer waits.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!done && std::chrono::steady_clock::now() < deadline) {
    PluginHost::pumpMessages();
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  ASSERT_TRUE(done.load()) << "render thread still waiting after two minutes";
  renderer.join();
  EXPECT_EQ(vglFrameCount() - before, static_cast<FxU32>(frames));

  // Keys still reach the popup window, which belongs to the main thread.
  host.pressKey('F');
  host.pressKey(VK_SPACE);
  EXPECT_NE(host.popup(), nullptr);
  host.module()->quit(host.module());
}

// The user opens the settings while the display runs on the host's render
// thread. The dialog is modal on the main thread; its loop keeps answering the
// renderer's play-position queries, so the picture goes on behind it, and the
// flags confirmed with OK take effect in the frames that follow.
struct RunningDialog {
  FxU32 framesAtOpening = 0;
  FxU32 framesAtOk = 0;
};

// Runs inside the modal dialog on the main thread: toggles two boxes, keeps
// the thread's messages flowing (as the dialog's own loop does while the user
// looks at it) until the renderer has drawn five more frames, then presses OK.
void confirmWhileRendering(HWND dialog, void* context) {
  auto* state = static_cast<RunningDialog*>(context);
  state->framesAtOpening = vglFrameCount();
  SendDlgItemMessageA(dialog, 1020, BM_CLICK, 0, 0);  // Display Platform off
  SendDlgItemMessageA(dialog, 1021, BM_CLICK, 0, 0);  // Display Time off
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (vglFrameCount() < state->framesAtOpening + 5 && std::chrono::steady_clock::now() < deadline) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  state->framesAtOk = vglFrameCount();
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST(HostBehaviour, ConfigWhileTheDisplayRuns) {
  PluginHost host;
  REQUIRE_HOST(host);
  host.module()->init(host.module());
  std::atomic<bool> stop{false};
  std::thread renderer([&] {
    for (long frame = 0; !stop; ++frame) {
      host.fillSpectrum(frame);
      host.module()->render(host.module());
    }
  });
  RunningDialog state;
  velmoSetDialogHeadless(TRUE);
  velmoSetDialogHook(confirmWhileRendering, &state);
  host.module()->config(host.module());
  velmoSetDialogHook(nullptr, nullptr);
  const FxU32 afterDialog = vglFrameCount();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (vglFrameCount() < afterDialog + 3 && std::chrono::steady_clock::now() < deadline)
    PluginHost::pumpMessages();
  EXPECT_GE(vglFrameCount(), afterDialog + 3) << "no frames after the dialog closed";
  stop = true;
  // The renderer may be waiting on a play-position query: answer until it ends.
  auto joined = std::async(std::launch::async, [&] { renderer.join(); });
  while (joined.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) PluginHost::pumpMessages();
  EXPECT_GE(state.framesAtOk, state.framesAtOpening + 5) << "the display stood still behind the dialog";

  std::ifstream saved(host.folder() + "/plugin.ini");
  std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("DisplayPlatform=0"), std::string::npos) << text;
  EXPECT_NE(text.find("DisplayTime=0"), std::string::npos) << text;
  host.module()->quit(host.module());
}

// Quit without Escape removes the popup window the user left open, quietly
// (no quit message for the host), so that its class can be unregistered. A
// host that starts a new run after such a quit gets a working display.
TEST(HostBehaviourDeathTest, NewRunAfterQuitWithoutEscape) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PluginHost probe;
  REQUIRE_HOST(probe);
  EXPECT_EXIT(
      {
        PluginHost host;
        host.module()->init(host.module());
        renderFrames(host, 2);
        host.module()->quit(host.module());
        host.module()->init(host.module());
        const FxU32 before = vglFrameCount();
        renderFrames(host, 2);
        host.module()->quit(host.module());
        std::exit(vglFrameCount() - before == 2 ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
}

// A second init while the first run is still open finds the window class
// registered and ends the process with status 1, as the display's failure
// rule says. Nothing is left waiting and nothing crashes on the way out.
TEST(HostBehaviourDeathTest, InitTwiceWithoutQuitEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PluginHost probe;
  REQUIRE_HOST(probe);
  EXPECT_EXIT(
      {
        PluginHost host;
        host.module()->init(host.module());
        renderFrames(host, 2);
        host.module()->init(host.module());
        std::exit(0);  // not reached when the second init ends the process
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace hardening
