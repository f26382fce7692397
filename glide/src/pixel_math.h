// The arithmetic every pixel path shares: W-buffer depth values, the depth
// compare, 8-bit products and saturation, the board's dither.
#pragma once

#include <cstdint>

#include "glide.h"

namespace glide {

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

// An iterated colour or alpha value as 0..255 (NaN counts as 0).
inline int iteratedChannel(float v) { return v > 0.0f ? (v < 255.0f ? int(v) : 255) : 0; }

// The board's 4x4 ordered dither to RGB565, widened back to 8 bits.
FxU32 dither565(int r, int g, int b, int x, int y);

}  // namespace glide
