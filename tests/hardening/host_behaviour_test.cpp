// The plug-in under hosts as they really behave: calls out of the usual
// order, rendering from a thread other than the one that opened the display,
// Escape closing the display while the host goes on. Each case says what the
// plug-in does; none may crash or hang.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <velmo_glide.h>
#include <velmo_glide_recorder.h>

#include "plugin_host.h"

namespace hardening {
namespace {

#define REQUIRE_HOST(host) \
  if (!(host).ready()) GTEST_SKIP() << (host).why()

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
  constexpr long frames = 200;

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
