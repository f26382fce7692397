// The Winamp-style spectrum and the audio history it reads from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "audio/demo_track.h"
#include "audio/pcm_history.h"
#include "audio/real_fft.h"
#include "audio/spectrum.h"

namespace velmo {
namespace {

constexpr double kPi = 3.14159265358979323846;

// kSpectrumWindow stereo frames: a sine on each channel (bin 0 or amplitude 0: silence).
std::vector<float> twoSines(double leftBin, double rightBin, double amplitude = 0.5) {
  std::vector<float> frames(2 * kSpectrumWindow);
  for (int i = 0; i < kSpectrumWindow; ++i) {
    frames[2 * i] = leftBin > 0 ? static_cast<float>(amplitude * std::sin(2 * kPi * leftBin * i / kSpectrumWindow)) : 0.0f;
    frames[2 * i + 1] = rightBin > 0 ? static_cast<float>(amplitude * std::sin(2 * kPi * rightBin * i / kSpectrumWindow)) : 0.0f;
  }
  return frames;
}

int peakBin(const uint8_t* bins) {
  int best = 0;
  for (int i = 1; i < kSpectrumBins; ++i)
    if (bins[i] > bins[best]) best = i;
  return best;
}

class SineBin : public ::testing::TestWithParam<int> {};

TEST_P(SineBin, PeaksInItsOwnBinOnBothChannels) {
  const int bin = GetParam();
  // A quiet sine, so neighbouring bins do not all saturate.
  std::vector<float> frames = twoSines(bin, bin, 0.02);
  Spectrum spectrum;
  SpectrumBytes out;
  spectrum.compute(frames.data(), out);
  for (int channel = 0; channel < 2; ++channel) {
    EXPECT_EQ(peakBin(out[channel]), bin) << "channel " << channel;
    EXPECT_GT(out[channel][bin], 0);
    // Hann leaks into the next bin only; three bins away there is nothing.
    if (bin + 3 < kSpectrumBins) {
      EXPECT_LE(out[channel][bin + 3], 1);
    }
    if (bin >= 3) {
      EXPECT_LE(out[channel][bin - 3], 1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AcrossTheRange, SineBin, ::testing::Values(4, 12, 57, 150, 300, 433, 570));

TEST(Spectrum, SilenceGivesZeros) {
  std::vector<float> frames(2 * kSpectrumWindow, 0.0f);
  Spectrum spectrum;
  SpectrumBytes out;
  std::memset(out, 0xAB, sizeof out);
  spectrum.compute(frames.data(), out);
  for (int channel = 0; channel < 2; ++channel)
    for (int i = 0; i < kSpectrumBins; ++i) ASSERT_EQ(out[channel][i], 0) << channel << "/" << i;
}

TEST(Spectrum, LouderNeverReadsLowerSoFullScaleSaturatesInsteadOfWrapping) {
  // Full-scale noise and a full-scale square wave push most bins past the
  // top; a wrap would show as a bin that falls when the input grows.
  std::mt19937 random(7);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> noise(2 * kSpectrumWindow);
  for (float& sample : noise) sample = uniform(random);
  std::vector<float> square(2 * kSpectrumWindow);
  for (int i = 0; i < kSpectrumWindow; ++i) square[2 * i] = square[2 * i + 1] = (i / 24) % 2 ? 1.0f : -1.0f;

  Spectrum spectrum;
  for (const std::vector<float>* signal : {&noise, &square}) {
    SpectrumBytes previous = {};
    int saturated = 0;
    for (float gain : {0.01f, 0.05f, 0.1f, 0.25f, 0.5f, 1.0f}) {
      std::vector<float> scaled(*signal);
      for (float& sample : scaled) sample *= gain;
      SpectrumBytes out;
      spectrum.compute(scaled.data(), out);
      for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < kSpectrumBins; ++i) ASSERT_GE(out[channel][i], previous[channel][i]) << "gain " << gain << " bin " << i;
      std::memcpy(previous, out, sizeof out);
    }
    for (int i = 0; i < kSpectrumBins; ++i) saturated += previous[0][i] == 255;
    EXPECT_GT(saturated, 0) << "full scale should reach the top somewhere";
  }
}

TEST(Spectrum, ChannelsStaySeparate) {
  std::vector<float> frames = twoSines(50, 200, 0.02);
  Spectrum spectrum;
  SpectrumBytes out;
  spectrum.compute(frames.data(), out);
  EXPECT_EQ(peakBin(out[0]), 50);
  EXPECT_EQ(peakBin(out[1]), 200);
  EXPECT_EQ(out[0][200], 0);
  EXPECT_EQ(out[1][50], 0);

  // Silence on one side leaves that side silent.
  frames = twoSines(0, 120, 0.02);
  spectrum.compute(frames.data(), out);
  for (int i = 0; i < kSpectrumBins; ++i) ASSERT_EQ(out[0][i], 0);
  EXPECT_EQ(peakBin(out[1]), 120);
}

TEST(Spectrum, BrokenSamplesGiveZerosNotGarbage) {
  std::vector<float> frames(2 * kSpectrumWindow, std::numeric_limits<float>::quiet_NaN());
  Spectrum spectrum;
  SpectrumBytes out;
  spectrum.compute(frames.data(), out);
  for (int i = 0; i < kSpectrumBins; ++i) ASSERT_EQ(out[0][i], 0);
}

TEST(Spectrum, ComputeAtIsCentredOnTheGivenFrame) {
  // 2 s of silence with a burst of a bin-100 tone around frame 40000.
  PcmHistory history(1 << 17);
  std::vector<float> mono(88200, 0.0f);
  for (int i = 39800; i < 40200; ++i) mono[i] = static_cast<float>(0.05 * std::sin(2 * kPi * 100 * i / kSpectrumWindow));
  history.push(mono.data(), 1, mono.size());
  Spectrum spectrum;
  SpectrumBytes out;
  spectrum.computeAt(history, 40000, out);
  EXPECT_EQ(peakBin(out[0]), 100);
  EXPECT_EQ(out[1][100], out[0][100]) << "mono is heard on both channels";
  EXPECT_GT(out[0][100], 20);
  spectrum.computeAt(history, 40000 + kSpectrumWindow, out);
  EXPECT_EQ(out[0][100], 0) << "a window one length later no longer sees the burst";
  spectrum.computeAt(history, 1000000, out);
  EXPECT_EQ(out[0][100], 0) << "frames not yet decoded read as silence";
}

// The web page computes its spectrum with Eigen's FFT: on the same samples
// its bytes must be the desktop player's (FFTW), to the byte.
TEST(Spectrum, EigenTransformGivesTheBytesOfFftw) {
  Spectrum fftw(openFftwTransform(kSpectrumWindow));
  Spectrum eigen(openEigenTransform(kSpectrumWindow));
  std::vector<std::vector<float>> windows = {twoSines(26.1, 150, 0.3), twoSines(4, 433, 1.0)};
  std::mt19937 random(11);
  std::uniform_real_distribution<float> uniform(-0.5f, 0.5f);
  windows.emplace_back(2 * kSpectrumWindow);
  for (float& sample : windows.back()) sample = uniform(random);
  // Ten seconds of the demo track, one window per frame at 75 frames/s.
  auto demo = openDemoTrack();
  std::vector<float> music(2 * kDemoSampleRate * 10);
  demo->read(music.data(), kDemoSampleRate * 10);
  for (int start = 0; start + kSpectrumWindow <= kDemoSampleRate * 10; start += kDemoSampleRate / 75)
    windows.emplace_back(music.begin() + 2 * start, music.begin() + 2 * (start + kSpectrumWindow));

  long lit = 0;
  for (size_t w = 0; w < windows.size(); ++w) {
    SpectrumBytes a, b;
    fftw.compute(windows[w].data(), a);
    eigen.compute(windows[w].data(), b);
    for (int channel = 0; channel < 2; ++channel)
      for (int i = 0; i < kSpectrumBins; ++i) {
        ASSERT_EQ(a[channel][i], b[channel][i]) << "window " << w << " channel " << channel << " bin " << i;
        lit += a[channel][i] != 0;
      }
  }
  EXPECT_GT(lit, static_cast<long>(windows.size()) * 100) << "the windows carry sound";
}

TEST(PcmHistory, KeepsTheNewestFramesAndReadsEverythingElseAsSilence) {
  PcmHistory history(4);
  history.reset(100);
  const float stereo[] = {1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6};
  history.push(stereo, 2, 6);  // frames 100..105; 100 and 101 fall out
  EXPECT_EQ(history.end(), 106);
  float out[2 * 8];
  history.copy(99, 8, out);
  const float expected[] = {0, 0, 0, 0, 0, 0, 3, -3, 4, -4, 5, -5, 6, -6, 0, 0};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(PcmHistory, FramesMayBeNumberedFromBeforeTheStart) {
  // Live input numbers its newest window from "now - window", negative at first.
  PcmHistory history(4);
  history.reset(-3);
  const float stereo[] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5};
  history.push(stereo, 2, 5);  // frames -3..1; -3 falls out
  float out[2 * 6];
  history.copy(-4, 6, out);
  const float expected[] = {0, 0, 0, 0, 2, 2, 3, 3, 4, 4, 5, 5};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(PcmHistory, FoldsAnyChannelCountToStereo) {
  PcmHistory history(8);
  const float mono[] = {0.25f, 0.5f};
  history.push(mono, 1, 2);
  const float surround[] = {1, 2, 3, 4, 5, 6};  // one frame of six channels
  history.push(surround, 6, 1);
  float out[6];
  history.copy(0, 3, out);
  const float expected[] = {0.25f, 0.25f, 0.5f, 0.5f, 1, 2};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], expected[i]) << i;
}

}  // namespace
}  // namespace velmo
