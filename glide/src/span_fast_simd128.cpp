// The fast pixel path four pixels at a time with WebAssembly SIMD (the web
// build). Every step repeats the portable version's single-precision
// arithmetic in the same order, as the AVX2 path does, so the pixels are
// identical. WebAssembly has no gather and no per-lane shift: texels are
// fetched lane by lane, powers of two made from float exponents.
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>

#include "span_fast.h"
#include "texture_sample.h"

namespace glide {
namespace {

inline v128_t along4(v128_t start, v128_t step, v128_t i) {
  return wasm_f32x4_add(start, wasm_f32x4_mul(i, step));
}

// wDepth() for four values.
inline v128_t wDepth4(v128_t oow, v128_t w) {
  v128_t exponent = wasm_i32x4_sub(wasm_u32x4_shr(w, 23), wasm_i32x4_splat(127));
  v128_t value = wasm_v128_or(wasm_i32x4_shl(exponent, 12),
                              wasm_v128_and(wasm_u32x4_shr(w, 11), wasm_i32x4_splat(0xFFF)));
  const v128_t nearest = wasm_v128_not(wasm_f32x4_gt(w, wasm_f32x4_splat(1.0f)));
  const v128_t farthest = wasm_v128_not(wasm_f32x4_lt(w, wasm_f32x4_splat(65536.0f)));
  const v128_t behind = wasm_v128_not(wasm_f32x4_gt(oow, wasm_f32x4_splat(0.0f)));
  const v128_t far = wasm_i32x4_splat(0xFFFF);
  value = wasm_v128_andnot(value, nearest);
  value = wasm_v128_bitselect(far, value, farthest);
  return wasm_v128_bitselect(far, value, behind);
}

inline v128_t depthPasses4(GrCmpFnc_t function, v128_t value, v128_t stored) {
  const v128_t less = wasm_i32x4_lt(value, stored), greater = wasm_i32x4_gt(value, stored);
  const v128_t equal = wasm_i32x4_eq(value, stored);
  switch (function) {
    case GR_CMP_NEVER: return wasm_i32x4_splat(0);
    case GR_CMP_LESS: return less;
    case GR_CMP_EQUAL: return equal;
    case GR_CMP_LEQUAL: return wasm_v128_or(less, equal);
    case GR_CMP_GREATER: return greater;
    case GR_CMP_NOTEQUAL: return wasm_v128_not(equal);
    case GR_CMP_GEQUAL: return wasm_v128_or(greater, equal);
    default: return wasm_i32x4_splat(-1);
  }
}

// toFixedTexel() for four values.
inline v128_t toFixed4(v128_t texels) {
  const v128_t limit = wasm_f32x4_splat(1073741824.0f), low = wasm_f32x4_splat(-1073741824.0f);
  v128_t scaled = wasm_f32x4_mul(texels, wasm_f32x4_splat(256.0f));
  scaled = wasm_v128_bitselect(scaled, low, wasm_f32x4_gt(scaled, low));  // also NaN
  scaled = wasm_f32x4_pmin(limit, scaled);
  return wasm_i32x4_trunc_sat_f32x4(wasm_f32x4_floor(scaled));
}

inline v128_t wrapOrClamp4(v128_t i, v128_t sizeMinusOne, bool clamp) {
  if (clamp) return wasm_i32x4_min(wasm_i32x4_max(i, wasm_i32x4_splat(0)), sizeMinusOne);
  return wasm_v128_and(i, sizeMinusOne);
}

// 2^k for k in 0..30, per lane, through the float exponent.
inline v128_t powerOfTwo4(v128_t k) {
  return wasm_i32x4_trunc_sat_f32x4(wasm_i32x4_shl(wasm_i32x4_add(k, wasm_i32x4_splat(127)), 23));
}

// blendTexels() for two channels per 32-bit lane (in its 16-bit halves).
inline v128_t lerp16(v128_t a, v128_t b, v128_t weightB) {
  const v128_t weightA = wasm_i16x8_sub(wasm_i16x8_splat(256), weightB);
  v128_t sum = wasm_i16x8_add(wasm_i16x8_mul(a, weightA), wasm_i16x8_mul(b, weightB));
  return wasm_u16x8_shr(wasm_i16x8_add(sum, wasm_i16x8_splat(128)), 8);
}

inline v128_t bilinear16(v128_t c00, v128_t c10, v128_t c01, v128_t c11, v128_t fu16, v128_t fv16) {
  return lerp16(lerp16(c00, c10, fu16), lerp16(c01, c11, fu16), fv16);
}

// scale255(c, alpha) per 16-bit half, as the AVX2 path computes it.
inline v128_t scale255x16(v128_t c, v128_t alpha16) {
  v128_t q = wasm_i16x8_add(wasm_i16x8_mul(c, alpha16), wasm_i16x8_splat(128));
  return wasm_u16x8_shr(wasm_i16x8_add(q, wasm_u16x8_shr(q, 8)), 8);
}

// selectLevel() for four pixels, from the screen derivatives of the texel
// coordinates.
inline v128_t mipLevel4(const FastSpan &f, int lastLevel, v128_t s, v128_t t, v128_t w, v128_t tpu) {
  auto derivative = [&](float coordStep, float oowStep, v128_t coord) {
    v128_t d = wasm_f32x4_sub(wasm_f32x4_splat(coordStep), wasm_f32x4_mul(coord, wasm_f32x4_splat(oowStep)));
    return wasm_f32x4_mul(wasm_f32x4_mul(d, w), tpu);
  };
  const v128_t dudx = derivative(f.sowStepX, f.oowStepX, s), dvdx = derivative(f.towStepX, f.oowStepX, t);
  const v128_t dudy = derivative(f.sowStepY, f.oowStepY, s), dvdy = derivative(f.towStepY, f.oowStepY, t);
  const v128_t rhoX = wasm_f32x4_add(wasm_f32x4_mul(dudx, dudx), wasm_f32x4_mul(dvdx, dvdx));
  const v128_t rhoY = wasm_f32x4_add(wasm_f32x4_mul(dudy, dudy), wasm_f32x4_mul(dvdy, dvdy));
  const v128_t rho2 = wasm_f32x4_pmax(rhoY, rhoX);  // rhoX > rhoY ? rhoX : rhoY
  // frexp's exponent is the biased exponent - 126.
  const v128_t exponent = wasm_i32x4_sub(wasm_v128_and(wasm_u32x4_shr(rho2, 23), wasm_i32x4_splat(0xFF)),
                                         wasm_i32x4_splat(126));
  v128_t level = wasm_i32x4_shr(exponent, 1);
  const v128_t magnified = wasm_v128_not(wasm_f32x4_ge(rho2, wasm_f32x4_splat(1.0f)));
  const v128_t huge = wasm_f32x4_gt(rho2, wasm_f32x4_splat(1e30f));
  const v128_t last = wasm_i32x4_splat(lastLevel);
  level = wasm_v128_bitselect(last, level, huge);
  level = wasm_v128_andnot(level, magnified);
  return wasm_i32x4_min(wasm_i32x4_max(level, wasm_i32x4_splat(0)), last);
}

inline v128_t fetch4(const FxU32 *storage, v128_t index) {
  return wasm_i32x4_make(int32_t(storage[wasm_i32x4_extract_lane(index, 0)]),
                         int32_t(storage[wasm_i32x4_extract_lane(index, 1)]),
                         int32_t(storage[wasm_i32x4_extract_lane(index, 2)]),
                         int32_t(storage[wasm_i32x4_extract_lane(index, 3)]));
}

struct Level {
  bool constant;  // `level` holds the level of every finite s, t of the span
  v128_t level;
};

// Shades pixels i .. i+3 of the span; lanes not in `live` are left alone.
// A tail (fewer than four pixels left) loads and stores lane by lane.
template <bool kDepth, bool kMipmapped, bool kChroma, bool kTail>
__attribute__((always_inline)) inline void shade4(const FastSpan &f, const Mipmap &m, int i, v128_t live,
                                                  const Level &spanLevel) {
  FxU32 *colour = f.colour + i;
  FxU16 *depth = kDepth ? f.depth + i : nullptr;
  const bool lane[4] = {wasm_i32x4_extract_lane(live, 0) != 0, wasm_i32x4_extract_lane(live, 1) != 0,
                        wasm_i32x4_extract_lane(live, 2) != 0, wasm_i32x4_extract_lane(live, 3) != 0};
  const v128_t index = wasm_f32x4_make(float(i), float(i + 1), float(i + 2), float(i + 3));
  const v128_t oow = along4(wasm_f32x4_splat(f.oow0), wasm_f32x4_splat(f.oowStepX), index);
  const v128_t w = wasm_f32x4_div(wasm_f32x4_splat(1.0f), oow);
  v128_t depthValue = wasm_i32x4_splat(0);
  if (kDepth) {
    depthValue = wDepth4(oow, w);
    const v128_t stored = kTail ? wasm_i32x4_make(lane[0] ? depth[0] : 0, lane[1] ? depth[1] : 0,
                                                  lane[2] ? depth[2] : 0, lane[3] ? depth[3] : 0)
                                : wasm_u32x4_load16x4(depth);
    live = wasm_v128_and(live, depthPasses4(f.depthFunction, depthValue, stored));
    if (!wasm_v128_any_true(live)) return;
  }

  const v128_t tpu = wasm_f32x4_splat(f.tpu);
  const v128_t s = wasm_f32x4_mul(along4(wasm_f32x4_splat(f.sow0), wasm_f32x4_splat(f.sowStepX), index), w);
  const v128_t t = wasm_f32x4_mul(along4(wasm_f32x4_splat(f.tow0), wasm_f32x4_splat(f.towStepX), index), w);

  v128_t level = wasm_i32x4_splat(0);
  if (kMipmapped) {
    // Where oow does not change along x or y the level depends on w alone
    // wherever s and t are finite, so a span's level is worked out once.
    const v128_t zero = wasm_f32x4_splat(0.0f);
    const v128_t finite = wasm_v128_and(wasm_f32x4_eq(wasm_f32x4_sub(s, s), zero),
                                        wasm_f32x4_eq(wasm_f32x4_sub(t, t), zero));
    if (spanLevel.constant && wasm_i32x4_all_true(finite)) level = spanLevel.level;
    else level = mipLevel4(f, m.levelCount - 1, s, t, w, tpu);
  }

  // Level texel coordinates in 1/256 steps, texel centres at +128.
  const v128_t levelScale = wasm_i32x4_shl(wasm_i32x4_sub(wasm_i32x4_splat(127), level), 23);
  const v128_t u = wasm_i32x4_sub(toFixed4(wasm_f32x4_mul(wasm_f32x4_mul(s, tpu), levelScale)),
                                  wasm_i32x4_splat(128));
  const v128_t v = wasm_i32x4_sub(toFixed4(wasm_f32x4_mul(wasm_f32x4_mul(t, tpu), levelScale)),
                                  wasm_i32x4_splat(128));
  const v128_t zeroI = wasm_i32x4_splat(0), one = wasm_i32x4_splat(1);
  const v128_t widthShift =
      wasm_i32x4_max(wasm_i32x4_sub(wasm_i32x4_splat(m.levels[0].widthShift), level), zeroI);
  const v128_t heightShift =
      wasm_i32x4_max(wasm_i32x4_sub(wasm_i32x4_splat(m.levels[0].heightShift), level), zeroI);
  const v128_t width = powerOfTwo4(widthShift);
  const v128_t widthMask = wasm_i32x4_sub(width, one);
  const v128_t heightMask = wasm_i32x4_sub(powerOfTwo4(heightShift), one);
  const v128_t x0 = wasm_i32x4_shr(u, 8), y0 = wasm_i32x4_shr(v, 8);
  const v128_t fu = wasm_v128_and(u, wasm_i32x4_splat(255)), fv = wasm_v128_and(v, wasm_i32x4_splat(255));
  const v128_t xa = wrapOrClamp4(x0, widthMask, m.clampS);
  const v128_t xb = wrapOrClamp4(wasm_i32x4_add(x0, one), widthMask, m.clampS);
  const v128_t ya = wrapOrClamp4(y0, heightMask, m.clampT);
  const v128_t yb = wrapOrClamp4(wasm_i32x4_add(y0, one), heightMask, m.clampT);
  const int32_t *offset = m.levelOffset;
  const v128_t base = wasm_i32x4_make(
      offset[wasm_i32x4_extract_lane(level, 0)], offset[wasm_i32x4_extract_lane(level, 1)],
      offset[wasm_i32x4_extract_lane(level, 2)], offset[wasm_i32x4_extract_lane(level, 3)]);
  const v128_t rowA = wasm_i32x4_add(base, wasm_i32x4_mul(ya, width));
  const v128_t rowB = wasm_i32x4_add(base, wasm_i32x4_mul(yb, width));
  const FxU32 *storage = m.levels[0].texels;
  const v128_t t00 = fetch4(storage, wasm_i32x4_add(rowA, xa)), t10 = fetch4(storage, wasm_i32x4_add(rowA, xb));
  const v128_t t01 = fetch4(storage, wasm_i32x4_add(rowB, xa)), t11 = fetch4(storage, wasm_i32x4_add(rowB, xb));

  // Red and blue in one set of 16-bit halves, green and alpha in the other.
  const v128_t byteMask = wasm_i32x4_splat(0x00FF00FF);
  const v128_t fu16 = wasm_v128_or(fu, wasm_i32x4_shl(fu, 16));
  const v128_t fv16 = wasm_v128_or(fv, wasm_i32x4_shl(fv, 16));
  auto rb = [&](v128_t c) { return wasm_v128_and(c, byteMask); };
  auto ga = [&](v128_t c) { return wasm_v128_and(wasm_u32x4_shr(c, 8), byteMask); };
  const v128_t redBlue = bilinear16(rb(t00), rb(t10), rb(t01), rb(t11), fu16, fv16);
  const v128_t greenAlpha = bilinear16(ga(t00), ga(t10), ga(t01), ga(t11), fu16, fv16);

  if (kChroma) {
    const v128_t rgb = wasm_v128_or(redBlue, wasm_v128_and(wasm_i32x4_shl(greenAlpha, 8), wasm_i32x4_splat(0xFF00)));
    live = wasm_v128_andnot(live, wasm_i32x4_eq(rgb, wasm_i32x4_splat(int32_t(f.chromaRgb))));
  }

  // Iterated alpha, clamped: v > 0 ? (v < 255 ? int(v) : 255) : 0.
  const v128_t av = along4(wasm_f32x4_splat(f.a0), wasm_f32x4_splat(f.aStepX), index);
  v128_t alpha = wasm_i32x4_trunc_sat_f32x4(wasm_f32x4_pmin(wasm_f32x4_splat(255.0f), av));
  alpha = wasm_v128_and(alpha, wasm_f32x4_gt(av, wasm_f32x4_splat(0.0f)));

  const v128_t alpha16 = wasm_v128_or(alpha, wasm_i32x4_shl(alpha, 16));
  v128_t source = wasm_v128_or(scale255x16(redBlue, alpha16),
                               wasm_v128_and(wasm_i32x4_shl(scale255x16(greenAlpha, alpha16), 8),
                                             wasm_i32x4_splat(0xFF00)));
  source = wasm_v128_or(source, wasm_i32x4_shl(alpha, 24));
  const v128_t dst = kTail ? wasm_i32x4_make(lane[0] ? colour[0] : 0, lane[1] ? colour[1] : 0,
                                             lane[2] ? colour[2] : 0, lane[3] ? colour[3] : 0)
                           : wasm_v128_load(colour);
  v128_t result = wasm_u8x16_add_sat(source, dst);  // saturating, every channel
  if (!f.addAlpha) {
    result = wasm_v128_or(wasm_v128_and(result, wasm_i32x4_splat(0xFFFFFF)), wasm_i32x4_shl(alpha, 24));
  }

  if (!kTail) wasm_v128_store(colour, wasm_v128_bitselect(result, dst, live));
  alignas(16) FxU32 colours[4];
  alignas(16) int32_t depths[4], liveLanes[4];
  wasm_v128_store(colours, result);
  wasm_v128_store(depths, depthValue);
  wasm_v128_store(liveLanes, live);
  for (int k = 0; k < 4; ++k) {
    if (!liveLanes[k]) continue;
    if (kTail) colour[k] = colours[k];
    if (kDepth && f.depthWrite) depth[k] = FxU16(depths[k]);
  }
}

template <bool kDepth, bool kMipmapped, bool kChroma>
void shadeSpan(const FastSpan &f, int n) {
  const Mipmap &m = *f.texture;
  Level spanLevel{kMipmapped && f.oowStepX == 0.0f && f.oowStepY == 0.0f, wasm_i32x4_splat(0)};
  if (spanLevel.constant) {
    const v128_t zero = wasm_f32x4_splat(0.0f);
    spanLevel.level = mipLevel4(f, m.levelCount - 1, zero, zero,
                                wasm_f32x4_div(wasm_f32x4_splat(1.0f), wasm_f32x4_splat(f.oow0)),
                                wasm_f32x4_splat(f.tpu));
  }
  int i = 0;
  for (; i + 4 <= n; i += 4) shade4<kDepth, kMipmapped, kChroma, false>(f, m, i, wasm_i32x4_splat(-1), spanLevel);
  if (i < n) {
    const v128_t live = wasm_i32x4_lt(wasm_i32x4_make(0, 1, 2, 3), wasm_i32x4_splat(n - i));
    shade4<kDepth, kMipmapped, kChroma, true>(f, m, i, live, spanLevel);
  }
}

}  // namespace

void shadeSpanFastSimd128(const Triangle &tri, int y, int x0, int x1) {
  FastSpan f;
  prepareFastSpan(tri, y, x0, &f);
  // The span's rows start at x0: pixel i of the span is x0 + i.
  f.colour += x0;
  if (f.depth) f.depth += x0;
  const bool mipmapped = f.texture->mipmapMode != GR_MIPMAP_DISABLE && f.texture->levelCount > 1;
  const int n = x1 - x0;
  switch ((f.depth ? 4 : 0) | (mipmapped ? 2 : 0) | (f.chromaKey ? 1 : 0)) {
    case 0: shadeSpan<false, false, false>(f, n); break;
    case 1: shadeSpan<false, false, true>(f, n); break;
    case 2: shadeSpan<false, true, false>(f, n); break;
    case 3: shadeSpan<false, true, true>(f, n); break;
    case 4: shadeSpan<true, false, false>(f, n); break;
    case 5: shadeSpan<true, false, true>(f, n); break;
    case 6: shadeSpan<true, true, false>(f, n); break;
    default: shadeSpan<true, true, true>(f, n); break;
  }
}

}  // namespace glide
#endif
