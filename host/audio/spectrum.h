// Winamp-style spectrum: 576 bins per channel, one byte each (0..255).
//
// Window: 1152 stereo frames centred on the moment shown (26 ms at 44.1 kHz),
// Hann-weighted, through a real FFT (real_fft.h). Bin i (0..575) is the
// frequency i * rate / 1152, so bin 0 is DC and bin 575 lies just below the
// Nyquist frequency, the whole audible range as in Winamp.
// Scaling: the bin's amplitude a (a full-scale sine reads 1.0) is lifted by
// (1 + i / 24)^kTilt, because music carries far less energy up high and the
// plug-in's bands expect comparable levels across the range, then multiplied
// by kGain and clamped to 255. Linear in amplitude, as Winamp's is: quiet
// passages stay low and loud ones reach the top.
#pragma once
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "audio/real_fft.h"

namespace velmo {

constexpr int kSpectrumBins = 576;
constexpr int kSpectrumWindow = 2 * kSpectrumBins;

class PcmHistory;

using SpectrumBytes = uint8_t[2][kSpectrumBins];

class Spectrum {
 public:
  // With the build's FFT (openRealFft), or with the one given.
  Spectrum();
  explicit Spectrum(std::unique_ptr<RealFft> fft);
  ~Spectrum();
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;

  // `stereo` holds kSpectrumWindow interleaved stereo frames.
  void compute(const float* stereo, SpectrumBytes out);
  // The window centred on frame `centre` of `history`.
  void computeAt(const PcmHistory& history, int64_t centre, SpectrumBytes out);

 private:
  std::unique_ptr<RealFft> fft_;
  float input_[kSpectrumWindow];
  std::complex<float> bins_[kSpectrumBins + 1];
  float window_[kSpectrumWindow];
  float binScale_[kSpectrumBins];
  float frames_[2 * kSpectrumWindow];
};

}  // namespace velmo
