// The spectrum's FFT through Eigen's (header-only, its KissFFT back end).
#include "audio/real_fft.h"

#include <unsupported/Eigen/FFT>

#include <vector>

namespace velmo {
namespace {

class EigenTransform final : public RealFft {
 public:
  explicit EigenTransform(int size) : size_(size) {
    fft_.SetFlag(Eigen::FFT<float>::HalfSpectrum);
    // The first transform makes the plan; make it here, not in a frame.
    std::vector<float> zeros(size, 0.0f);
    std::vector<std::complex<float>> out(size / 2 + 1);
    transform(zeros.data(), out.data());
  }
  void transform(const float* in, std::complex<float>* out) override { fft_.fwd(out, in, size_); }

 private:
  int size_;
  Eigen::FFT<float> fft_;
};

}  // namespace

std::unique_ptr<RealFft> openEigenTransform(int size) { return std::make_unique<EigenTransform>(size); }

}  // namespace velmo
