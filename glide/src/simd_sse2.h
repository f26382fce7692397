// Four pixels per vector with SSE2, the baseline of every x86-64 processor
// (and of the 32-bit build): the operations the fast pixel kernel
// (span_kernel.h) is written in, as simd_avx2.h gives them for eight. SSE2
// has no gather, blend, 32-bit multiply, per-lane shift, rounding or 32-bit
// min and max: texels and collected pixels are fetched lane by lane, the
// rest is built from compares, masks and the 32 x 32 -> 64-bit multiply.
#pragma once

#include <emmintrin.h>

#include <cstdint>

#include "glide.h"
#include "span_fast.h"

namespace glide {
namespace {

struct Sse2 {
  static constexpr int kLanes = 4;
  using F = __m128;
  using I = __m128i;
  struct M {
    __m128i bits;  // all ones in a lane that is set
  };

  // ---- single precision ----
  static F set1(float v) { return _mm_set1_ps(v); }
  static F load(const float* p) { return _mm_load_ps(p); }
  static F laneIndex() { return _mm_setr_ps(0, 1, 2, 3); }
  static void storeAt(float* p, F v) { _mm_storeu_ps(p, v); }
  static F loadAt(const float* p) { return _mm_loadu_ps(p); }
  static F add(F a, F b) { return _mm_add_ps(a, b); }
  static F sub(F a, F b) { return _mm_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm_mul_ps(a, b); }
  static F div(F a, F b) { return _mm_div_ps(a, b); }
  // a < b ? a : b and a > b ? a : b, as the instructions define them.
  static F min(F a, F b) { return _mm_min_ps(a, b); }
  static F max(F a, F b) { return _mm_max_ps(a, b); }
  // For values within the 32-bit integers' range (the kernel floors only
  // those): the truncation, one less where it rounded up.
  static F floor(F a) {
    const F truncated = _mm_cvtepi32_ps(_mm_cvttps_epi32(a));
    return _mm_sub_ps(truncated, _mm_and_ps(_mm_cmpgt_ps(truncated, a), _mm_set1_ps(1.0f)));
  }
  static I truncate(F a) { return _mm_cvttps_epi32(a); }
  static I bitsOf(F a) { return _mm_castps_si128(a); }
  static F fromBits(I a) { return _mm_castsi128_ps(a); }
  template <int kPredicate>
  static M compare(F a, F b) {
    if constexpr (kPredicate == kEqual)
      return {_mm_castps_si128(_mm_cmpeq_ps(a, b))};
    else if constexpr (kPredicate == kGreater)
      return {_mm_castps_si128(_mm_cmpgt_ps(a, b))};
    else if constexpr (kPredicate == kNotGreater)
      return {_mm_castps_si128(_mm_cmpngt_ps(a, b))};
    else if constexpr (kPredicate == kNotLess)
      return {_mm_castps_si128(_mm_cmpnlt_ps(a, b))};
    else {
      static_assert(kPredicate == kNotGreaterOrEqual, "a comparison the kernel makes");
      return {_mm_castps_si128(_mm_cmpnge_ps(a, b))};
    }
  }
  static F select(M m, F ifSet, F otherwise) { return _mm_castsi128_ps(select(m, _mm_castps_si128(ifSet), _mm_castps_si128(otherwise))); }

  // ---- 32-bit integers ----
  static I set1i(int32_t v) { return _mm_set1_epi32(v); }
  static I loadi(const int32_t* p) { return _mm_load_si128(reinterpret_cast<const I*>(p)); }
  static void store(int32_t* p, I v) { _mm_store_si128(reinterpret_cast<I*>(p), v); }
  static void storeAt(int32_t* p, I v) { _mm_storeu_si128(reinterpret_cast<I*>(p), v); }
  static I loadAt(const int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
  static I laneIndexInt() { return _mm_setr_epi32(0, 1, 2, 3); }
  static I add32(I a, I b) { return _mm_add_epi32(a, b); }
  static I sub32(I a, I b) { return _mm_sub_epi32(a, b); }
  static I and32(I a, I b) { return _mm_and_si128(a, b); }
  static I or32(I a, I b) { return _mm_or_si128(a, b); }
  static I min32(I a, I b) { return select(greater(a, b), b, a); }
  static I max32(I a, I b) { return select(greater(a, b), a, b); }
  // The low 32 bits of a x b per lane: the even lanes' products, then the
  // odd ones'.
  static I mul32(I a, I b) {
    const I even = _mm_mul_epu32(a, b);
    const I odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, 0x08), _mm_shuffle_epi32(odd, 0x08));
  }
  // a << count for counts 0..30 (texture sizes): a x 2^count, the power made
  // in a float's exponent.
  static I shiftLeft(I a, I count) {
    const I power = _mm_cvttps_epi32(_mm_castsi128_ps(_mm_slli_epi32(_mm_add_epi32(count, _mm_set1_epi32(127)), 23)));
    return mul32(a, power);
  }
  template <int kBits>
  static I shiftLeft(I a) { return _mm_slli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRight(I a) { return _mm_srli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRightSigned(I a) { return _mm_srai_epi32(a, kBits); }
  static M equal(I a, I b) { return {_mm_cmpeq_epi32(a, b)}; }
  static M greater(I a, I b) { return {_mm_cmpgt_epi32(a, b)}; }
  // 0 <= a <= limit, as unsigned: signed compares with the top bits flipped.
  static M atMost(I a, I limit) {
    const I flip = _mm_set1_epi32(INT32_MIN);
    return inverse(greater(_mm_xor_si128(a, flip), _mm_xor_si128(limit, flip)));
  }
  static I select(M m, I ifSet, I otherwise) {
    return _mm_or_si128(_mm_and_si128(m.bits, ifSet), _mm_andnot_si128(m.bits, otherwise));
  }
  static I broadcastFirst(I a) { return _mm_shuffle_epi32(a, 0); }
  static int32_t first(I a) { return _mm_cvtsi128_si32(a); }

  // ---- two 16-bit halves per lane, bytes ----
  static I set1x16(int16_t v) { return _mm_set1_epi16(v); }
  static I add16(I a, I b) { return _mm_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm_mullo_epi16(a, b); }
  template <int kBits>
  static I shiftRight16(I a) { return _mm_srli_epi16(a, kBits); }
  static I addSaturated8(I a, I b) { return _mm_adds_epu8(a, b); }

  // ---- lane masks ----
  static M all() { return {_mm_set1_epi32(-1)}; }
  static M none() { return {_mm_setzero_si128()}; }
  static M both(M a, M b) { return {_mm_and_si128(a.bits, b.bits)}; }
  static M either(M a, M b) { return {_mm_or_si128(a.bits, b.bits)}; }
  static M inverse(M a) { return {_mm_xor_si128(a.bits, _mm_set1_epi32(-1))}; }
  static M butNot(M a, M b) { return {_mm_andnot_si128(b.bits, a.bits)}; }
  static bool every(M m) { return _mm_movemask_epi8(m.bits) == 0xFFFF; }
  static unsigned laneBits(M m) { return unsigned(_mm_movemask_ps(_mm_castsi128_ps(m.bits))); }
  static M firstLanes(int n) { return {_mm_cmpgt_epi32(_mm_set1_epi32(n), _mm_setr_epi32(0, 1, 2, 3))}; }

  // ---- memory ----
  // The lanes as integers, for lane-by-lane fetches.
  struct Indices {
    alignas(16) int32_t at[kLanes];
    explicit Indices(I v) { _mm_store_si128(reinterpret_cast<I*>(at), v); }
  };
  // offsets[level] for each lane (levels 0..8).
  static I levelBase(const int32_t* offsets, I level) {
    const Indices l(level);
    return _mm_setr_epi32(offsets[l.at[0]], offsets[l.at[1]], offsets[l.at[2]], offsets[l.at[3]]);
  }
  static I gather(const FxU32* base, I index) {
    const Indices i(index);
    return _mm_setr_epi32(int32_t(base[i.at[0]]), int32_t(base[i.at[1]]), int32_t(base[i.at[2]]),
                          int32_t(base[i.at[3]]));
  }
  // base[index] and base[index + 1] of every lane, one 64-bit load each.
  static void gatherPairs(const FxU32* base, I index, I* left, I* right) {
    const Indices i(index);
    auto pair = [&](int k) { return _mm_loadl_epi64(reinterpret_cast<const I*>(base + i.at[k])); };
    const I p01 = _mm_unpacklo_epi64(pair(0), pair(1)), p23 = _mm_unpacklo_epi64(pair(2), pair(3));
    const F a = _mm_castsi128_ps(p01), b = _mm_castsi128_ps(p23);
    *left = _mm_castps_si128(_mm_shuffle_ps(a, b, 0x88));
    *right = _mm_castps_si128(_mm_shuffle_ps(a, b, 0xDD));
  }
  // row[lane] of the four values from row on, lane in 0..3.
  static I window(const FxU32* row, I lane) { return gather(row, lane); }
  static I loadColour(const FxU32* p) { return _mm_loadu_si128(reinterpret_cast<const I*>(p)); }
  // Only the live lanes are read: the others' offsets may lie outside.
  static I gatherColour(const FxU32* base, const int32_t* offset, M live) {
    alignas(16) FxU32 held[kLanes] = {};
    for (unsigned bits = laneBits(live); bits; bits &= bits - 1) {
      const int k = __builtin_ctz(bits);
      held[k] = base[offset[k]];
    }
    return _mm_load_si128(reinterpret_cast<const I*>(held));
  }
  static I loadDepth(const FxU16* p) {
    return _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const I*>(p)), _mm_setzero_si128());
  }
  static I gatherDepth(const FxU16* d, const int32_t* o, M live) {
    alignas(16) int32_t held[kLanes] = {};
    for (unsigned bits = laneBits(live); bits; bits &= bits - 1) {
      const int k = __builtin_ctz(bits);
      held[k] = d[o[k]];
    }
    return _mm_load_si128(reinterpret_cast<const I*>(held));
  }
  // Four pixels of a row; the lanes not live store back what they held.
  static void storeColour(FxU32* p, I held, I value, M live) {
    _mm_storeu_si128(reinterpret_cast<I*>(p), select(live, value, held));
  }
  // Values 0..0xFFFF packed to 16 bits (sign-extended first, as the only
  // 32-to-16 pack SSE2 has saturates signed), merged into the row's four.
  static void storeDepth(FxU16* p, I value, M live) {
    const I packed = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(value, 16), 16), value);
    const M packedLive = {_mm_packs_epi32(live.bits, live.bits)};
    I* target = reinterpret_cast<I*>(p);
    _mm_storel_epi64(target, select(packedLive, packed, _mm_loadl_epi64(target)));
  }
};

}  // namespace
}  // namespace glide
