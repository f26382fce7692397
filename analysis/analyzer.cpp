// Band analyser: each channel's bins folded into 36 integer band levels.
#include "analysis/analyzer.h"

int bandLevel[BAND_CHANNELS][BAND_COUNT];

void analyzeSpectrum(VisModule* module) {
  // Pass 1: the largest running sum reached within each group of bins.
  for (int c = 0; c < BAND_CHANNELS; c++) {
    const unsigned char* s = module->spectrumData[c];
    int sum = 0, max = 0, k = 0;
    for (int i = 3; i <= 432; i++) {
      sum = sum + s[i + 2] + (s[i] >> 1) - s[i - 3];
      if (sum > max) max = sum;
      if (i % 12 == 0) {
        bandLevel[c][k] = max;
        k++;
        max = 0;
        sum = 0;
      }
    }
  }
  // Pass 2: raw bytes for the lowest bands, more gain for the upper ones.
  for (int c = 0; c < BAND_CHANNELS; c++) {
    const unsigned char* s = module->spectrumData[c];
    int* band = bandLevel[c];
    band[0] = s[1];
    band[1] = s[4];
    band[2] = s[7];
    for (int b = 7; b < BAND_COUNT; b++) band[b] *= 2;
    for (int b = 0; b < BAND_COUNT; b++)
      if (band[b] > BAND_LEVEL_MAX) band[b] = BAND_LEVEL_MAX;
  }
}
