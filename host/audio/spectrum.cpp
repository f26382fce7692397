// Winamp-style spectrum bytes from a window of audio (see spectrum.h).
#include "audio/spectrum.h"

#include <fftw3.h>

#include <cmath>
#include <mutex>

#include "audio/pcm_history.h"

namespace velmo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kGain = 1200.0f;
constexpr float kTilt = 0.6f;

// FFTW's planner is not thread-safe.
std::mutex plannerMutex;

}  // namespace

Spectrum::Spectrum() {
  std::lock_guard<std::mutex> lock(plannerMutex);
  input_ = fftwf_alloc_real(kSpectrumWindow);
  fftwf_complex* out = fftwf_alloc_complex(kSpectrumBins + 1);
  output_ = out;
  plan_ = fftwf_plan_dft_r2c_1d(kSpectrumWindow, input_, out, FFTW_ESTIMATE);
  double windowSum = 0;
  for (int i = 0; i < kSpectrumWindow; ++i) {
    window_[i] = static_cast<float>(0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / kSpectrumWindow));
    windowSum += window_[i];
  }
  // A sine of amplitude A gives |X| = A * windowSum / 2.
  for (int i = 0; i < kSpectrumBins; ++i) {
    binScale_[i] = static_cast<float>(2.0 / windowSum * kGain * std::pow(1.0 + i / 24.0, kTilt));
  }
}

Spectrum::~Spectrum() {
  std::lock_guard<std::mutex> lock(plannerMutex);
  fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
  fftwf_free(input_);
  fftwf_free(output_);
}

void Spectrum::compute(const float* stereo, SpectrumBytes out) {
  const fftwf_complex* bins = static_cast<const fftwf_complex*>(output_);
  for (int channel = 0; channel < 2; ++channel) {
    for (int i = 0; i < kSpectrumWindow; ++i) input_[i] = stereo[2 * i + channel] * window_[i];
    fftwf_execute(static_cast<fftwf_plan>(plan_));
    for (int i = 0; i < kSpectrumBins; ++i) {
      float level = std::hypot(bins[i][0], bins[i][1]) * binScale_[i];
      // NaN from broken input reads as 0, never as an arbitrary byte.
      out[channel][i] = level >= 255.0f ? 255 : level > 0.0f ? static_cast<uint8_t>(level + 0.5f) : 0;
    }
  }
}

void Spectrum::computeAt(const PcmHistory& history, int64_t centre, SpectrumBytes out) {
  history.copy(centre - kSpectrumWindow / 2, kSpectrumWindow, frames_);
  compute(frames_, out);
}

}  // namespace velmo
