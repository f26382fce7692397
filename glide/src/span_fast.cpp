// Choosing the fast pixel path, and its portable version.
#include "span_fast.h"

#include "texture_sample.h"

namespace glide {
namespace {

bool fastPathApplies(const Triangle &tri) {
  const Context &ctx = context();
  const RenderState &s = ctx.state;
  const Mipmap *m = tri.texture;
  if (!m || !m->bilinearMin || !m->bilinearMag || m->lodBias != 0.0f) return false;
  if (m->mipmapMode != GR_MIPMAP_NEAREST && m->mipmapMode != GR_MIPMAP_DISABLE) return false;
  switch (s.textureCombine) {  // those that pass unit 0's texel through
    case GR_TEXTURECOMBINE_ZERO:
    case GR_TEXTURECOMBINE_OTHER:
    case GR_TEXTURECOMBINE_MULTIPLY:
    case GR_TEXTURECOMBINE_ONE: return false;
    default: break;
  }
  if (s.color.function != GR_COMBINE_FUNCTION_SCALE_OTHER ||
      s.color.factor != GR_COMBINE_FACTOR_LOCAL_ALPHA || s.color.other != GR_COMBINE_OTHER_TEXTURE ||
      s.color.invert)
    return false;
  if (s.alpha.function != GR_COMBINE_FUNCTION_LOCAL || s.alpha.local != GR_COMBINE_LOCAL_ITERATED ||
      s.alpha.invert)
    return false;
  if (s.rgbSrc != GR_BLEND_ONE || s.rgbDst != GR_BLEND_ONE || s.alphaSrc != GR_BLEND_ONE ||
      (s.alphaDst != GR_BLEND_ONE && s.alphaDst != GR_BLEND_ZERO))
    return false;
  if (s.depthMode != GR_DEPTHBUFFER_DISABLE && s.depthMode != GR_DEPTHBUFFER_WBUFFER) return false;
  return !ctx.settings.dither;
}

#if defined(VELMO_GLIDE_AVX2)
bool cpuHasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

SpanFunction chooseFastSpan(Triangle &tri) {
  if (!fastPathApplies(tri)) return nullptr;
  Context &ctx = context();
  const RenderState &s = ctx.state;
  FastSetup &fast = tri.fast;
  fast.colour = ctx.backBuffer();
  const bool depthTest = ctx.hasDepth && s.depthMode != GR_DEPTHBUFFER_DISABLE;
  fast.depth = depthTest ? ctx.depth.data() : nullptr;
  fast.width = ctx.width;
  fast.rowOfScreenY0 = ctx.memoryRow(0);
  fast.rowStep = ctx.originLowerLeft ? -1 : 1;
  fast.depthFunction = s.depthFunction;
  fast.depthWrite = depthTest && s.depthMask;
  fast.chromaKey = s.chromaKey;
  fast.chromaRgb = toArgb(s.chromaValue) & 0xFFFFFFu;
  fast.addAlpha = s.alphaDst == GR_BLEND_ONE;
#if defined(VELMO_GLIDE_AVX2)
  if (cpuHasAvx2() && !ctx.settings.noAvx2) {
    tri.finish = finishFastAvx2;
    return shadeSpanFastAvx2;
  }
#endif
#if defined(__wasm_simd128__)
  if (!ctx.settings.noAvx2) return shadeSpanFastSimd128;
#endif
  return shadeSpanFastScalar;
}

void prepareFastSpan(const Triangle &tri, int y, int x0, FastSpan *span) {
  const FastSetup &fast = tri.fast;
  const size_t row = size_t(fast.rowOfScreenY0 + fast.rowStep * y) * size_t(fast.width);
  span->colour = fast.colour + row;
  span->depth = fast.depth ? fast.depth + row : nullptr;
  span->width = fast.width;
  span->depthFunction = fast.depthFunction;
  span->depthWrite = fast.depthWrite;
  span->chromaKey = fast.chromaKey;
  span->chromaRgb = fast.chromaRgb;
  span->addAlpha = fast.addAlpha;
  span->texture = tri.texture;
  span->tpu = tri.texture->texelsPerUnit;
  span->oow0 = tri.oow.spanStart(x0, y);
  span->sow0 = tri.sow.spanStart(x0, y);
  span->tow0 = tri.tow.spanStart(x0, y);
  span->a0 = tri.a.spanStart(x0, y);
  span->oowStepX = tri.oow.stepX;
  span->sowStepX = tri.sow.stepX;
  span->towStepX = tri.tow.stepX;
  span->aStepX = tri.a.stepX;
  span->oowStepY = tri.oow.stepY;
  span->sowStepY = tri.sow.stepY;
  span->towStepY = tri.tow.stepY;
}

void shadeSpanFastScalar(const Triangle &tri, int y, int x0, int x1) {
  FastSpan f;
  prepareFastSpan(tri, y, x0, &f);
  const Mipmap &m = *f.texture;
  for (int x = x0; x < x1; ++x) {
    const int i = x - x0;
    const float oow = along(f.oow0, f.oowStepX, i);
    FxU16 depthValue = 0;
    if (f.depth) {
      depthValue = wDepth(oow);
      if (!depthPasses(f.depthFunction, depthValue, f.depth[x])) continue;
    }
    const float w = 1.0f / oow;
    const float s = along(f.sow0, f.sowStepX, i) * w, t = along(f.tow0, f.towStepX, i) * w;
    const float dudx = (f.sowStepX - s * f.oowStepX) * w * f.tpu;
    const float dvdx = (f.towStepX - t * f.oowStepX) * w * f.tpu;
    const float dudy = (f.sowStepY - s * f.oowStepY) * w * f.tpu;
    const float dvdy = (f.towStepY - t * f.oowStepY) * w * f.tpu;
    const float rhoX = dudx * dudx + dvdx * dvdx, rhoY = dudy * dudy + dvdy * dvdy;
    const FxU32 texel = sampleTexture(m, s * f.tpu, t * f.tpu, rhoX > rhoY ? rhoX : rhoY);
    if (f.chromaKey && (texel & 0xFFFFFFu) == f.chromaRgb) continue;
    const float av = along(f.a0, f.aStepX, i);
    const int alpha = av > 0.0f ? (av < 255.0f ? int(av) : 255) : 0;
    const FxU32 dst = f.colour[x];
    FxU32 out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      int c = scale255(int((texel >> shift) & 0xFF), alpha) + int((dst >> shift) & 0xFF);
      out |= FxU32(c > 255 ? 255 : c) << shift;
    }
    int outAlpha = f.addAlpha ? alpha + int(dst >> 24) : alpha;
    f.colour[x] = out | (FxU32(outAlpha > 255 ? 255 : outAlpha) << 24);
    if (f.depthWrite) f.depth[x] = depthValue;
  }
}

}  // namespace glide
