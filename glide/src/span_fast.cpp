// Choosing the fast pixel path for a state, and its portable version.
#include "span_fast.h"

#include "pixel_math.h"
#include "texture_sample.h"

namespace glide {
namespace {

bool fastPathApplies(const DrawState& state) {
  const RenderState& s = state.render;
  const Mipmap* m = state.texture;
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
  return !state.dither;
}

#if defined(VELMO_GLIDE_SSE2)
// The fastest kernel the processor runs (and its system saves the registers
// of: the compiler's check covers that). The check's table is filled by a
// constructor that may not have run yet when a DLL's callers come first.
KernelLevel processorLevel() {
  static const KernelLevel level = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vl"))
      return KernelLevel::avx512;
    if (__builtin_cpu_supports("avx2")) return KernelLevel::avx2;
    return __builtin_cpu_supports("sse2") ? KernelLevel::vector128 : KernelLevel::portable;
  }();
  return level;
}
#endif

void shadeSpanPortable(const Triangle& tri, SpanScratch&, int y, int origin, int x0, int x1) {
  const DrawState& state = *tri.state;
  const Mipmap& m = *tri.texture;
  const size_t row = state.target.rowOffset(y);
  FxU32* colour = state.target.colour + row;
  FxU16* depth = state.depthTest ? state.target.depth + row : nullptr;
  const float oow0 = tri.oow.spanStart(origin, y), sow0 = tri.sow.spanStart(origin, y),
              tow0 = tri.tow.spanStart(origin, y), a0 = tri.a.spanStart(origin, y);
  for (int x = x0; x < x1; ++x) {
    const int i = x - origin;
    const float oow = along(oow0, tri.oow.stepX, i);
    FxU16 depthValue = 0;
    if (depth) {
      depthValue = wDepth(oow);
      if (!depthPasses(state.render.depthFunction, depthValue, depth[x])) continue;
    }
    const FxU32 texel = texelAt(tri, m, along(sow0, tri.sow.stepX, i), along(tow0, tri.tow.stepX, i), oow);
    if (state.render.chromaKey && (texel & 0xFFFFFFu) == state.chromaRgb) continue;
    const int alpha = iteratedChannel(along(a0, tri.a.stepX, i));
    const FxU32 dst = colour[x];
    FxU32 out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      int c = scale255(int((texel >> shift) & 0xFF), alpha) + int((dst >> shift) & 0xFF);
      out |= FxU32(c > 255 ? 255 : c) << shift;
    }
    int outAlpha = state.addAlpha ? alpha + int(dst >> 24) : alpha;
    colour[x] = out | (FxU32(outAlpha > 255 ? 255 : outAlpha) << 24);
    if (state.depthWrite) depth[x] = depthValue;
  }
}

}  // namespace

const Kernel kPortableKernel = {shadeSpanPortable, nullptr};

int fastKernelVariant(const DrawState& state) {
  const Mipmap& m = *state.texture;
  const bool mipmapped = m.mipmapMode != GR_MIPMAP_DISABLE && m.levelCount > 1;
  return (state.depthTest ? kVariantDepth : 0) | (mipmapped ? kVariantMipmapped : 0) |
         (state.render.chromaKey ? kVariantChroma : 0);
}

const Kernel* chooseFastKernel(const DrawState& state, const Settings& settings) {
  if (!fastPathApplies(state)) return nullptr;
  const int variant = fastKernelVariant(state);
#if defined(VELMO_GLIDE_SSE2)
  const KernelLevel processor = processorLevel();
  const KernelLevel level = settings.kernelLimit < processor ? settings.kernelLimit : processor;
  switch (level) {
    case KernelLevel::avx512: return avx512Kernel(variant);
    case KernelLevel::avx2: return avx2Kernel(variant);
    case KernelLevel::vector128: return sse2Kernel(variant);
    case KernelLevel::portable: break;
  }
#elif defined(VELMO_GLIDE_SIMD128)
  if (settings.kernelLimit != KernelLevel::portable) return simd128Kernel(variant);
#else
  (void)variant;
  (void)settings;
#endif
  return &kPortableKernel;
}

}  // namespace glide
