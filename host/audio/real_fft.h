// A real-to-complex FFT of one fixed size. The spectrum asks only this of
// the library that computes it: FFTW in the desktop player
// (real_fft_fftw.cpp), Eigen's FFT where FFTW is not built, as in the web
// page (real_fft_eigen.cpp). Neither allocates after it is opened.
#pragma once
#include <complex>
#include <memory>

namespace velmo {

class RealFft {
 public:
  virtual ~RealFft() = default;
  // `in` holds size samples; `out` receives size / 2 + 1 values, unscaled
  // (a sine of amplitude A over the whole window reads A * size / 2).
  virtual void transform(const float* in, std::complex<float>* out) = 0;
};

std::unique_ptr<RealFft> openEigenTransform(int size);
// Only in builds with FFTW.
std::unique_ptr<RealFft> openFftwTransform(int size);
// The build's own: FFTW where it is built, else Eigen's.
std::unique_ptr<RealFft> openRealFft(int size);

}  // namespace velmo
