// Whole frames: the plug-in, loaded as a host loads it, draws through our
// software Glide; the pictures are compared with reference images that were
// made once, looked at, and are recreated only on purpose:
//
//   VELMO_WRITE_SCENE_REFERENCE=1 scene_frames_test
//
// writes them anew into tests/scene/reference/ instead of comparing.
#include <gtest/gtest.h>

#include <glide.h>
#include <velmo_glide.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "png_image.h"
#include "scene_input.h"
#include "plugin_host.h"

namespace {

// Two renders of one scene may differ only where our Glide's arithmetic
// legitimately may (e.g. another libm): channel differences above 6 on at
// most 0.2% of the pixels, and a mean difference below 0.25.
const int kChannelThreshold = 6;
const double kMaxPixelsOverShare = 0.002;
const double kMaxMeanDifference = 0.25;

struct FrameCase {
  const char* name;
  SceneInput input;
  int frames;
  bool everyOptionOff;
};

std::string referencePath(const char* name) {
  return std::string(VELMO_SOURCE_DIR) + "/tests/scene/reference/" + name + ".png";
}

// Runs one display run of the freshly loaded plug-in and returns the last frame.
bool renderScene(const FrameCase& c, RgbImage* frame, std::string* why) {
  hardening::PluginHost host;
  if (!host.ready()) {
    *why = host.why();
    return false;
  }
  if (c.everyOptionOff) {
    std::ofstream ini(host.folder() + "/plugin.ini");
    ini << "[" << host.module()->description << "]\n";
    for (const char* key : {"RotateX", "RotateY", "RotateZ", "DisplayBackSpec", "SpinToBeat",
                            "Reflect", "DisplayPlatform", "DisplayTime", "DisplaySong",
                            "RotateLogo", "PointedEnds"})
      ini << key << "=0\n";
  }
  host.setCaption("7. Velmo Test Band - Glow In The Dark - Winamp");
  host.setPlayPosition(83000);
  VisModule* module = host.module();
  module->init(module);
  for (int f = 0; f < c.frames; f++) {
    fillSceneSpectrum(module->spectrumData, c.input, f);
    module->render(module);
    hardening::PluginHost::pumpMessages();
  }
  int width = 0, height = 0;
  vglGetFrameSize(&width, &height);
  frame->width = width;
  frame->height = height;
  frame->pixels.assign((size_t)width * height, 0);
  const bool read = width > 0 && vglReadFrame(GR_BUFFER_FRONTBUFFER, frame->pixels.data(), width);
  module->quit(module);
  if (!read) *why = "no frame to read back";
  return read;
}

class SceneFrames : public ::testing::TestWithParam<FrameCase> {
 protected:
  void SetUp() override { unsetenv("VELMO_GLIDE_SCALE"); }
};

TEST_P(SceneFrames, MatchesReferenceImage) {
  const FrameCase& c = GetParam();
  RgbImage frame;
  std::string why;
  if (!renderScene(c, &frame, &why)) GTEST_SKIP() << "cannot run the plug-in: " << why;
  ASSERT_EQ(frame.width, 640);
  ASSERT_EQ(frame.height, 480);
  long lit = 0;
  for (uint32_t p : frame.pixels) lit += p != 0;
  EXPECT_GT(lit, (long)frame.pixels.size() / 4) << "the backdrop alone covers most of the screen";

  const std::string path = referencePath(c.name);
  if (std::getenv("VELMO_WRITE_SCENE_REFERENCE")) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    ASSERT_TRUE(writePng(path, frame, &why)) << why;
    GTEST_SKIP() << "wrote " << path;
  }
  RgbImage reference;
  ASSERT_TRUE(readPng(path, &reference, &why)) << path << ": " << why;
  const ImageDifference d = compareImages(frame, reference, kChannelThreshold);
  const long allowed = (long)(kMaxPixelsOverShare * frame.pixels.size());
  if (d.pixelsOver > allowed || d.meanAbsolute > kMaxMeanDifference) {
    const std::string actual = std::string(VELMO_OUTPUT_DIR) + "/scene_" + c.name + "_actual.png";
    writePng(actual, frame, &why);
    ADD_FAILURE() << c.name << ": " << d.pixelsOver << " pixels differ by more than "
                  << kChannelThreshold << " (allowed " << allowed << "), mean difference "
                  << d.meanAbsolute << ", largest " << d.largest << "; this run's frame is "
                  << actual;
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneFrames,
                         ::testing::Values(FrameCase{"silence", SceneInput::silence, 60, false},
                                           FrameCase{"flat", SceneInput::flat, 60, false},
                                           FrameCase{"sweep", SceneInput::sweep, 300, false},
                                           FrameCase{"options_off", SceneInput::sweep, 300, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// The tolerance is tight enough to tell the scenes apart: no reference would
// pass for another.
TEST(SceneFramesTolerance, TellsEveryReferenceFromTheOthers) {
  const char* names[] = {"silence", "flat", "sweep", "options_off"};
  RgbImage images[4];
  std::string why;
  for (int i = 0; i < 4; i++) ASSERT_TRUE(readPng(referencePath(names[i]), &images[i], &why)) << why;
  const long allowed = (long)(kMaxPixelsOverShare * images[0].pixels.size());
  for (int i = 0; i < 4; i++)
    for (int j = i + 1; j < 4; j++) {
      const ImageDifference d = compareImages(images[i], images[j], kChannelThreshold);
      EXPECT_TRUE(d.pixelsOver > allowed && d.meanAbsolute > kMaxMeanDifference)
          << names[i] << " against " << names[j];
    }
  // A single bright glyph's worth of change is caught by the mean or the count.
  RgbImage touched = images[2];
  for (int y = 100; y < 140; y++)
    for (int x = 300; x < 340; x++) touched.pixels[y * touched.width + x] ^= 0x808080;
  const ImageDifference d = compareImages(images[2], touched, kChannelThreshold);
  EXPECT_GT(d.pixelsOver, allowed);
}

TEST(SceneFramesRepeat, SameInputGivesIdenticalPixels) {
  const FrameCase c{"sweep", SceneInput::sweep, 120, false};
  RgbImage first, second;
  std::string why;
  if (!renderScene(c, &first, &why)) GTEST_SKIP() << "cannot run the plug-in: " << why;
  ASSERT_TRUE(renderScene(c, &second, &why)) << why;
  const ImageDifference d = compareImages(first, second, 0);
  EXPECT_EQ(d.largest, 0);
  EXPECT_EQ(d.pixelsOver, 0);
}

// The depth keys pull the platform towards the viewer and past it: corners
// behind the eye are drawn clipped, frame after frame, and nothing breaks.
TEST(SceneFramesPlatform, PulledThroughTheViewer) {
  hardening::PluginHost host;
  if (!host.ready()) GTEST_SKIP() << "cannot run the plug-in: " << host.why();
  VisModule* module = host.module();
  module->init(module);
  for (int f = 0; f < 60; f++) {
    fillSceneSpectrum(module->spectrumData, SceneInput::sweep, f);
    module->render(module);
    hardening::PluginHost::pumpMessages();
    host.pressKey('G');  // 1.05 nearer each frame: from depth 36 to beyond -25
  }
  int width = 0, height = 0;
  vglGetFrameSize(&width, &height);
  std::vector<FxU32> pixels((size_t)width * height);
  ASSERT_TRUE(vglReadFrame(GR_BUFFER_FRONTBUFFER, pixels.data(), width));
  long lit = 0;
  for (FxU32 p : pixels) lit += p != 0;
  EXPECT_GT(lit, (long)pixels.size() / 4);
  module->quit(module);
}

}  // namespace
