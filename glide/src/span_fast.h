// The fast pixel path: the render state the plug-in draws with (texel scaled
// by iterated alpha, additive blending, chroma key, W-buffer), bilinear and
// without LOD bias, in a portable version and vector kernels for AVX2 and
// AVX-512 chosen at run time. All give exactly the reference path's pixels.
#pragma once

#include "triangle.h"

namespace glide {

// The vector kernels are instantiated per combination of these.
constexpr int kVariantChroma = 1, kVariantMipmapped = 2, kVariantDepth = 4;
constexpr int kFastKernelVariants = 8;

int fastKernelVariant(const DrawState &state);

extern const Kernel kPortableKernel;
#if defined(VELMO_GLIDE_AVX2)
const Kernel *avx2Kernel(int variant);
#endif
#if defined(VELMO_GLIDE_AVX512)
const Kernel *avx512Kernel(int variant);
#endif

}  // namespace glide
