// The reference pixel path: texture fetch, texture combine, colour and alpha
// combine, chroma key, depth test, alpha blending, dithering, writes.
#include <cmath>

#include "texture_sample.h"
#include "triangle.h"

namespace glide {
namespace {

struct Rgba {
  int r, g, b, a;
};

Rgba unpack(FxU32 argb) {
  return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF), int(argb >> 24)};
}

// Unit 0 has no upstream unit: "other" is zero, so ADD and SUBTRACT give
// the texel itself and MULTIPLY gives nothing.
FxU32 textureCombine(GrTextureCombineFnc_t function, FxU32 texel) {
  switch (function) {
    case GR_TEXTURECOMBINE_ZERO:
    case GR_TEXTURECOMBINE_OTHER:
    case GR_TEXTURECOMBINE_MULTIPLY: return 0;
    case GR_TEXTURECOMBINE_ONE: return 0xFFFFFFFFu;
    default: return texel;
  }
}

int combineFactor(GrCombineFactor_t factor, int local, int localAlpha, int otherAlpha,
                  int textureAlpha, int textureChannel) {
  switch (factor) {
    case GR_COMBINE_FACTOR_ZERO: return 0;
    case GR_COMBINE_FACTOR_LOCAL: return local;
    case GR_COMBINE_FACTOR_OTHER_ALPHA: return otherAlpha;
    case GR_COMBINE_FACTOR_LOCAL_ALPHA: return localAlpha;
    case GR_COMBINE_FACTOR_TEXTURE_ALPHA: return textureAlpha;
    case GR_COMBINE_FACTOR_TEXTURE_RGB: return textureChannel;
    case GR_COMBINE_FACTOR_ONE: return 255;
    case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL: return 255 - local;
    case GR_COMBINE_FACTOR_ONE_MINUS_OTHER_ALPHA: return 255 - otherAlpha;
    case GR_COMBINE_FACTOR_ONE_MINUS_LOCAL_ALPHA: return 255 - localAlpha;
    case GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA: return 255 - textureAlpha;
    case GR_COMBINE_FACTOR_ONE_MINUS_LOD_FRACTION: return 255;  // fraction is 0: one level
    default: return 0;
  }
}

int combineFunction(GrCombineFunction_t function, int f, int local, int other, int localAlpha) {
  switch (function) {
    case GR_COMBINE_FUNCTION_ZERO: return 0;
    case GR_COMBINE_FUNCTION_LOCAL: return local;
    case GR_COMBINE_FUNCTION_LOCAL_ALPHA: return localAlpha;
    case GR_COMBINE_FUNCTION_SCALE_OTHER: return scale255(other, f);
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL: return scale255(other, f) + local;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_ADD_LOCAL_ALPHA: return scale255(other, f) + localAlpha;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL: return scale255(other - local, f);
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL:
      return scale255(other - local, f) + local;
    case GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL_ALPHA:
      return scale255(other - local, f) + localAlpha;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL: return scale255(-local, f) + local;
    case GR_COMBINE_FUNCTION_SCALE_MINUS_LOCAL_ADD_LOCAL_ALPHA:
      return scale255(-local, f) + localAlpha;
    default: return 0;
  }
}

// Blend factor for one channel; src and dst are the channel values, the
// alphas the pixel's.
int blendFactor(GrAlphaBlendFnc_t factor, bool isSource, int srcChannel, int dstChannel,
                int srcAlpha, int dstAlpha) {
  switch (factor) {
    case GR_BLEND_ZERO: return 0;
    case GR_BLEND_SRC_ALPHA: return srcAlpha;
    // 2 and 6 name the other operand's colour: DST_COLOR as a source
    // factor, SRC_COLOR as a destination factor.
    case GR_BLEND_SRC_COLOR: return isSource ? dstChannel : srcChannel;
    case GR_BLEND_DST_ALPHA: return dstAlpha;
    case GR_BLEND_ONE: return 255;
    case GR_BLEND_ONE_MINUS_SRC_ALPHA: return 255 - srcAlpha;
    case GR_BLEND_ONE_MINUS_SRC_COLOR: return 255 - (isSource ? dstChannel : srcChannel);
    case GR_BLEND_ONE_MINUS_DST_ALPHA: return 255 - dstAlpha;
    // As a source factor: min(As, 1 - Ad); as a destination factor the
    // colour before fog, which without fog is the source colour.
    case GR_BLEND_ALPHA_SATURATE:
      return isSource ? (srcAlpha < 255 - dstAlpha ? srcAlpha : 255 - dstAlpha) : srcChannel;
    default: return 0;
  }
}

int blendChannel(const RenderState &s, bool alpha, int src, int dst, int srcAlpha,
                 int dstAlpha) {
  GrAlphaBlendFnc_t sf = alpha ? s.alphaSrc : s.rgbSrc;
  GrAlphaBlendFnc_t df = alpha ? s.alphaDst : s.rgbDst;
  int fs = blendFactor(sf, true, src, dst, srcAlpha, dstAlpha);
  int fd = blendFactor(df, false, src, dst, srcAlpha, dstAlpha);
  return clamp255(scale255(src, fs) + scale255(dst, fd));
}

}  // namespace

FxU32 dither565(int r, int g, int b, int x, int y) {
  static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  int threshold = bayer[y & 3][x & 3];
  // Adding threshold/16 of one step before truncating spreads the error.
  auto quantize = [threshold](int c, int bits) {
    int levels = (1 << bits) - 1;
    int q = (c * levels * 16 + threshold * 255) / (255 * 16);
    if (q > levels) q = levels;
    return (q << (8 - bits)) | (q >> (2 * bits - 8));
  };
  return (FxU32(quantize(r, 5)) << 16) | (FxU32(quantize(g, 6)) << 8) | FxU32(quantize(b, 5));
}

void shadeSpanGeneric(const Triangle &tri, int y, int x0, int x1) {
  Context &ctx = context();
  const RenderState &s = ctx.state;
  const int row = ctx.memoryRow(y);
  FxU32 *colour = ctx.backBuffer() + size_t(row) * size_t(ctx.width);
  FxU16 *depth = ctx.hasDepth ? ctx.depth.data() + size_t(row) * size_t(ctx.width) : nullptr;
  const bool depthTest = depth && s.depthMode != GR_DEPTHBUFFER_DISABLE;
  const bool wBuffer = s.depthMode == GR_DEPTHBUFFER_WBUFFER ||
                       s.depthMode == GR_DEPTHBUFFER_WBUFFER_COMPARE_TO_BIAS;
  const FxU32 constant = toArgb(s.constantColor);
  const Rgba constantRgba = unpack(constant);
  const FxU32 chroma = toArgb(s.chromaValue) & 0xFFFFFF;
  const float tpu = tri.texture ? tri.texture->texelsPerUnit : 0.0f;
  const float oow0 = tri.oow.spanStart(x0, y), sow0 = tri.sow.spanStart(x0, y),
              tow0 = tri.tow.spanStart(x0, y);
  const float r0 = tri.r.spanStart(x0, y), g0 = tri.g.spanStart(x0, y),
              b0 = tri.b.spanStart(x0, y), a0 = tri.a.spanStart(x0, y),
              ooz0 = tri.ooz.spanStart(x0, y);

  for (int x = x0; x < x1; ++x) {
    const int i = x - x0;
    const float oow = along(oow0, tri.oow.stepX, i);
    FxU32 texel = 0xFFFFFFFFu;
    if (tri.needsTexture && tri.texture) {
      const float w = 1.0f / oow;
      const float sCoord = along(sow0, tri.sow.stepX, i) * w;
      const float tCoord = along(tow0, tri.tow.stepX, i) * w;
      // Screen derivatives of the level-0 texel coordinates.
      const float dudx = (tri.sow.stepX - sCoord * tri.oow.stepX) * w * tpu;
      const float dvdx = (tri.tow.stepX - tCoord * tri.oow.stepX) * w * tpu;
      const float dudy = (tri.sow.stepY - sCoord * tri.oow.stepY) * w * tpu;
      const float dvdy = (tri.tow.stepY - tCoord * tri.oow.stepY) * w * tpu;
      const float rhoX = dudx * dudx + dvdx * dvdx, rhoY = dudy * dudy + dvdy * dvdy;
      texel = sampleTexture(*tri.texture, sCoord * tpu, tCoord * tpu, rhoX > rhoY ? rhoX : rhoY);
    }
    const Rgba tex = unpack(textureCombine(s.textureCombine, texel));
    auto iterated = [&](float start, const Plane &p) {
      float v = along(start, p.stepX, i);
      return v > 0.0f ? (v < 255.0f ? int(v) : 255) : 0;  // NaN -> 0
    };
    const Rgba iter = {iterated(r0, tri.r), iterated(g0, tri.g), iterated(b0, tri.b),
                       iterated(a0, tri.a)};

    FxU16 depthValue = 0;
    if (depthTest) {
      if (wBuffer) {
        depthValue = wDepth(oow);
      } else {
        float z = along(ooz0, tri.ooz.stepX, i);
        depthValue = FxU16(z > 0.0f ? (z < 65535.0f ? int(z) : 65535) : 0);
      }
    }

    // Alpha combine inputs; its local alpha is also the colour factor
    // LOCAL_ALPHA.
    const int localAlpha = s.alpha.local == GR_COMBINE_LOCAL_CONSTANT ? constantRgba.a
                           : s.alpha.local == GR_COMBINE_LOCAL_DEPTH  ? depthValue >> 8
                                                                      : iter.a;
    const int alphaOther = s.alpha.other == GR_COMBINE_OTHER_TEXTURE    ? tex.a
                           : s.alpha.other == GR_COMBINE_OTHER_CONSTANT ? constantRgba.a
                                                                        : iter.a;
    const Rgba local = s.color.local == GR_COMBINE_LOCAL_CONSTANT ? constantRgba : iter;
    const Rgba other = s.color.other == GR_COMBINE_OTHER_TEXTURE    ? tex
                       : s.color.other == GR_COMBINE_OTHER_CONSTANT ? constantRgba
                                                                    : iter;

    // Chroma key on the colour the combine takes from the texture path.
    if (s.chromaKey &&
        ((FxU32(other.r) << 16) | (FxU32(other.g) << 8) | FxU32(other.b)) == chroma)
      continue;

    const int localChannels[3] = {local.r, local.g, local.b};
    const int otherChannels[3] = {other.r, other.g, other.b};
    const int texChannels[3] = {tex.r, tex.g, tex.b};
    int out[3];
    for (int c = 0; c < 3; ++c) {
      int f = combineFactor(s.color.factor, localChannels[c], localAlpha, other.a, tex.a,
                            texChannels[c]);
      int v = clamp255(combineFunction(s.color.function, f, localChannels[c], otherChannels[c],
                                       localAlpha));
      out[c] = s.color.invert ? 255 - v : v;
    }
    int fa = combineFactor(s.alpha.factor == GR_COMBINE_FACTOR_TEXTURE_RGB
                               ? GR_COMBINE_FACTOR_ZERO  // LOD fraction: one level, 0
                               : s.alpha.factor,
                           localAlpha, localAlpha, alphaOther, tex.a, 0);
    int outAlpha = clamp255(combineFunction(s.alpha.function, fa, localAlpha, alphaOther,
                                            localAlpha));
    if (s.alpha.invert) outAlpha = 255 - outAlpha;

    if (depthTest && !depthPasses(s.depthFunction, depthValue, depth[x])) continue;

    const Rgba dst = unpack(colour[x]);
    int r = blendChannel(s, false, out[0], dst.r, outAlpha, dst.a);
    int g = blendChannel(s, false, out[1], dst.g, outAlpha, dst.a);
    int b = blendChannel(s, false, out[2], dst.b, outAlpha, dst.a);
    int a = blendChannel(s, true, outAlpha, dst.a, outAlpha, dst.a);
    FxU32 rgb = ctx.settings.dither ? dither565(r, g, b, x, row)
                                    : (FxU32(r) << 16) | (FxU32(g) << 8) | FxU32(b);
    colour[x] = (FxU32(a) << 24) | rgb;
    if (depthTest && s.depthMask) depth[x] = depthValue;
  }
}

}  // namespace glide
