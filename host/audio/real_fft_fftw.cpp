// The spectrum's FFT through FFTW's single-precision real transform.
#include "audio/real_fft.h"

#include <fftw3.h>

#include <cstring>
#include <mutex>

namespace velmo {
namespace {

// FFTW's planner is not thread-safe.
std::mutex plannerMutex;

class FftwTransform final : public RealFft {
 public:
  explicit FftwTransform(int size) : size_(size) {
    std::lock_guard<std::mutex> lock(plannerMutex);
    input_ = fftwf_alloc_real(size);
    output_ = fftwf_alloc_complex(size / 2 + 1);
    plan_ = fftwf_plan_dft_r2c_1d(size, input_, output_, FFTW_ESTIMATE);
  }
  ~FftwTransform() override {
    std::lock_guard<std::mutex> lock(plannerMutex);
    fftwf_destroy_plan(plan_);
    fftwf_free(input_);
    fftwf_free(output_);
  }
  void transform(const float* in, std::complex<float>* out) override {
    std::memcpy(input_, in, sizeof(float) * size_);
    fftwf_execute(plan_);
    // fftwf_complex is two floats, laid out as std::complex<float>.
    std::memcpy(static_cast<void*>(out), output_, sizeof(fftwf_complex) * (size_ / 2 + 1));
  }

 private:
  int size_;
  float* input_;
  fftwf_complex* output_;
  fftwf_plan plan_;
};

}  // namespace

std::unique_ptr<RealFft> openFftwTransform(int size) { return std::make_unique<FftwTransform>(size); }

}  // namespace velmo
