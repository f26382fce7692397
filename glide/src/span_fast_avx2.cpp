// The fast pixel path eight pixels at a time with AVX2 (chosen at run time).
// Every step repeats the portable version's single-precision arithmetic in
// the same order, without fused multiply-add, so the pixels are identical.
#include <immintrin.h>

#include "span_fast.h"
#include "texture_sample.h"

namespace glide {
namespace {

struct LevelTable {
  const int32_t *offset;  // texel offset of each level in storage (16 entries)
  int widthShift0, heightShift0, lastLevel;
  bool mipmapped;
};

void makeLevelTable(const Mipmap &m, LevelTable *table) {
  table->offset = m.levelOffset;
  table->widthShift0 = m.levels[0].widthShift;
  table->heightShift0 = m.levels[0].heightShift;
  table->lastLevel = m.levelCount - 1;
  table->mipmapped = m.mipmapMode != GR_MIPMAP_DISABLE && m.levelCount > 1;
}

inline __m256 along8(__m256 start, __m256 step, __m256 i) {
  return _mm256_add_ps(start, _mm256_mul_ps(i, step));
}

// wDepth() for eight values.
inline __m256i wDepth8(__m256 oow, __m256 w) {
  const __m256 zero = _mm256_setzero_ps();
  __m256i exponent = _mm256_sub_epi32(_mm256_srli_epi32(_mm256_castps_si256(w), 23),
                                      _mm256_set1_epi32(127));
  __m256i value = _mm256_or_si256(
      _mm256_slli_epi32(exponent, 12),
      _mm256_and_si256(_mm256_srli_epi32(_mm256_castps_si256(w), 11), _mm256_set1_epi32(0xFFF)));
  __m256 nearest = _mm256_cmp_ps(w, _mm256_set1_ps(1.0f), _CMP_NGT_UQ);      // !(w > 1)
  __m256 farthest = _mm256_cmp_ps(w, _mm256_set1_ps(65536.0f), _CMP_NLT_UQ);  // !(w < 65536)
  __m256 behind = _mm256_cmp_ps(oow, zero, _CMP_NGT_UQ);                     // !(oow > 0)
  value = _mm256_andnot_si256(_mm256_castps_si256(nearest), value);
  value = _mm256_or_si256(_mm256_and_si256(_mm256_castps_si256(farthest), _mm256_set1_epi32(0xFFFF)),
                          _mm256_andnot_si256(_mm256_castps_si256(farthest), value));
  value = _mm256_or_si256(_mm256_and_si256(_mm256_castps_si256(behind), _mm256_set1_epi32(0xFFFF)),
                          _mm256_andnot_si256(_mm256_castps_si256(behind), value));
  return value;
}

inline __m256i depthPasses8(GrCmpFnc_t function, __m256i value, __m256i stored) {
  const __m256i ones = _mm256_set1_epi32(-1);
  __m256i less = _mm256_cmpgt_epi32(stored, value), greater = _mm256_cmpgt_epi32(value, stored);
  __m256i equal = _mm256_cmpeq_epi32(value, stored);
  switch (function) {
    case GR_CMP_NEVER: return _mm256_setzero_si256();
    case GR_CMP_LESS: return less;
    case GR_CMP_EQUAL: return equal;
    case GR_CMP_LEQUAL: return _mm256_or_si256(less, equal);
    case GR_CMP_GREATER: return greater;
    case GR_CMP_NOTEQUAL: return _mm256_xor_si256(equal, ones);
    case GR_CMP_GEQUAL: return _mm256_or_si256(greater, equal);
    default: return ones;
  }
}

// toFixedTexel() for eight values.
inline __m256i toFixed8(__m256 texels) {
  const __m256 limit = _mm256_set1_ps(1073741824.0f);
  __m256 scaled = _mm256_mul_ps(texels, _mm256_set1_ps(256.0f));
  __m256 aboveLow = _mm256_cmp_ps(scaled, _mm256_sub_ps(_mm256_setzero_ps(), limit), _CMP_GT_OQ);
  scaled = _mm256_blendv_ps(_mm256_sub_ps(_mm256_setzero_ps(), limit), scaled, aboveLow);
  scaled = _mm256_min_ps(scaled, limit);
  return _mm256_cvttps_epi32(_mm256_floor_ps(scaled));
}

inline __m256i wrapOrClamp8(__m256i i, __m256i sizeMinusOne, bool clamp) {
  if (clamp) return _mm256_min_epi32(_mm256_max_epi32(i, _mm256_setzero_si256()), sizeMinusOne);
  return _mm256_and_si256(i, sizeMinusOne);
}

// blendTexels() for two channels per 32-bit lane (in its 16-bit halves):
// the u step, then the v step, each rounded to 8 bits.
inline __m256i lerp16(__m256i a, __m256i b, __m256i weightB) {
  const __m256i weightA = _mm256_sub_epi16(_mm256_set1_epi16(256), weightB);
  __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(a, weightA), _mm256_mullo_epi16(b, weightB));
  return _mm256_srli_epi16(_mm256_add_epi16(sum, _mm256_set1_epi16(128)), 8);
}

inline __m256i bilinear16(__m256i c00, __m256i c10, __m256i c01, __m256i c11, __m256i fu16,
                          __m256i fv16) {
  return lerp16(lerp16(c00, c10, fu16), lerp16(c01, c11, fu16), fv16);
}

// scale255(c, alpha) per 16-bit half: (c alpha + 127) / 255, computed as
// (q + (q >> 8)) >> 8 with q = c alpha + 128 (exact for c, alpha <= 255).
inline __m256i scale255x16(__m256i c, __m256i alpha16) {
  __m256i q = _mm256_add_epi16(_mm256_mullo_epi16(c, alpha16), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(q, _mm256_srli_epi16(q, 8)), 8);
}

// The four texels of eight bilinear samples: rows A and B at columns xa and
// xb. Where every xb is xa + 1 (no wrap or clamp between them) each pair is
// one 64-bit load, half the elements to gather.
inline void gatherTexels(const FxU32 *storage, __m256i indexA, __m256i indexB, __m256i xa,
                         __m256i xb, __m256i *t00, __m256i *t10, __m256i *t01, __m256i *t11) {
  const int *texels = reinterpret_cast<const int *>(storage);
  const __m256i adjacent = _mm256_cmpeq_epi32(xb, _mm256_add_epi32(xa, _mm256_set1_epi32(1)));
  if (_mm256_movemask_epi8(adjacent) != -1) {
    const __m256i step = _mm256_sub_epi32(xb, xa);
    *t00 = _mm256_i32gather_epi32(texels, indexA, 4);
    *t10 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(indexA, step), 4);
    *t01 = _mm256_i32gather_epi32(texels, indexB, 4);
    *t11 = _mm256_i32gather_epi32(texels, _mm256_add_epi32(indexB, step), 4);
    return;
  }
  const long long *pairs = reinterpret_cast<const long long *>(storage);
  auto gatherPairs = [&](__m256i index, __m256i *left, __m256i *right) {
    // Lanes 0-3 and 4-7 as (left, right) pairs; split and put back in order.
    const __m256 low = _mm256_castsi256_ps(
        _mm256_i32gather_epi64(pairs, _mm256_castsi256_si128(index), 4));
    const __m256 high = _mm256_castsi256_ps(
        _mm256_i32gather_epi64(pairs, _mm256_extracti128_si256(index, 1), 4));
    *left = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0x88)), 0xD8);
    *right = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0xDD)), 0xD8);
  };
  gatherPairs(indexA, t00, t10);
  gatherPairs(indexB, t01, t11);
}

// selectLevel() for eight pixels at s, t (level-0 coordinates over 256)
// with w = 1 / oow, from the screen derivatives of the texel coordinates.
inline __m256i mipLevel8(const FastSpan &f, const LevelTable &levels, __m256 s, __m256 t, __m256 w,
                         __m256 tpu) {
  auto derivative = [&](float sowStep, float oowStep, __m256 coord) {
    __m256 d = _mm256_sub_ps(_mm256_set1_ps(sowStep), _mm256_mul_ps(coord, _mm256_set1_ps(oowStep)));
    return _mm256_mul_ps(_mm256_mul_ps(d, w), tpu);
  };
  __m256 dudx = derivative(f.sowStepX, f.oowStepX, s), dvdx = derivative(f.towStepX, f.oowStepX, t);
  __m256 dudy = derivative(f.sowStepY, f.oowStepY, s), dvdy = derivative(f.towStepY, f.oowStepY, t);
  __m256 rhoX = _mm256_add_ps(_mm256_mul_ps(dudx, dudx), _mm256_mul_ps(dvdx, dvdx));
  __m256 rhoY = _mm256_add_ps(_mm256_mul_ps(dudy, dudy), _mm256_mul_ps(dvdy, dvdy));
  __m256 rho2 = _mm256_max_ps(rhoX, rhoY);
  // frexp's exponent is the biased exponent - 126.
  __m256i exponent = _mm256_sub_epi32(
      _mm256_and_si256(_mm256_srli_epi32(_mm256_castps_si256(rho2), 23), _mm256_set1_epi32(0xFF)),
      _mm256_set1_epi32(126));
  __m256i level = _mm256_srai_epi32(exponent, 1);
  __m256 magnified = _mm256_cmp_ps(rho2, _mm256_set1_ps(1.0f), _CMP_NGE_UQ);  // !(rho2 >= 1)
  __m256 huge = _mm256_cmp_ps(rho2, _mm256_set1_ps(1e30f), _CMP_GT_OQ);
  __m256i last = _mm256_set1_epi32(levels.lastLevel);
  level = _mm256_blendv_epi8(level, last, _mm256_castps_si256(huge));
  level = _mm256_andnot_si256(_mm256_castps_si256(magnified), level);
  return _mm256_min_epi32(_mm256_max_epi32(level, _mm256_setzero_si256()), last);
}

// Eight pixels' attributes at the start of their spans and their indices
// within them, so each value is start + index * step as in the portable path.
struct Lanes {
  __m256 oow0, sow0, tow0, a0, index;
  bool constantLevel;  // level holds the level of every finite s, t
  __m256i level;
};

// Where the eight pixels are: eight in a row at colour/depth, or scattered,
// at colour/depth + offset[k].
struct Pixels {
  FxU32 *colour;
  FxU16 *depth;
  const int32_t *offset;  // only when scattered
};

// Shades eight pixels; lanes not in `live` are left alone. The template
// flags fix the branches once per span or batch.
template <bool kDepth, bool kMipmapped, bool kChroma, bool kScattered>
__attribute__((always_inline)) inline void shade8(const FastSpan &f, const LevelTable &levels,
                                                  const FxU32 *storage, const Lanes &lanes,
                                                  __m256i live, const Pixels &pixels) {
  const Mipmap &m = *f.texture;
  const __m256 index = lanes.index;
  const __m256 oow = along8(lanes.oow0, _mm256_set1_ps(f.oowStepX), index);
  const __m256 w = _mm256_div_ps(_mm256_set1_ps(1.0f), oow);
  __m256i depthValue = _mm256_setzero_si256();
  if (kDepth) {
    depthValue = wDepth8(oow, w);
    __m256i stored;
    if (kScattered) {
      const FxU16 *d = pixels.depth;
      const int32_t *o = pixels.offset;
      stored = _mm256_setr_epi32(d[o[0]], d[o[1]], d[o[2]], d[o[3]], d[o[4]], d[o[5]], d[o[6]],
                                 d[o[7]]);
    } else {
      stored = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(pixels.depth)));
    }
    live = _mm256_and_si256(live, depthPasses8(f.depthFunction, depthValue, stored));
  }

  const __m256 tpu = _mm256_set1_ps(f.tpu);
  const __m256 s = _mm256_mul_ps(along8(lanes.sow0, _mm256_set1_ps(f.sowStepX), index), w);
  const __m256 t = _mm256_mul_ps(along8(lanes.tow0, _mm256_set1_ps(f.towStepX), index), w);

  __m256i level = _mm256_setzero_si256();
  if (kMipmapped) {
    // Where oow does not change along x or y, the level depends on w alone
    // wherever s and t are finite (their products with the zero steps
    // vanish), so a span's level is worked out once.
    const __m256 zero = _mm256_setzero_ps();
    const __m256 finite = _mm256_and_ps(_mm256_cmp_ps(_mm256_sub_ps(s, s), zero, _CMP_EQ_OQ),
                                        _mm256_cmp_ps(_mm256_sub_ps(t, t), zero, _CMP_EQ_OQ));
    if (lanes.constantLevel && _mm256_movemask_ps(finite) == 0xFF) level = lanes.level;
    else level = mipLevel8(f, levels, s, t, w, tpu);
  }

  // Level texel coordinates in 1/256 steps, texel centres at +128.
  const __m256 levelScale = _mm256_castsi256_ps(
      _mm256_slli_epi32(_mm256_sub_epi32(_mm256_set1_epi32(127), level), 23));
  __m256i u = _mm256_sub_epi32(toFixed8(_mm256_mul_ps(_mm256_mul_ps(s, tpu), levelScale)),
                               _mm256_set1_epi32(128));
  __m256i v = _mm256_sub_epi32(toFixed8(_mm256_mul_ps(_mm256_mul_ps(t, tpu), levelScale)),
                               _mm256_set1_epi32(128));
  const __m256i widthShift = _mm256_max_epi32(
      _mm256_sub_epi32(_mm256_set1_epi32(levels.widthShift0), level), _mm256_setzero_si256());
  const __m256i heightShift = _mm256_max_epi32(
      _mm256_sub_epi32(_mm256_set1_epi32(levels.heightShift0), level), _mm256_setzero_si256());
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i widthMask = _mm256_sub_epi32(_mm256_sllv_epi32(one, widthShift), one);
  const __m256i heightMask = _mm256_sub_epi32(_mm256_sllv_epi32(one, heightShift), one);
  const __m256i x0 = _mm256_srai_epi32(u, 8), y0 = _mm256_srai_epi32(v, 8);
  const __m256i fu = _mm256_and_si256(u, _mm256_set1_epi32(255));
  const __m256i fv = _mm256_and_si256(v, _mm256_set1_epi32(255));
  const __m256i xa = wrapOrClamp8(x0, widthMask, m.clampS);
  const __m256i xb = wrapOrClamp8(_mm256_add_epi32(x0, one), widthMask, m.clampS);
  const __m256i ya = wrapOrClamp8(y0, heightMask, m.clampT);
  const __m256i yb = wrapOrClamp8(_mm256_add_epi32(y0, one), heightMask, m.clampT);
  // Level offsets: levels 0..7 by permutation, level 8 (1 x 1) separately.
  __m256i base = _mm256_permutevar8x32_epi32(
      _mm256_load_si256(reinterpret_cast<const __m256i *>(levels.offset)), level);
  base = _mm256_blendv_epi8(base, _mm256_set1_epi32(levels.offset[8]),
                            _mm256_cmpeq_epi32(level, _mm256_set1_epi32(8)));
  const __m256i rowA = _mm256_add_epi32(base, _mm256_sllv_epi32(ya, widthShift));
  const __m256i rowB = _mm256_add_epi32(base, _mm256_sllv_epi32(yb, widthShift));
  __m256i t00, t10, t01, t11;
  gatherTexels(storage, _mm256_add_epi32(rowA, xa), _mm256_add_epi32(rowB, xa), xa, xb, &t00,
               &t10, &t01, &t11);
  // Red and blue in one set of 16-bit halves, green and alpha in the other.
  const __m256i byteMask = _mm256_set1_epi32(0x00FF00FF);
  const __m256i fu16 = _mm256_or_si256(fu, _mm256_slli_epi32(fu, 16));
  const __m256i fv16 = _mm256_or_si256(fv, _mm256_slli_epi32(fv, 16));
  auto rb = [&](__m256i t) { return _mm256_and_si256(t, byteMask); };
  auto ga = [&](__m256i t) { return _mm256_and_si256(_mm256_srli_epi32(t, 8), byteMask); };
  const __m256i redBlue = bilinear16(rb(t00), rb(t10), rb(t01), rb(t11), fu16, fv16);
  const __m256i greenAlpha = bilinear16(ga(t00), ga(t10), ga(t01), ga(t11), fu16, fv16);

  if (kChroma) {
    __m256i rgb = _mm256_or_si256(redBlue, _mm256_and_si256(_mm256_slli_epi32(greenAlpha, 8),
                                                            _mm256_set1_epi32(0xFF00)));
    live = _mm256_andnot_si256(_mm256_cmpeq_epi32(rgb, _mm256_set1_epi32(int(f.chromaRgb))), live);
  }

  // Iterated alpha, clamped: v > 0 ? (v < 255 ? int(v) : 255) : 0.
  const __m256 av = along8(lanes.a0, _mm256_set1_ps(f.aStepX), index);
  __m256i alpha = _mm256_cvttps_epi32(_mm256_min_ps(av, _mm256_set1_ps(255.0f)));
  alpha = _mm256_and_si256(alpha, _mm256_castps_si256(_mm256_cmp_ps(av, _mm256_setzero_ps(), _CMP_GT_OQ)));

  const __m256i alpha16 = _mm256_or_si256(alpha, _mm256_slli_epi32(alpha, 16));
  __m256i source = _mm256_or_si256(
      scale255x16(redBlue, alpha16),
      _mm256_and_si256(_mm256_slli_epi32(scale255x16(greenAlpha, alpha16), 8),
                       _mm256_set1_epi32(0xFF00)));
  source = _mm256_or_si256(source, _mm256_slli_epi32(alpha, 24));
  const __m256i dst =
      kScattered ? _mm256_i32gather_epi32(reinterpret_cast<const int *>(pixels.colour),
                                          _mm256_load_si256(reinterpret_cast<const __m256i *>(pixels.offset)), 4)
                 : _mm256_loadu_si256(reinterpret_cast<const __m256i *>(pixels.colour));
  __m256i result = _mm256_adds_epu8(source, dst);  // saturating, every channel
  if (!f.addAlpha)
    result = _mm256_or_si256(_mm256_and_si256(result, _mm256_set1_epi32(0xFFFFFF)),
                             _mm256_slli_epi32(alpha, 24));

  if (kScattered) {
    alignas(32) FxU32 colours[8];
    alignas(32) int32_t depths[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(colours), result);
    _mm256_store_si256(reinterpret_cast<__m256i *>(depths), depthValue);
    for (int mask = _mm256_movemask_ps(_mm256_castsi256_ps(live)); mask; mask &= mask - 1) {
      const int k = __builtin_ctz(mask);
      pixels.colour[pixels.offset[k]] = colours[k];
      if (kDepth && f.depthWrite) pixels.depth[pixels.offset[k]] = FxU16(depths[k]);
    }
    return;
  }
  // Eight pixels of one row: the lanes not live store back what they loaded
  // (masked stores are slow on some processors).
  _mm256_storeu_si256(reinterpret_cast<__m256i *>(pixels.colour), _mm256_blendv_epi8(dst, result, live));
  if (kDepth && f.depthWrite) {
    // Pack both to 16 bits and merge with what is stored.
    __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(depthValue, depthValue), 0x08);
    __m256i packedMask = _mm256_permute4x64_epi64(_mm256_packs_epi32(live, live), 0x08);
    __m128i *target = reinterpret_cast<__m128i *>(pixels.depth);
    __m128i merged = _mm_blendv_epi8(_mm_loadu_si128(target), _mm256_castsi256_si128(packed),
                                     _mm256_castsi256_si128(packedMask));
    _mm_storeu_si128(target, merged);
  }
}

// Pixels of short spans and span ends, collected across the rows of one
// triangle and shaded eight at a time (a triangle covers each pixel once, so
// their order does not matter). Drawn out when full and when the triangle
// ends.
struct Batch {
  FastSpan span;  // the triangle's constants (starts are per lane)
  LevelTable levels;
  FxU32 *colour;
  FxU16 *depth;
  int variant;
  int count = 0;
  alignas(32) float oow0[8], sow0[8], tow0[8], a0[8], index[8];
  alignas(32) int32_t offset[8];
};

Batch batch;

template <bool kDepth, bool kMipmapped, bool kChroma>
void shadeBatch() {
  Batch &b = batch;
  // Lanes past the count repeat lane 0: valid pixels and texels, not stored.
  for (int k = b.count; k < 8; ++k) {
    b.oow0[k] = b.oow0[0];
    b.sow0[k] = b.sow0[0];
    b.tow0[k] = b.tow0[0];
    b.a0[k] = b.a0[0];
    b.index[k] = b.index[0];
    b.offset[k] = b.offset[0];
  }
  const Lanes lanes = {_mm256_load_ps(b.oow0), _mm256_load_ps(b.sow0), _mm256_load_ps(b.tow0),
                       _mm256_load_ps(b.a0), _mm256_load_ps(b.index), false, _mm256_setzero_si256()};
  const __m256i live =
      _mm256_cmpgt_epi32(_mm256_set1_epi32(b.count), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  shade8<kDepth, kMipmapped, kChroma, true>(b.span, b.levels, b.span.texture->levels[0].texels,
                                            lanes, live, Pixels{b.colour, b.depth, b.offset});
  b.count = 0;
}

void drawBatch() {
  switch (batch.variant) {
    case 0: shadeBatch<false, false, false>(); break;
    case 1: shadeBatch<false, false, true>(); break;
    case 2: shadeBatch<false, true, false>(); break;
    case 3: shadeBatch<false, true, true>(); break;
    case 4: shadeBatch<true, false, false>(); break;
    case 5: shadeBatch<true, false, true>(); break;
    case 6: shadeBatch<true, true, false>(); break;
    default: shadeBatch<true, true, true>(); break;
  }
}

void addToBatch(const Triangle &tri, const FastSpan &f, const LevelTable &levels, int variant,
                int y, int x0, int first, int end) {
  Batch &b = batch;
  if (b.count == 0) {
    b.span = f;
    b.levels = levels;
    b.colour = tri.fast.colour;
    b.depth = tri.fast.depth;
    b.variant = variant;
  }
  const int32_t row = (tri.fast.rowOfScreenY0 + tri.fast.rowStep * y) * tri.fast.width;
  for (int i = first; i < end; ++i) {
    const int k = b.count;
    b.oow0[k] = f.oow0;
    b.sow0[k] = f.sow0;
    b.tow0[k] = f.tow0;
    b.a0[k] = f.a0;
    b.index[k] = float(i);
    b.offset[k] = row + x0 + i;
    if (++b.count == 8) drawBatch();
  }
}

template <bool kDepth, bool kMipmapped, bool kChroma>
int shadeSpan(const FastSpan &f, const LevelTable &levels, int x0, int x1) {
  const FxU32 *storage = f.texture->levels[0].texels;
  const int n = x1 - x0;
  const __m256 steps = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256 oow0 = _mm256_set1_ps(f.oow0), sow0 = _mm256_set1_ps(f.sow0),
               tow0 = _mm256_set1_ps(f.tow0), a0 = _mm256_set1_ps(f.a0);
  const __m256i live = _mm256_set1_epi32(-1);
  const bool constantLevel = kMipmapped && f.oowStepX == 0.0f && f.oowStepY == 0.0f;
  __m256i level = _mm256_setzero_si256();
  if (constantLevel) {
    const __m256 zero = _mm256_setzero_ps();
    level = mipLevel8(f, levels, zero, zero, _mm256_div_ps(_mm256_set1_ps(1.0f), oow0),
                      _mm256_set1_ps(f.tpu));
  }
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const Lanes lanes = {oow0, sow0, tow0, a0, _mm256_add_ps(_mm256_set1_ps(float(i)), steps),
                         constantLevel, level};
    shade8<kDepth, kMipmapped, kChroma, false>(
        f, levels, storage, lanes, live,
        Pixels{f.colour + x0 + i, kDepth ? f.depth + x0 + i : nullptr, nullptr});
  }
  return i;
}

}  // namespace

void shadeSpanFastAvx2(const Triangle &tri, int y, int x0, int x1) {
  FastSpan f;
  prepareFastSpan(tri, y, x0, &f);
  LevelTable levels;
  makeLevelTable(*f.texture, &levels);
  const int variant = (f.depth ? 4 : 0) | (levels.mipmapped ? 2 : 0) | (f.chromaKey ? 1 : 0);
  int done = 0;
  if (x1 - x0 >= 8) {
    switch (variant) {
      case 0: done = shadeSpan<false, false, false>(f, levels, x0, x1); break;
      case 1: done = shadeSpan<false, false, true>(f, levels, x0, x1); break;
      case 2: done = shadeSpan<false, true, false>(f, levels, x0, x1); break;
      case 3: done = shadeSpan<false, true, true>(f, levels, x0, x1); break;
      case 4: done = shadeSpan<true, false, false>(f, levels, x0, x1); break;
      case 5: done = shadeSpan<true, false, true>(f, levels, x0, x1); break;
      case 6: done = shadeSpan<true, true, false>(f, levels, x0, x1); break;
      default: done = shadeSpan<true, true, true>(f, levels, x0, x1); break;
    }
  }
  if (done < x1 - x0) addToBatch(tri, f, levels, variant, y, x0, done, x1 - x0);
}

void finishFastAvx2(const Triangle &) {
  if (batch.count > 0) drawBatch();
}

}  // namespace glide
