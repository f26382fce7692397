// Whole display runs through the four callbacks, each in a child process:
// what visInit resets and loads, the trace file, frames, quit, Escape, and
// a texture missing beside the plug-in.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
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

// The trace file on POSIX lies only in places of the user's own, readable by
// the user alone: the named file, the runtime folder, else the cache folder
// (made when missing). Each case runs in a child with its own environment.
std::string traceIn(const std::map<std::string, std::string>& environment) {
  ChildRun run = runChild([&] {
    for (const char* name : {"VELMO_TRACE_FILE", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "HOME"}) unsetenv(name);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    char path[4096];
    childEvent(traceFilePath(path, sizeof path) ? path : "nowhere");
    visInit(&pluginModule);
    if (traceFile) fflush(traceFile);
  });
  return run.status == 0 && run.events.size() > 0 ? run.events[0] : "child failed: " + run.err;
}

struct stat statOf(const std::string& path) {
  struct stat info {};
  lstat(path.c_str(), &info);
  return info;
}

TEST_F(Lifecycle, TraceGoesOnlyWhereTheUserAloneReadsIt) {
  velmo_test::TempFolder home;
  const std::string cache = home.path(".cache/velmo");
  EXPECT_EQ(traceIn({{"HOME", home.path()}}), cache + "/coords.txt");
  EXPECT_EQ(readFile(cache + "/coords.txt"), "Gonna make Cone.\nMade Cone.\n");
  EXPECT_EQ(statOf(cache + "/coords.txt").st_mode & 0777, 0600u);
  EXPECT_EQ(statOf(cache).st_mode & 0777, 0700u);

  EXPECT_EQ(traceIn({{"HOME", home.path()}, {"XDG_CACHE_HOME", home.path("xdg")}}), home.path("xdg/velmo/coords.txt"));
  fs::create_directory(home.path("run"));
  writeFile(home.path("run/coords.txt"), "left by an older run\n");
  chmod(home.path("run/coords.txt").c_str(), 0644);
  EXPECT_EQ(traceIn({{"XDG_RUNTIME_DIR", home.path("run")}, {"XDG_CACHE_HOME", "relative/is/ignored"}}),
            home.path("run/coords.txt"));
  EXPECT_EQ(readFile(home.path("run/coords.txt")), "Gonna make Cone.\nMade Cone.\n");
  EXPECT_EQ(statOf(home.path("run/coords.txt")).st_mode & 0777, 0600u);
  EXPECT_EQ(traceIn({{"XDG_RUNTIME_DIR", "run"}}), "nowhere") << "no home, and a relative runtime folder";
}

// A link in the trace file's place is not followed, and a trace that cannot
// be created stops nothing: the display starts and draws without it.
TEST_F(Lifecycle, TraceThatCannotBeWrittenStopsNothing) {
  const std::string precious = folder->file("precious.txt");
  writeFile(precious, "the user's own words\n");
  const std::string link = folder->file("coords.txt");
  fs::create_symlink(precious, link);
  for (const std::string& trace : {link, folder->file("no/such/folder/coords.txt")}) {
    ChildRun run = runChild([&] {
      setenv("VELMO_TRACE_FILE", trace.c_str(), 1);
      childEvent("init returned " + std::to_string(visInit(&pluginModule)));
      childEvent(std::string("trace open ") + (traceFile ? "yes" : "no"));
      visRender(&pluginModule);
      visQuit(&pluginModule);
    });
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.events, ::testing::IsSupersetOf({"init returned 0", "trace open no"})) << trace;
    EXPECT_EQ(count(run.glideCalls(), "grBufferSwap"), 1) << trace;
  }
  EXPECT_EQ(readFile(precious), "the user's own words\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(fs::exists(folder->file("no")));
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
