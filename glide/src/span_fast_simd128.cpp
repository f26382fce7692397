// The fast pixel path four pixels at a time with WebAssembly SIMD (the web
// build).
#include "simd_simd128.h"
#include "span_kernel.h"

namespace glide {

const Kernel* simd128Kernel(int variant) { return &kernelTable<Simd128>[variant]; }

}  // namespace glide
