// Calibration: real recordings (the game music Debian ships in
// frozen-bubble-data) move the plug-in's band levels across their range,
// neither stuck at the top nor near zero. The bands come from the plug-in's
// own analyser; the statistics are printed for the record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/analyzer.h"
#include "audio/audio_file.h"
#include "audio/demo_track.h"
#include "audio/pcm_history.h"
#include "audio/spectrum.h"

namespace velmo {
namespace {

struct BandStats {
  int p10[2][BAND_COUNT];
  int p50[2][BAND_COUNT];
  int p90[2][BAND_COUNT];
  double atTop[2][BAND_COUNT];  // share of frames at 220
};

// Every frame at 75 per second, as the player delivers them.
BandStats bandStatistics(AudioSource& source) {
  PcmHistory history(1 << 16);
  Spectrum spectrum;
  static VisModule module;
  std::vector<int> levels[2][BAND_COUNT];
  std::vector<float> block(4096 * source.channels());
  bool ended = false;
  for (int64_t frame = 0;; ++frame) {
    int64_t centre = frame * source.sampleRate() / 75;
    while (!ended && history.end() < centre + kSpectrumWindow / 2) {
      size_t got = source.read(block.data(), 4096);
      if (got == 0) ended = true;
      history.push(block.data(), source.channels(), got);
    }
    if (ended && centre >= history.end()) break;
    spectrum.computeAt(history, centre, module.spectrumData);
    analyzeSpectrum(&module);
    for (int c = 0; c < 2; ++c)
      for (int b = 0; b < BAND_COUNT; ++b) levels[c][b].push_back(bandLevel[c][b]);
  }
  BandStats stats;
  for (int c = 0; c < 2; ++c) {
    for (int b = 0; b < BAND_COUNT; ++b) {
      std::vector<int>& v = levels[c][b];
      std::sort(v.begin(), v.end());
      stats.p10[c][b] = v[v.size() / 10];
      stats.p50[c][b] = v[v.size() / 2];
      stats.p90[c][b] = v[v.size() * 9 / 10];
      stats.atTop[c][b] = static_cast<double>(std::count(v.begin(), v.end(), BAND_LEVEL_MAX)) / v.size();
    }
  }
  return stats;
}

void printStats(const std::string& name, const BandStats& stats) {
  std::printf("%s, left channel: band p10/p50/p90 (%% of frames at 220)\n", name.c_str());
  for (int b = 0; b < BAND_COUNT; ++b) {
    std::printf("  %2d: %3d %3d %3d (%2d%%)%s", b, stats.p10[0][b], stats.p50[0][b], stats.p90[0][b],
                static_cast<int>(stats.atTop[0][b] * 100), b % 4 == 3 ? "\n" : "");
  }
}

// The bands that carry music in these recordings: the Ogg encoder cut
// everything above about 16 kHz, which is where bands 30 to 35 sit.
constexpr int kMusicalBands = 28;

void expectLivelyBands(const BandStats& stats) {
  for (int c = 0; c < 2; ++c) {
    int spread = 0, stuckHigh = 0, nearZero = 0;
    for (int b = 0; b < kMusicalBands; ++b) {
      if (stats.p90[c][b] - stats.p10[c][b] >= 60) ++spread;
      if (stats.p50[c][b] >= 200) ++stuckHigh;
      if (stats.p90[c][b] < 20) ++nearZero;
    }
    EXPECT_GE(spread, kMusicalBands * 3 / 4) << "channel " << c << ": bands should move across their range";
    EXPECT_LE(stuckHigh, 2) << "channel " << c << ": bands should not sit at the top";
    EXPECT_EQ(nearZero, 0) << "channel " << c << ": no musical band should stay near zero";
  }
}

const char* const kRecordings[] = {"frozen-mainzik-1p.ogg", "introzik.ogg"};

TEST(Calibration, RealRecordingsMoveTheBandsAcrossTheirRange) {
  const std::string folder = "/usr/share/games/frozen-bubble/snd/";
  int tried = 0;
  for (const char* name : kRecordings) {
    std::string error;
    std::unique_ptr<AudioSource> source = openAudioFile(folder + name, &error);
    if (!source) continue;
    ++tried;
    BandStats stats = bandStatistics(*source);
    printStats(name, stats);
    SCOPED_TRACE(name);
    expectLivelyBands(stats);
  }
  if (tried == 0) GTEST_SKIP() << "frozen-bubble-data is not installed (" << folder << ")";
}

TEST(Calibration, TheDemoTrackReachesEveryBand) {
  std::unique_ptr<AudioSource> demo = openDemoTrack();
  BandStats stats = bandStatistics(*demo);
  printStats("demo", stats);
  for (int b = 0; b < BAND_COUNT; ++b) {
    EXPECT_GE(stats.p90[0][b], 40) << "band " << b;
    EXPECT_LT(stats.atTop[0][b], 0.3) << "band " << b;
  }
}

}  // namespace
}  // namespace velmo
