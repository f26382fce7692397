// Texture sampling: level of detail, wrap or clamp, point or bilinear.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "texture_memory.h"
#include "triangle.h"

namespace glide {

// Texel coordinates are carried in 1/256 texel steps.
constexpr int kTexelFractionBits = 8;

inline int32_t toFixedTexel(float texels) {
  // Keeps wild coordinates (huge s from a tiny oow) defined: wrap and clamp
  // still give a texel of the map.
  float scaled = texels * 256.0f;
  if (!(scaled > -1073741824.0f)) return -1073741824;  // also NaN
  if (scaled > 1073741824.0f) return 1073741824;
  return int32_t(std::floor(scaled));
}

inline int wrapOrClamp(int i, int size, bool clamp) {
  if (clamp) return i < 0 ? 0 : (i >= size ? size - 1 : i);
  return i & (size - 1);
}

// Level of detail from rho2, the squared number of level-0 texels one pixel
// step covers: round(log2(rho) + bias), limited to the levels present.
inline int selectLevel(const Mipmap& m, float rho2) {
  if (m.mipmapMode == GR_MIPMAP_DISABLE || m.levelCount == 1) return 0;
  int level;
  if (m.lodBias == 0.0f) {
    // round(log2 rho) = floor((floor(log2 rho2) + 1) / 2): exact from the
    // exponent alone.
    if (!(rho2 >= 1.0f)) return 0;  // magnified (and NaN)
    if (rho2 > 1e30f) return m.levelCount - 1;
    int exponent;
    std::frexp(rho2, &exponent);  // rho2 = f * 2^exponent, f in [0.5, 1)
    level = exponent >> 1;        // floor((exponent - 1 + 1) / 2)
  } else {
    if (!(rho2 > 0.0f)) return 0;
    float lod = 0.5f * std::log2(rho2 < 1e30f ? rho2 : 1e30f) + m.lodBias;
    level = int(std::floor(lod + 0.5f));
  }
  if (level < 0) return 0;
  return level >= m.levelCount ? m.levelCount - 1 : level;
}

// True when the level is magnified (the magnification filter applies).
inline bool magnified(float rho2) { return !(rho2 > 1.0f); }

inline FxU32 samplePoint(const MipLevel& l, int32_t u, int32_t v, bool clampS, bool clampT) {
  int x = wrapOrClamp(u >> kTexelFractionBits, l.width, clampS);
  int y = wrapOrClamp(v >> kTexelFractionBits, l.height, clampT);
  return l.texels[(y << l.widthShift) + x];
}

// Blends four texels with 8-bit weights per channel, first along u then
// along v, each step rounded to 8 bits (so both steps fit 16-bit lanes).
inline FxU32 blendTexels(FxU32 t00, FxU32 t10, FxU32 t01, FxU32 t11, int fu, int fv) {
  FxU32 result = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    int c00 = (t00 >> shift) & 0xFF, c10 = (t10 >> shift) & 0xFF;
    int c01 = (t01 >> shift) & 0xFF, c11 = (t11 >> shift) & 0xFF;
    int top = (c00 * (256 - fu) + c10 * fu + 128) >> 8;
    int bottom = (c01 * (256 - fu) + c11 * fu + 128) >> 8;
    int c = (top * (256 - fv) + bottom * fv + 128) >> 8;
    result |= FxU32(c) << shift;
  }
  return result;
}

// u, v: level texel coordinates in 1/256 steps; texel centres at +128.
inline FxU32 sampleBilinear(const MipLevel& l, int32_t u, int32_t v, bool clampS, bool clampT) {
  u -= 128;
  v -= 128;
  int x0 = u >> kTexelFractionBits, y0 = v >> kTexelFractionBits;
  int fu = u & 255, fv = v & 255;
  int xa = wrapOrClamp(x0, l.width, clampS), xb = wrapOrClamp(x0 + 1, l.width, clampS);
  int ya = wrapOrClamp(y0, l.height, clampT), yb = wrapOrClamp(y0 + 1, l.height, clampT);
  const FxU32* rowA = l.texels + (ya << l.widthShift);
  const FxU32* rowB = l.texels + (yb << l.widthShift);
  return blendTexels(rowA[xa], rowA[xb], rowB[xa], rowB[xb], fu, fv);
}

// The level of detail's measure: the squared number of level-0 texels one
// pixel step covers, the larger of the steps along x and y, from the screen
// derivatives of s = sow / oow and t = tow / oow at a pixel (w = 1 / oow).
// The vector kernels repeat these operations in this order.
inline float footprint2(const Triangle& tri, float s, float t, float w, float texelsPerUnit) {
  const float dudx = (tri.sow.stepX - s * tri.oow.stepX) * w * texelsPerUnit;
  const float dvdx = (tri.tow.stepX - t * tri.oow.stepX) * w * texelsPerUnit;
  const float dudy = (tri.sow.stepY - s * tri.oow.stepY) * w * texelsPerUnit;
  const float dvdy = (tri.tow.stepY - t * tri.oow.stepY) * w * texelsPerUnit;
  const float rhoX = dudx * dudx + dvdx * dvdx, rhoY = dudy * dudy + dvdy * dvdy;
  return rhoX > rhoY ? rhoX : rhoY;
}

// Samples at level-0 texel coordinates (u0, v0) with the squared footprint.
inline FxU32 sampleTexture(const Mipmap& m, float u0, float v0, float rho2) {
  int level = selectLevel(m, rho2);
  const MipLevel& l = m.levels[level];
  float levelScale = 1.0f / float(1 << level);
  int32_t u = toFixedTexel(u0 * levelScale), v = toFixedTexel(v0 * levelScale);
  bool bilinear = magnified(rho2) ? m.bilinearMag : m.bilinearMin;
  return bilinear ? sampleBilinear(l, u, v, m.clampS, m.clampT)
                  : samplePoint(l, u, v, m.clampS, m.clampT);
}

// The texel of a triangle at a pixel with the interpolated sow, tow and oow:
// the division by oow, the level of detail, then the sample.
inline FxU32 texelAt(const Triangle& tri, const Mipmap& m, float sow, float tow, float oow) {
  const float w = 1.0f / oow;
  const float s = sow * w, t = tow * w;
  const float tpu = m.texelsPerUnit;
  return sampleTexture(m, s * tpu, t * tpu, footprint2(tri, s, t, w, tpu));
}

}  // namespace glide
