// The fast pixel path four pixels at a time with SSE2 (chosen at run time
// below AVX2; every x86-64 processor has it).
#include "simd_sse2.h"
#include "span_kernel.h"

namespace glide {

const Kernel* sse2Kernel(int variant) { return &kernelTable<Sse2>[variant]; }

}  // namespace glide
