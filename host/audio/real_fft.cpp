// Which FFT the spectrum uses in this build.
#include "audio/real_fft.h"

namespace velmo {

std::unique_ptr<RealFft> openRealFft(int size) {
#if defined(VELMO_HAVE_FFTW)
  return openFftwTransform(size);
#else
  return openEigenTransform(size);
#endif
}

}  // namespace velmo
