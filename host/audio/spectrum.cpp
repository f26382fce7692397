// Winamp-style spectrum bytes from a window of audio (see spectrum.h).
#include "audio/spectrum.h"

#include <cmath>

#include "audio/pcm_history.h"

namespace velmo {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kGain = 1200.0f;
constexpr float kTilt = 0.6f;

}  // namespace

Spectrum::Spectrum() : Spectrum(openRealFft(kSpectrumWindow)) {}

Spectrum::Spectrum(std::unique_ptr<RealFft> fft) : fft_(std::move(fft)) {
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

Spectrum::~Spectrum() = default;

void Spectrum::compute(const float* stereo, SpectrumBytes out) {
  for (int channel = 0; channel < 2; ++channel) {
    for (int i = 0; i < kSpectrumWindow; ++i) input_[i] = stereo[2 * i + channel] * window_[i];
    fft_->transform(input_, bins_);
    for (int i = 0; i < kSpectrumBins; ++i) {
      float level = std::hypot(bins_[i].real(), bins_[i].imag()) * binScale_[i];
      // NaN from broken input reads as 0, never as an arbitrary byte.
      out[channel][i] = level >= 255.0f ? 255 : level > 0.0f ? static_cast<uint8_t>(level + 0.5f)
                                                             : 0;
    }
  }
}

void Spectrum::computeAt(const PcmHistory& history, int64_t centre, SpectrumBytes out) {
  history.copy(centre - kSpectrumWindow / 2, kSpectrumWindow, frames_);
  compute(frames_, out);
}

}  // namespace velmo
