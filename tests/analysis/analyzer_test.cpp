// Band analyser: levels from known spectra, and which bins reach which band.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "analysis/analyzer.h"

namespace {

struct Analyzer : ::testing::Test {
  VisModule module{};

  void SetUp() override { memset(bandLevel, 0x5a, sizeof bandLevel); }

  void fillRandom(unsigned seed) {
    std::mt19937 random(seed);
    for (auto& channel : module.spectrumData)
      for (auto& byte : channel) byte = (unsigned char)(random() & 0xff);
  }

  std::vector<int> run() {
    analyzeSpectrum(&module);
    return std::vector<int>(&bandLevel[0][0], &bandLevel[0][0] + 2 * BAND_COUNT);
  }
};

TEST_F(Analyzer, SilenceGivesZeroEverywhere) {
  for (int level : run()) EXPECT_EQ(level, 0);
}

TEST_F(Analyzer, SingleSpikesReachTheirBandsOnly) {
  // Bin 50 enters band 3 as the look-ahead byte (full) and band 4 as the
  // halved byte; bin 200 enters band 16 both ways (20 + 10), doubled there.
  module.spectrumData[0][50] = 100;
  module.spectrumData[1][200] = 20;
  std::vector<int> levels = run();
  for (int b = 0; b < BAND_COUNT; b++) {
    int expected0 = b == 3 ? 100 : b == 4 ? 50
                                          : 0;
    int expected1 = b == 16 ? 60 : 0;
    EXPECT_EQ(levels[b], expected0) << "channel 0 band " << b;
    EXPECT_EQ(levels[BAND_COUNT + b], expected1) << "channel 1 band " << b;
  }
}

TEST_F(Analyzer, FallingGroupStaysAtZero) {
  // Band 5 reads bins 58..74; a falling ramp there makes every step negative.
  for (int j = 58; j <= 74; j++) module.spectrumData[0][j] = (unsigned char)(j < 68 ? 200 - 20 * (j - 58) : 0);
  std::vector<int> levels = run();
  EXPECT_EQ(levels[5], 0);
  for (int level : levels) EXPECT_GE(level, 0);
}

TEST_F(Analyzer, RawLowBandsAreCappedAt220) {
  for (int v : {0, 99, 220, 221, 240, 255}) {
    module.spectrumData[0][1] = (unsigned char)v;
    module.spectrumData[0][4] = (unsigned char)v;
    module.spectrumData[1][7] = (unsigned char)v;
    std::vector<int> levels = run();
    int expected = v > 220 ? 220 : v;
    EXPECT_EQ(levels[0], expected) << v;
    EXPECT_EQ(levels[1], expected) << v;
    EXPECT_EQ(levels[BAND_COUNT + 2], expected) << v;
  }
}

TEST_F(Analyzer, LevelsAlwaysWithinRange) {
  for (unsigned seed = 1; seed <= 50; seed++) {
    fillRandom(seed);
    for (int level : run()) {
      EXPECT_GE(level, 0);
      EXPECT_LE(level, BAND_LEVEL_MAX);
    }
  }
}

TEST_F(Analyzer, ChannelsNeverMix) {
  fillRandom(7);
  std::vector<int> before = run();
  for (auto& byte : module.spectrumData[0]) byte = (unsigned char)(255 - byte);
  std::vector<int> after = run();
  for (int b = 0; b < BAND_COUNT; b++) EXPECT_EQ(after[BAND_COUNT + b], before[BAND_COUNT + b]);

  // The same bytes give the same bands in either channel.
  memcpy(module.spectrumData[1], module.spectrumData[0], 576);
  std::vector<int> same = run();
  for (int b = 0; b < BAND_COUNT; b++) EXPECT_EQ(same[b], same[BAND_COUNT + b]);
}

// Band k (3..35) reads bins 12k-2 .. 12k+14; bands 0..2 read only bins 1, 4
// and 7. A changed bin may move only the bands whose bins include it.
TEST_F(Analyzer, EachBinReachesOnlyItsBands) {
  fillRandom(11);
  std::vector<int> base = run();
  for (int bin = 0; bin < 576; bin++) {
    for (int c = 0; c < 2; c++) {
      unsigned char saved = module.spectrumData[c][bin];
      module.spectrumData[c][bin] = (unsigned char)(saved ^ 0xff);
      std::vector<int> changed = run();
      module.spectrumData[c][bin] = saved;
      for (int k = 0; k < BAND_COUNT; k++) {
        bool reads = k < 3 ? bin == 1 + 3 * k : (bin >= 12 * k - 2 && bin <= 12 * k + 14);
        if (!reads) {
          ASSERT_EQ(changed[c * BAND_COUNT + k], base[c * BAND_COUNT + k])
              << "bin " << bin << " moved band " << k << " of channel " << c;
        }
        ASSERT_EQ(changed[(1 - c) * BAND_COUNT + k], base[(1 - c) * BAND_COUNT + k]);
      }
    }
  }
}

// Every step of a flat spectrum adds half the byte: 12 steps per group,
// doubled from band 7 on, all capped at 220.
TEST_F(Analyzer, FlatSpectraOfTenAndForty) {
  const struct {
    int byte, low, middle, high;
  } cases[] = {{10, 10, 60, 120}, {40, 40, 220, 220}, {255, 220, 220, 220}, {1, 1, 0, 0}};
  for (const auto& flat : cases) {
    memset(module.spectrumData, flat.byte, sizeof module.spectrumData);
    std::vector<int> levels = run();
    for (int c = 0; c < 2; c++)
      for (int b = 0; b < BAND_COUNT; b++)
        EXPECT_EQ(levels[c * BAND_COUNT + b], b < 3 ? flat.low : b < 7 ? flat.middle
                                                                       : flat.high)
            << "byte " << flat.byte << ", band " << b;
  }
}

}  // namespace
