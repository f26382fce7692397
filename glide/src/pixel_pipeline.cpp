// The reference pixel path: texture fetch, texture combine, colour and alpha
// combine, chroma key, depth test, alpha blending, dithering, writes; one
// function per stage, in that order.
#include <cmath>

#include "pixel_math.h"
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

int blendChannel(const RenderState& s, bool alpha, int src, int dst, int srcAlpha,
                 int dstAlpha) {
  GrAlphaBlendFnc_t sf = alpha ? s.alphaSrc : s.rgbSrc;
  GrAlphaBlendFnc_t df = alpha ? s.alphaDst : s.rgbDst;
  int fs = blendFactor(sf, true, src, dst, srcAlpha, dstAlpha);
  int fd = blendFactor(df, false, src, dst, srcAlpha, dstAlpha);
  return clamp255(scale255(src, fs) + scale255(dst, fd));
}

// The inputs of the colour and alpha combine at one pixel.
struct CombineInputs {
  Rgba local, other, texture;
  int localAlpha;  // the alpha combine's local input, also the colour factor LOCAL_ALPHA
  int otherAlpha;  // the alpha combine's other input
};

CombineInputs combineInputs(const DrawState& state, const Rgba& iterated, const Rgba& texture,
                            FxU16 depthValue) {
  const RenderState& s = state.render;
  const Rgba constant = unpack(state.constantArgb);
  CombineInputs in;
  in.texture = texture;
  in.localAlpha = s.alpha.local == GR_COMBINE_LOCAL_CONSTANT ? constant.a
                  : s.alpha.local == GR_COMBINE_LOCAL_DEPTH  ? depthValue >> 8
                                                             : iterated.a;
  in.otherAlpha = s.alpha.other == GR_COMBINE_OTHER_TEXTURE    ? texture.a
                  : s.alpha.other == GR_COMBINE_OTHER_CONSTANT ? constant.a
                                                               : iterated.a;
  in.local = s.color.local == GR_COMBINE_LOCAL_CONSTANT ? constant : iterated;
  in.other = s.color.other == GR_COMBINE_OTHER_TEXTURE    ? texture
             : s.color.other == GR_COMBINE_OTHER_CONSTANT ? constant
                                                          : iterated;
  return in;
}

// The colour combine: red, green and blue of the source.
Rgba combineColour(const CombineState& c, const CombineInputs& in) {
  const int local[3] = {in.local.r, in.local.g, in.local.b};
  const int other[3] = {in.other.r, in.other.g, in.other.b};
  const int texture[3] = {in.texture.r, in.texture.g, in.texture.b};
  int out[3];
  for (int k = 0; k < 3; ++k) {
    int f = combineFactor(c.factor, local[k], in.localAlpha, in.other.a, in.texture.a, texture[k]);
    int v = clamp255(combineFunction(c.function, f, local[k], other[k], in.localAlpha));
    out[k] = c.invert ? 255 - v : v;
  }
  return {out[0], out[1], out[2], 0};
}

// The alpha combine: the source alpha.
int combineAlpha(const CombineState& c, const CombineInputs& in) {
  // LOD fraction: one level per pixel, so 0.
  const GrCombineFactor_t factor =
      c.factor == GR_COMBINE_FACTOR_TEXTURE_RGB ? GR_COMBINE_FACTOR_ZERO : c.factor;
  int f = combineFactor(factor, in.localAlpha, in.localAlpha, in.otherAlpha, in.texture.a, 0);
  int v = clamp255(combineFunction(c.function, f, in.localAlpha, in.otherAlpha, in.localAlpha));
  return c.invert ? 255 - v : v;
}

// The chroma key compares the colour the combine takes as "other" (the
// texture path in the plug-in's state) with the key.
bool chromaKeyRejects(const DrawState& state, const Rgba& other) {
  return state.render.chromaKey &&
         ((FxU32(other.r) << 16) | (FxU32(other.g) << 8) | FxU32(other.b)) == state.chromaRgb;
}

FxU16 depthValueAt(const DrawState& state, float oow, float ooz) {
  if (state.wBuffer) return wDepth(oow);
  return FxU16(ooz > 0.0f ? (ooz < 65535.0f ? int(ooz) : 65535) : 0);
}

// Colour and alpha blended with what the buffer holds.
Rgba blend(const RenderState& s, const Rgba& src, const Rgba& dst) {
  return {blendChannel(s, false, src.r, dst.r, src.a, dst.a),
          blendChannel(s, false, src.g, dst.g, src.a, dst.a),
          blendChannel(s, false, src.b, dst.b, src.a, dst.a),
          blendChannel(s, true, src.a, dst.a, src.a, dst.a)};
}

FxU32 pixelValue(const DrawState& state, const Rgba& c, int x, int memoryRow) {
  FxU32 rgb = state.dither ? dither565(c.r, c.g, c.b, x, memoryRow)
                           : (FxU32(c.r) << 16) | (FxU32(c.g) << 8) | FxU32(c.b);
  return (FxU32(c.a) << 24) | rgb;
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

void shadeSpanReference(const Triangle& tri, SpanScratch&, int y, int origin, int x0, int x1) {
  const DrawState& state = *tri.state;
  const RenderState& s = state.render;
  const Target& target = state.target;
  const size_t rowOffset = target.rowOffset(y);
  FxU32* colour = target.colour + rowOffset;
  FxU16* depth = state.depthTest ? target.depth + rowOffset : nullptr;
  const float oow0 = tri.oow.spanStart(origin, y), sow0 = tri.sow.spanStart(origin, y),
              tow0 = tri.tow.spanStart(origin, y);
  const float r0 = tri.r.spanStart(origin, y), g0 = tri.g.spanStart(origin, y),
              b0 = tri.b.spanStart(origin, y), a0 = tri.a.spanStart(origin, y),
              ooz0 = tri.ooz.spanStart(origin, y);

  for (int x = x0; x < x1; ++x) {
    const int i = x - origin;
    const float oow = along(oow0, tri.oow.stepX, i);
    FxU32 texel = 0xFFFFFFFFu;
    if (state.readsTexture && tri.texture)
      texel = texelAt(tri, *tri.texture, along(sow0, tri.sow.stepX, i),
                      along(tow0, tri.tow.stepX, i), oow);
    const Rgba texture = unpack(textureCombine(s.textureCombine, texel));
    const Rgba iterated = {iteratedChannel(along(r0, tri.r.stepX, i)),
                           iteratedChannel(along(g0, tri.g.stepX, i)),
                           iteratedChannel(along(b0, tri.b.stepX, i)),
                           iteratedChannel(along(a0, tri.a.stepX, i))};
    const FxU16 depthValue =
        depth ? depthValueAt(state, oow, along(ooz0, tri.ooz.stepX, i)) : FxU16(0);

    const CombineInputs inputs = combineInputs(state, iterated, texture, depthValue);
    if (chromaKeyRejects(state, inputs.other)) continue;
    Rgba source = combineColour(s.color, inputs);
    source.a = combineAlpha(s.alpha, inputs);
    if (depth && !depthPasses(s.depthFunction, depthValue, depth[x])) continue;
    colour[x] = pixelValue(state, blend(s, source, unpack(colour[x])), x, target.memoryRow(y));
    if (state.depthWrite) depth[x] = depthValue;
  }
}

const Kernel kReferenceKernel = {shadeSpanReference, nullptr};

}  // namespace glide
