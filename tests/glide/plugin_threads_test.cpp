// The plug-in's own frames, loaded and driven as a host does, drawn with 1,
// 2, 3 and 8 threads at 1x and 3x scale: every frame identical to the bit,
// and at 1x identical to the reference pixel path's. With a presenter every
// frame is drawn at its swap; without one the workers draw a frame while the
// next is binned, and reading the picture waits for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include <glide.h>
#include <velmo_glide.h>

#include "plugin_host.h"

namespace {

void FX_CALL hashFrame(const FxU32* pixels, int width, int height, int stride, int, void* user) {
  uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) hash = (hash ^ pixels[size_t(y) * size_t(stride) + size_t(x)]) * 1099511628211ull;
  static_cast<std::vector<uint64_t>*>(user)->push_back(hash);
}

// A hash of every swapped frame (with a presenter) or of every third (read
// back without one), then one of the last frame's depth buffer.
std::vector<uint64_t> frameHashes(int scale, int threads, const char* tile, bool reference, int frames,
                                  bool presenter = true) {
  std::vector<uint64_t> hashes;
  hardening::PluginHost host;
  if (!host.ready()) return hashes;
  if (reference) setenv("VELMO_GLIDE_REFERENCE", "1", 1);
  if (*tile) setenv("VELMO_GLIDE_TILE", tile, 1);
  vglSetScale(scale);
  vglSetThreads(threads);
  if (presenter) vglSetPresenter(hashFrame, &hashes);
  VisModule* module = host.module();
  module->init(module);
  int width = 0, height = 0;
  std::vector<FxU32> picture;
  for (int frame = 0; frame < frames; ++frame) {
    host.fillSpectrum(frame);
    module->render(module);
    if (!presenter && frame % 3 == 2) {
      vglGetFrameSize(&width, &height);
      picture.resize(size_t(width) * size_t(height));
      vglReadFrame(GR_BUFFER_FRONTBUFFER, picture.data(), FxU32(width));
      hashFrame(picture.data(), width, height, width, 0, &hashes);
    }
  }
  vglGetFrameSize(&width, &height);
  std::vector<FxU16> depth(size_t(width) * size_t(height));
  grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, FxU32(width), FxU32(height), FxU32(width) * 2, depth.data());
  hashFrame(reinterpret_cast<const FxU32*>(depth.data()), width / 2, height, width / 2, 0, &hashes);
  module->quit(module);
  vglSetPresenter(nullptr, nullptr);
  vglSetThreads(0);
  vglSetScale(1);
  unsetenv("VELMO_GLIDE_REFERENCE");
  unsetenv("VELMO_GLIDE_TILE");
  return hashes;
}

class PluginFramesOnThreads : public ::testing::TestWithParam<int> {};

TEST_P(PluginFramesOnThreads, AreIdenticalToTheBit) {
  const int scale = GetParam();
  const int frames = scale == 1 ? 30 : 8;
  const std::vector<uint64_t> direct = frameHashes(scale, 1, "", false, frames);
  if (direct.empty()) GTEST_SKIP() << "cannot run the plug-in";
  ASSERT_EQ(direct.size(), size_t(frames) + 1);
  if (scale == 1) {
    EXPECT_EQ(frameHashes(scale, 1, "", true, frames), direct) << "reference path";
  }
  // The library's tiles (whole rows), and square and odd ones that cut spans.
  EXPECT_EQ(frameHashes(scale, 2, "", false, frames), direct) << "2 threads";
  EXPECT_EQ(frameHashes(scale, 3, "64", false, frames), direct) << "3 threads, 64 x 64 tiles";
  EXPECT_EQ(frameHashes(scale, 8, "24x40", false, frames), direct) << "8 threads, 24 x 40 tiles";
  const std::vector<uint64_t> unpresented = frameHashes(scale, 1, "", false, frames, false);
  ASSERT_EQ(unpresented.size(), size_t(frames / 3) + 1);
  EXPECT_EQ(frameHashes(scale, 2, "", false, frames, false), unpresented) << "2 threads, no presenter";
  EXPECT_EQ(frameHashes(scale, 3, "64", false, frames, false), unpresented) << "3 threads, no presenter";
}

INSTANTIATE_TEST_SUITE_P(Scales, PluginFramesOnThreads, ::testing::Values(1, 3),
                         [](const auto& info) { return std::to_string(info.param) + "x"; });

}  // namespace
