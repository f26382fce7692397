// The fast pixel path sixteen pixels at a time with AVX-512 (chosen at run time).
#include "simd_avx512.h"
#include "span_kernel.h"

namespace glide {

const Kernel* avx512Kernel(int variant) { return &kernelTable<Avx512>[variant]; }

}  // namespace glide
