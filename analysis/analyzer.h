// Band analyser: 576 spectrum bytes per channel into 36 band levels, 0..220.
#pragma once
#include "plugin/vis.h"

#define BAND_CHANNELS 2
#define BAND_COUNT 36
#define BAND_LEVEL_MAX 220

extern int bandLevel[BAND_CHANNELS][BAND_COUNT];

void analyzeSpectrum(VisModule* module);
