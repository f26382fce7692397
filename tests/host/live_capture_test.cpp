// Live capture through SDL's capture API, with SDL's disk driver reading a
// file in place of a sound card: the tone in the file reaches the spectrum.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include "audio/live_capture.h"
#include "audio/spectrum.h"
#include "temp_folder.h"

namespace velmo {
namespace {

TEST(LiveCapture, ToneFromTheDeviceReachesTheSpectrum) {
  velmo_test::TempFolder folder{"velmo-capture"};
  const std::string raw = folder.path("tone.raw");
  std::vector<float> samples(2 * 44100 * 4);
  // 150 Hz: bin 150 * 1152 / 44100 = 3.9.
  for (size_t i = 0; i < samples.size() / 2; ++i)
    samples[2 * i] = samples[2 * i + 1] = 0.5f * static_cast<float>(std::sin(2 * M_PI * 150 * i / 44100.0));
  std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(float));
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILEIN", raw.c_str(), 1);

  std::string error;
  std::unique_ptr<Feed> live = openLiveCapture("", nullptr, &error);
  ASSERT_TRUE(live) << error;
  EXPECT_FALSE(live->canLookAhead());
  EXPECT_EQ(live->caption(), "1. Live input - Winamp");
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  live->fill();
  ASSERT_GT(live->heardFrame(), kSpectrumWindow) << "nothing captured";

  Spectrum spectrum;
  SpectrumBytes bytes;
  spectrum.computeAt(live->history(), live->heardFrame() - kSpectrumWindow / 2, bytes);
  int peak = 0;
  for (int i = 1; i < kSpectrumBins; ++i)
    if (bytes[0][i] > bytes[0][peak]) peak = i;
  EXPECT_GE(peak, 3);
  EXPECT_LE(peak, 5);
  EXPECT_GT(bytes[1][4], 100);
  EXPECT_EQ(bytes[0][200], 0);

  live->keyPressed('Q');
  EXPECT_TRUE(live->quitRequested());
  live.reset();
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILEIN");
}

}  // namespace
}  // namespace velmo
