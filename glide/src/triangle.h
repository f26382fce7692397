// A set-up triangle as the rasterizer and the pixel path see it: attribute
// planes over the buffer's pixel grid, and the state of the draw.
#pragma once

#include <cstdint>

#include "context.h"
#include "texture_memory.h"

namespace glide {

// An attribute as a plane over buffer pixels: value at the centre of pixel
// (x, y) = base + dx * x + dy * y, with y a screen row (the window's origin).
// Along a span the value at pixel x0 + i is spanStart + i * stepX in single
// precision, the same sum in every pixel path so they agree to the bit.
struct Plane {
  double base, dx, dy;
  float stepX, stepY;
  float spanStart(int x0, int y) const { return float(base + dx * x0 + dy * y); }
};

inline float along(float start, float step, int i) { return start + float(i) * step; }

// What the fast pixel path needs of the state and buffers, gathered once per
// triangle rather than per span.
struct FastSetup {
  FxU32 *colour;  // the back buffer
  FxU16 *depth;   // the depth buffer, or null without depth test
  int width;      // pixels per row
  int rowOfScreenY0, rowStep;  // memory row = rowOfScreenY0 + rowStep * y
  GrCmpFnc_t depthFunction;
  bool depthWrite;
  bool chromaKey;
  FxU32 chromaRgb;
  bool addAlpha;  // alpha blend ONE/ONE, else ONE/ZERO
};

struct Triangle {
  Plane r, g, b, a, ooz, oow, sow, tow;
  const Mipmap *texture;  // null: texture reads give white
  bool needsTexture;      // the combine reads the texture path
  bool needsW;            // texturing or W-buffering reads oow per pixel
  FastSetup fast;         // filled when the fast path is chosen
  // Called once the triangle's spans are all handed over (the fast path may
  // hold some back), or null.
  void (*finish)(const Triangle &);
};

// Shades the pixels x0..x1-1 of screen row y (both inside the buffer).
using SpanFunction = void (*)(const Triangle &, int y, int x0, int x1);

// The reference pixel path: every combine, chroma, depth and blend setting.
void shadeSpanGeneric(const Triangle &tri, int y, int x0, int x1);

// A faster path for the common textured, additive case, or null when the
// current state is not one it handles (chosen per triangle; fills tri.fast).
SpanFunction chooseFastSpan(Triangle &tri);

// Rasterizes a triangle given in 1/16-pixel fixed point buffer coordinates
// (counter-clockwise in y-up terms), calling shade for each covered span.
void rasterize(const int32_t x[3], const int32_t y[3], const Triangle &tri, SpanFunction shade);

// 16-bit W-buffer value of w = 1/oow: the board's 4.12 floating format,
// 0x0000 for w <= 1, 0xFFFF for w >= 65536; ordered as w.
inline FxU16 wDepth(float oow) {
  if (!(oow > 0.0f)) return 0xFFFF;  // at or behind the eye: farthest
  float w = 1.0f / oow;
  if (!(w > 1.0f)) return 0;
  if (!(w < 65536.0f)) return 0xFFFF;
  uint32_t bits;
  static_assert(sizeof bits == sizeof w, "float is 32-bit");
  __builtin_memcpy(&bits, &w, sizeof bits);
  uint32_t exponent = (bits >> 23) - 127;  // 0..15
  return FxU16((exponent << 12) | ((bits >> 11) & 0xFFF));
}

inline bool depthPasses(GrCmpFnc_t function, FxU16 value, FxU16 stored) {
  switch (function) {
    case GR_CMP_NEVER: return false;
    case GR_CMP_LESS: return value < stored;
    case GR_CMP_EQUAL: return value == stored;
    case GR_CMP_LEQUAL: return value <= stored;
    case GR_CMP_GREATER: return value > stored;
    case GR_CMP_NOTEQUAL: return value != stored;
    case GR_CMP_GEQUAL: return value >= stored;
    default: return true;
  }
}

// x * f / 255 rounded to nearest, for x in -255..255 and f in 0..255.
inline int scale255(int x, int f) {
  int p = x * f;
  return p >= 0 ? (p + 127) / 255 : -((-p + 127) / 255);
}

inline int clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// The board's 4x4 ordered dither to RGB565, widened back to 8 bits.
FxU32 dither565(int r, int g, int b, int x, int y);

}  // namespace glide
