// The fast pixel path: the render state the plug-in draws with (texel scaled
// by iterated alpha, additive blending, chroma key, W-buffer), bilinear and
// without LOD bias, in a portable version and vector kernels for SSE2, AVX2
// and AVX-512 chosen at run time, or for WebAssembly SIMD in the web build.
// All give exactly the reference path's pixels.
#pragma once

#include "triangle.h"

namespace glide {

// The vector kernels are instantiated per combination of these.
constexpr int kVariantChroma = 1, kVariantMipmapped = 2, kVariantDepth = 4;
constexpr int kFastKernelVariants = 8;

int fastKernelVariant(const DrawState& state);

// The comparisons of single-precision lanes the vector kernels make,
// numbered as x86's predicates, which the AVX kernels pass on. The "not"
// ones hold for NaN; the others do not.
enum LaneCompare : int {
  kEqual = 0x00,              // _CMP_EQ_OQ
  kNotLess = 0x15,            // _CMP_NLT_UQ
  kNotGreaterOrEqual = 0x19,  // _CMP_NGE_UQ
  kNotGreater = 0x1A,         // _CMP_NGT_UQ
  kGreater = 0x1E,            // _CMP_GT_OQ
};
#if defined(_CMP_EQ_OQ)
static_assert(kEqual == _CMP_EQ_OQ && kNotLess == _CMP_NLT_UQ && kNotGreaterOrEqual == _CMP_NGE_UQ &&
                  kNotGreater == _CMP_NGT_UQ && kGreater == _CMP_GT_OQ,
              "the comparisons are x86's");
#endif

extern const Kernel kPortableKernel;
#if defined(VELMO_GLIDE_SSE2)
const Kernel* sse2Kernel(int variant);
#endif
#if defined(VELMO_GLIDE_AVX2)
const Kernel* avx2Kernel(int variant);
#endif
#if defined(VELMO_GLIDE_AVX512)
const Kernel* avx512Kernel(int variant);
#endif
#if defined(VELMO_GLIDE_SIMD128)
const Kernel* simd128Kernel(int variant);
#endif

}  // namespace glide
