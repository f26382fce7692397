// Whole display runs through the four callbacks, each in a child process:
// what visInit resets and loads, the trace file, frames, quit, Escape, and
// a texture missing beside the plug-in.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "analysis/analyzer.h"
#include "display/display.h"
#include "plugin/lifecycle.h"
#include "plugin_folder.h"
#include "scene/scene.h"

namespace {

using namespace plugintest;

int count(const std::vector<std::string>& calls, const std::string& name) {
  return (int)std::count_if(calls.begin(), calls.end(),
                            [&](const std::string& call) { return call.rfind(name, 0) == 0; });
}

bool allZero(const int* values, int n) {
  for (int i = 0; i < n; i++)
    if (values[i] != 0) return false;
  return true;
}

struct Lifecycle : ::testing::Test {
  HostWindow host;
  std::unique_ptr<PluginFolder> folder;

  void SetUp() override {
    if (!texturesBuilt()) GTEST_SKIP() << "textures or plug-in not built in " << VELMO_OUTPUT_DIR;
    unsetenv("VELMO_GLIDE_NO_BOARD");
    HostWindow::playPosition = 83000;
    folder = std::make_unique<PluginFolder>(true);
    pluginModule.parentWindow = host.window;
    pluginModule.dllInstance = folder->module();
  }
  void TearDown() override {
    pluginModule.parentWindow = nullptr;
    pluginModule.dllInstance = nullptr;
  }
};

TEST_F(Lifecycle, InitResetsLoadsAndTraces) {
  std::string trace = folder->tracePath();
  ChildRun run = runChild([&] {
    frameCount = 99;
    memset(bandLevel, 1, sizeof bandLevel);
    memset(heldLevel, 1, sizeof heldLevel);
    memset(fallingLevel, 1, sizeof fallingLevel);
    childEvent("init returned " + std::to_string(visInit(&pluginModule)));
    fflush(traceFile);
    childEvent("trace " + readFile(trace));
    childEvent("frameCount " + std::to_string(frameCount));
    bool zero = allZero(&bandLevel[0][0], 72) && allZero(&heldLevel[0][0], 72) &&
                allZero(&fallingLevel[0][0], 72);
    childEvent(std::string("levels zero ") + (zero ? "yes" : "no"));
    bool loaded = lightTexture != -1 && barTexture != -1 && fontTexture != -1 && logoTexture != -1;
    childEvent(std::string("textures loaded ") + (loaded ? "yes" : "no"));
  });
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.indexOf("trace Gonna make Cone."), -1);  // events are lines
  EXPECT_NE(run.indexOf("Made Cone."), -1);
  EXPECT_NE(run.indexOf("frameCount 0"), -1);
  EXPECT_NE(run.indexOf("init returned 0"), -1);
  EXPECT_NE(run.indexOf("levels zero yes"), -1);
  EXPECT_NE(run.indexOf("textures loaded yes"), -1);
  std::vector<std::string> infos;
  for (const auto& call : run.glideCalls())
    if (call.rfind("gu3dfGetInfo:", 0) == 0) infos.push_back(call.substr(13));
  EXPECT_THAT(infos, ::testing::ElementsAre(folder->file("Light.3df"), folder->file("Velmo1.3df"),
                                            folder->file("VelmoFont.3df"), folder->file("VelmoLogo.3df")));
  EXPECT_EQ(readFile(trace), "Gonna make Cone.\nMade Cone.\n");  // flushed at exit
}

TEST_F(Lifecycle, FramesQuitAndASecondRun) {
  std::string trace = folder->tracePath();
  ChildRun run = runChild([&] {
    visInit(&pluginModule);
    for (int i = 0; i < 5; i++) {
      memset(pluginModule.spectrumData, 40 * i, sizeof pluginModule.spectrumData);
      visRender(&pluginModule);
    }
    childEvent("frames " + std::to_string(frameCount) + " time " + timeText + " title " + songTitle);
    childEvent(std::string("band ") + std::to_string(bandLevel[1][20]));
    visQuit(&pluginModule);
    childEvent("quit");
    visRender(&pluginModule);  // the host may call once more after quit
    childEvent("frames after quit " + std::to_string(frameCount));
    platformDepthAdjust = 3.15f;
    writeFile(trace, "old contents\n");
    visInit(&pluginModule);
    fflush(traceFile);
    childEvent("second run frames " + std::to_string(frameCount) + " trace " +
               std::to_string(readFile(trace) == "Gonna make Cone.\nMade Cone.\n"));
    visRender(&pluginModule);
    childEvent(std::string("depth kept ") + (platformOffsetZ == 3.15f + 36.0f ? "yes" : "no"));
    visQuit(&pluginModule);
  });
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.indexOf("frames 5 time [1:23] title 1. Artist - Title "), -1) << ::testing::PrintToString(run.events);
  EXPECT_NE(run.indexOf("band 220"), -1);  // flat 160: 24 x 80, capped
  int quit = run.indexOf("quit");
  int after = run.indexOf("frames after quit 5");
  ASSERT_NE(after, -1);
  for (int i = quit; i < after; i++) EXPECT_EQ(run.events[i].rfind("glide ", 0), std::string::npos) << run.events[i];
  EXPECT_NE(run.indexOf("second run frames 0 trace 1"), -1);
  EXPECT_NE(run.indexOf("depth kept yes"), -1);
  std::vector<std::string> calls = run.glideCalls();
  EXPECT_EQ(count(calls, "grBufferSwap"), 6);
  EXPECT_EQ(count(calls, "grGlideShutdown"), 2);
}

TEST_F(Lifecycle, EscapeEndsDrawingAndQuitStaysHarmless) {
  ChildRun run = runChild([&] {
    visInit(&pluginModule);
    visRender(&pluginModule);
    SendMessageA(displayWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    childEvent("escape");
    visRender(&pluginModule);
    visRender(&pluginModule);
    childEvent("rendered");
    visQuit(&pluginModule);
    MSG message;
    childEvent(std::string("quit message ") +
               (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? "yes" : "no"));
  });
  ASSERT_EQ(run.status, 0) << run.err;
  int escape = run.indexOf("escape");
  int rendered = run.indexOf("rendered");
  ASSERT_NE(escape, -1);
  EXPECT_EQ(run.events[escape - 1], "glide grGlideShutdown");
  EXPECT_EQ(rendered, escape + 1) << "drawing after Escape";
  EXPECT_EQ(run.events[rendered + 1], "glide grGlideShutdown");
  EXPECT_NE(run.indexOf("quit message yes"), -1);
}

TEST(LifecycleMissingFont, EndsAfterTwoTexturesAndLeavesNoTrace) {
  if (!texturesBuilt()) GTEST_SKIP() << "textures or plug-in not built";
  PluginFolder folder(true);
  fs::remove(folder.file("VelmoFont.3df"));
  HostWindow host;
  pluginModule.parentWindow = host.window;
  pluginModule.dllInstance = folder.module();
  ChildRun run = runChild([&] { visInit(&pluginModule); });
  pluginModule.parentWindow = nullptr;
  pluginModule.dllInstance = nullptr;
  EXPECT_EQ(run.status, 255);
  std::vector<std::string> loads;
  for (const auto& call : run.glideCalls())
    if (call.rfind("gu3df", 0) == 0 || call.rfind("guTex", 0) == 0 || call == "grGlideShutdown")
      loads.push_back(call.substr(0, call.find_first_of("(:")));
  EXPECT_THAT(loads, ::testing::ElementsAre("guTexCombineFunction", "gu3dfGetInfo", "gu3dfLoad",
                                            "guTexAllocateMemory", "guTexDownloadMipMap", "gu3dfGetInfo",
                                            "gu3dfLoad", "guTexAllocateMemory", "guTexDownloadMipMap",
                                            "gu3dfGetInfo", "grGlideShutdown"));
  EXPECT_NE(run.err.find("ERROR: Could not load texture: " + folder.file("VelmoFont.3df")), std::string::npos)
      << run.err;
  EXPECT_FALSE(fs::exists(folder.tracePath()));
}

}  // namespace
