// The fast pixel path: the render state the plug-in draws with (texel scaled
// by iterated alpha, additive blending, chroma key, W-buffer), bilinear and
// without LOD bias. It gives exactly the reference path's pixels.
#pragma once

#include "triangle.h"

namespace glide {

// Everything one span needs: the triangle's set-up, its rows and the
// attributes at its first pixel.
struct FastSpan {
  FxU32 *colour;  // the row, indexed by x
  FxU16 *depth;   // the row, or null without depth test
  int width;      // of the row
  GrCmpFnc_t depthFunction;
  bool depthWrite;
  bool chromaKey;
  FxU32 chromaRgb;
  bool addAlpha;  // alpha blend ONE/ONE, else ONE/ZERO
  const Mipmap *texture;
  float tpu;
  float oow0, sow0, tow0, a0;
  float oowStepX, sowStepX, towStepX, aStepX;
  float oowStepY, sowStepY, towStepY;
};

void prepareFastSpan(const Triangle &tri, int y, int x0, FastSpan *span);

void shadeSpanFastScalar(const Triangle &tri, int y, int x0, int x1);
#if defined(__wasm_simd128__)
// Four pixels at a time with WebAssembly SIMD (the web build).
void shadeSpanFastSimd128(const Triangle &tri, int y, int x0, int x1);
#endif
#if defined(VELMO_GLIDE_AVX2)
void shadeSpanFastAvx2(const Triangle &tri, int y, int x0, int x1);
// Shades the pixels the AVX2 path is still holding for the triangle.
void finishFastAvx2(const Triangle &tri);
#endif

}  // namespace glide
