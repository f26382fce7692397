// The fast pixel path eight pixels at a time with AVX2 (chosen at run time).
#include "simd_avx2.h"
#include "span_kernel.h"

namespace glide {

const Kernel* avx2Kernel(int variant) { return &kernelTable<Avx2>[variant]; }

}  // namespace glide
