// The display context and the texture loader, on our Glide and the POSIX
// window layer: the opening sequence, the control word, and every way they
// end the host process (each in a child process).
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "plugin/lifecycle.h"
#include "plugin_draw_state.h"
#include "plugin_folder.h"

namespace {

using namespace plugintest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// What openDisplay sends Glide: the first board opened at 640 x 480, then
// the render state every drawing routine relies on, which the tests and
// benchmarks that draw as the plug-in does set with usePluginDisplayState.
// Taken from that helper, so the two cannot drift apart.
const std::vector<std::string>& openingCalls() {
  static const std::vector<std::string> calls = [] {
    std::vector<std::string> all = {"grGlideInit", "grSstQueryHardware", "grSstSelect(0)",
                                    "grSstWinOpen(0,7,3,2,1,2,0)"};
    const ChildRun state = runChild([] { usePluginDisplayState(); });
    for (const std::string& call : state.glideCalls()) all.push_back(call);
    return all;
  }();
  return calls;
}

std::vector<std::string> withoutArgs(std::vector<std::string> calls) {
  for (auto& call : calls) call = call.substr(0, call.find_first_of("(:"));
  return calls;
}

struct Display : ::testing::Test {
  HostWindow host;
  void SetUp() override {
    pluginModule.parentWindow = host.window;
    unsetenv("VELMO_GLIDE_NO_BOARD");
  }
  void TearDown() override { pluginModule.parentWindow = nullptr; }
};

// Opens and closes the display in a child, reporting what a host would see.
TEST_F(Display, OpensWithTheFixedRenderStateAndClosesAgain) {
  ChildRun run = runChild([&] {
    openDisplay(&pluginModule);
    childEvent("control word " + std::to_string(fpuControlWord()));
    childEvent(std::string("hostModule is pluginModule ") + (hostModule == &pluginModule ? "yes" : "no"));
    RECT box{};
    GetWindowRect(displayWindow, &box);
    char title[64] = "";
    GetWindowTextA(displayWindow, title, sizeof title);
    childEvent("window " + std::to_string(box.left) + "," + std::to_string(box.top) + " " +
               std::to_string(box.right - box.left) + "x" + std::to_string(box.bottom - box.top) +
               " visible " + std::to_string(IsWindowVisible(displayWindow) ? 1 : 0) + " popup " +
               std::to_string((GetWindowLongA(displayWindow, GWL_STYLE) & WS_POPUP) ? 1 : 0) +
               " owned " + std::to_string(GetWindow(displayWindow, GW_OWNER) == host.window ? 1 : 0) +
               " title " + title);
    HWND first = displayWindow;
    childEvent("close " + std::to_string(closeDisplay(&pluginModule) != 0));
    // The leftover popup goes with the close, quietly, so a new run can
    // register the class again: a new window, the first module kept.
    MSG quit;
    childEvent(std::string("popup gone ") + (IsWindow(first) ? "no" : "yes") + ", quit posted " +
               (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? "yes" : "no"));
    VisModule other = pluginModule;
    openDisplay(&other);
    childEvent(std::string("second window new ") + (displayWindow != first ? "yes" : "no") +
               ", hostModule kept " + (hostModule == &pluginModule ? "yes" : "no"));
    closeDisplay(&other);
  });
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> expected = openingCalls();
  expected.push_back("grGlideShutdown");
  for (const auto& call : openingCalls()) expected.push_back(call);
  expected.push_back("grGlideShutdown");
  EXPECT_EQ(run.glideCalls(), expected);
  EXPECT_NE(run.indexOf("control word 127"), -1) << "x87 precision control cleared: 0x007F";
  EXPECT_NE(run.indexOf("hostModule is pluginModule yes"), -1);
  EXPECT_NE(run.indexOf("window 0,0 500x500 visible 1 popup 1 owned 1 title Velmo's 3DFX Spectrum Analyzer"), -1);
  EXPECT_NE(run.indexOf("close 1"), -1);
  EXPECT_NE(run.indexOf("popup gone yes, quit posted no"), -1);
  EXPECT_NE(run.indexOf("second window new yes, hostModule kept yes"), -1);
}

TEST_F(Display, ClassAlreadyRegisteredEndsWithStatusOne) {
  ChildRun run = runChild([&] {
    atexit([] { childEvent("exit handlers ran"); });
    openDisplay(&pluginModule);  // the class stays registered: no closeDisplay
    openDisplay(&pluginModule);
    childEvent("returned");
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.indexOf("returned"), -1);
  EXPECT_NE(run.indexOf("exit handlers ran"), -1);
  // The second attempt stops before Glide.
  EXPECT_EQ(run.glideCalls(), openingCalls());
  EXPECT_EQ(run.out, "");
}

TEST_F(Display, NoBoardEndsWithStatusOneAfterShowingTheWindow) {
  setenv("VELMO_GLIDE_NO_BOARD", "1", 1);
  ChildRun run = runChild([&] {
    onGlideCall() = [](const VglCall* call) {
      if (std::string(call->name) == "grSstQueryHardware")
        childEvent(std::string("window shown ") + (IsWindowVisible(displayWindow) ? "yes" : "no"));
    };
    atexit([] { childEvent("exit handlers ran"); });
    openDisplay(&pluginModule);
    childEvent("returned");
  });
  unsetenv("VELMO_GLIDE_NO_BOARD");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.glideCalls(), ElementsAre("grGlideInit", "grSstQueryHardware"));
  EXPECT_NE(run.indexOf("window shown yes"), -1);
  EXPECT_NE(run.indexOf("exit handlers ran"), -1);
  EXPECT_EQ(run.indexOf("returned"), -1);
  EXPECT_EQ(run.out, "");
}

// ---- texture loader

struct TextureLoader : Display {
  void SetUp() override {
    Display::SetUp();
    if (!texturesBuilt()) GTEST_SKIP() << "textures or plug-in not built in " << VELMO_OUTPUT_DIR;
    folder = std::make_unique<PluginFolder>(true);
  }
  std::unique_ptr<PluginFolder> folder;

  // The Glide calls after the opening sequence.
  static std::vector<std::string> afterOpening(const ChildRun& run) {
    std::vector<std::string> calls = run.glideCalls();
    if (calls.size() >= openingCalls().size()) calls.erase(calls.begin(), calls.begin() + openingCalls().size());
    return withoutArgs(calls);
  }
  std::string boxEvent(const std::string& text) const {
    std::ostringstream owner;
    owner << (void*)host.window;
    std::string shown;
    for (char c : text) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    return "box owner " + owner.str() + " caption An ERROR style 64 text " + shown;
  }
};

TEST_F(TextureLoader, LoadsIntoTheFirstUnitAndFillsTheSlot) {
  std::string path = folder->file("Light.3df");
  ChildRun run = runChild([&] {
    openDisplay(&pluginModule);
    int slot = -7;
    loadTexture(path.c_str(), &slot);
    childEvent("slot " + std::to_string(slot));
  });
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(afterOpening(run),
              ElementsAre("gu3dfGetInfo", "gu3dfLoad", "guTexAllocateMemory", "guTexDownloadMipMap"));
  std::vector<std::string> calls = run.glideCalls();
  std::string allocate = calls[openingCalls().size() + 2];
  // unit 0, both level sets, w, h, format, nearest mipmaps, LODs, aspect,
  // wrap, wrap, bilinear, bilinear, bias 0, no trilinear.
  EXPECT_THAT(allocate, ::testing::MatchesRegex("guTexAllocateMemory\\(0,3,[0-9]+,[0-9]+,[0-9]+,1,[0-9]+,[0-9]+,[0-9]+,0,0,1,1,0,0\\)"));
  EXPECT_EQ(run.indexOf("slot -7"), -1);
  EXPECT_EQ(run.indexOf("slot -1"), -1);
  EXPECT_EQ(run.out, "");
}

TEST_F(TextureLoader, MissingFileShutsGlideThenShowsThePath) {
  std::string path = folder->file("Nothing.3df");
  ChildRun run = runChild([&] {
    openDisplay(&pluginModule);
    int slot = 0;
    loadTexture(path.c_str(), &slot);
  });
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "");  // nothing printed on this path
  EXPECT_THAT(afterOpening(run), ElementsAre("gu3dfGetInfo", "grGlideShutdown"));
  int box = run.indexOf(boxEvent("ERROR: Could not load texture: " + path));
  EXPECT_NE(box, -1) << ::testing::PrintToString(run.events);
  EXPECT_GT(box, run.indexOf("glide grGlideShutdown"));
}

TEST_F(TextureLoader, NoHeapPrintsShutsGlideThenShowsTheBox) {
  std::string path = folder->file("Velmo1.3df");
  ChildRun run = runChild([&] {
    openDisplay(&pluginModule);
    textureBufferAlloc = [](size_t) -> void* { return nullptr; };
    int slot = 0;
    loadTexture(path.c_str(), &slot);
  });
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "Not enough memory for texture\n");
  EXPECT_THAT(afterOpening(run), ElementsAre("gu3dfGetInfo", "grGlideShutdown"));
  int box = run.indexOf(boxEvent("Not enough memory for texture\n"));
  EXPECT_GT(box, run.indexOf("glide grGlideShutdown"));
}

TEST_F(TextureLoader, UnreadableTexelsPrintShutGlideThenShowTheBox) {
  std::string path = folder->file("VelmoLogo.3df");
  ChildRun run = runChild([&] {
    // The file loses its texels between reading the header and the load.
    onGlideCall() = [&](const VglCall* call) {
      // A truncate that failed would leave the test proving nothing.
      if (std::string(call->name) == "gu3dfLoad" && truncate(path.c_str(), 64) != 0) std::abort();
    };
    openDisplay(&pluginModule);
    int slot = 0;
    loadTexture(path.c_str(), &slot);
  });
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "Cannot load texture file\n");
  EXPECT_THAT(afterOpening(run), ElementsAre("gu3dfGetInfo", "gu3dfLoad", "grGlideShutdown"));
  int box = run.indexOf(boxEvent("Cannot load texture file\n"));
  EXPECT_GT(box, run.indexOf("glide grGlideShutdown"));
}

TEST_F(TextureLoader, FullTextureMemoryShowsTheBoxBeforeShuttingDown) {
  std::string logo = folder->file("VelmoLogo.3df");
  ChildRun run = runChild([&] {
    setenv("VELMO_GLIDE_TEXMEM", "1024", 1);
    openDisplay(&pluginModule);
    static int slot = 5;
    atexit([] { childEvent("slot at exit " + std::to_string(slot)); });
    loadTexture(logo.c_str(), &slot);
  });
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "could not allocate memory for Texture\n");
  EXPECT_THAT(afterOpening(run),
              ElementsAre("gu3dfGetInfo", "gu3dfLoad", "guTexAllocateMemory", "grGlideShutdown"));
  int box = run.indexOf(boxEvent("could not allocate memory for Texture\n"));
  EXPECT_NE(box, -1);
  EXPECT_LT(box, run.indexOf("glide grGlideShutdown"));
  EXPECT_NE(run.indexOf("slot at exit -1"), -1);
}

}  // namespace
