// The spectra the whole-frame tests and benchmarks feed the plug-in: the
// same bytes for a given frame number on every build and every run.
#pragma once

#include <cmath>
#include <cstdint>

enum class SceneInput { silence,
                        flat,
                        sweep };

inline const char* sceneInputName(SceneInput input) {
  switch (input) {
    case SceneInput::silence: return "silence";
    case SceneInput::flat: return "flat";
    case SceneInput::sweep: return "sweep";
  }
  return "?";
}

// spectrum is two channels of 576 bytes, as the host's record holds them.
// The sweep: a peak running up the bins and back, a little noise, a beat in
// the low bins every 24 frames and a falling tail after it.
inline void fillSceneSpectrum(unsigned char (*spectrum)[576], SceneInput input, long frame) {
  uint32_t seed = (uint32_t)frame * 2654435761u + 17u;
  const int period = 360;
  const int phase = (int)(frame % period);
  const int peak = phase < period / 2 ? phase * 3 : (period - phase) * 3;
  const int sinceBeat = (int)(frame % 24);
  for (int channel = 0; channel < 2; channel++) {
    for (int bin = 0; bin < 576; bin++) {
      int value = 0;
      if (input == SceneInput::flat) value = 150;
      if (input == SceneInput::sweep) {
        seed = seed * 1103515245u + 12345u;
        value = (int)((seed >> 16) % 48);
        const int distance = bin - peak - 40 * channel;
        if (distance > -24 && distance < 24) value += 210 - 8 * (distance < 0 ? -distance : distance);
        if (bin < 40 && sinceBeat < 4) value += 255 - 30 * sinceBeat;
        value += (int)(60.0 * std::exp(-bin / 150.0));
      }
      spectrum[channel][bin] = (unsigned char)(value > 255 ? 255 : value < 0 ? 0
                                                                             : value);
    }
  }
}
