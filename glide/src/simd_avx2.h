// Eight pixels per vector with AVX2: the operations the fast pixel kernel
// (span_kernel.h) is written in. Include only from a file built with -mavx2.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "glide.h"

namespace glide {
namespace {

struct Avx2 {
  static constexpr int kLanes = 8;
  using F = __m256;
  using I = __m256i;
  struct M {
    __m256i bits;  // all ones in a lane that is set
  };

  // ---- single precision ----
  static F set1(float v) { return _mm256_set1_ps(v); }
  static F load(const float* p) { return _mm256_load_ps(p); }
  static F laneIndex() { return _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7); }
  static void storeAt(float* p, F v) { _mm256_storeu_ps(p, v); }
  static F loadAt(const float* p) { return _mm256_loadu_ps(p); }
  static F add(F a, F b) { return _mm256_add_ps(a, b); }
  static F sub(F a, F b) { return _mm256_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm256_mul_ps(a, b); }
  static F div(F a, F b) { return _mm256_div_ps(a, b); }
  // a < b ? a : b and a > b ? a : b, as the instructions define them.
  static F min(F a, F b) { return _mm256_min_ps(a, b); }
  static F max(F a, F b) { return _mm256_max_ps(a, b); }
  static F floor(F a) { return _mm256_floor_ps(a); }
  static I truncate(F a) { return _mm256_cvttps_epi32(a); }
  static I bitsOf(F a) { return _mm256_castps_si256(a); }
  static F fromBits(I a) { return _mm256_castsi256_ps(a); }
  template <int kPredicate>
  static M compare(F a, F b) {
    return {_mm256_castps_si256(_mm256_cmp_ps(a, b, kPredicate))};
  }
  static F select(M m, F ifSet, F otherwise) {
    return _mm256_blendv_ps(otherwise, ifSet, _mm256_castsi256_ps(m.bits));
  }

  // ---- 32-bit integers ----
  static I set1i(int32_t v) { return _mm256_set1_epi32(v); }
  static I loadi(const int32_t* p) { return _mm256_load_si256(reinterpret_cast<const I*>(p)); }
  static void store(int32_t* p, I v) { _mm256_store_si256(reinterpret_cast<I*>(p), v); }
  static void storeAt(int32_t* p, I v) { _mm256_storeu_si256(reinterpret_cast<I*>(p), v); }
  static I loadAt(const int32_t* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
  static I laneIndexInt() { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
  static I add32(I a, I b) { return _mm256_add_epi32(a, b); }
  static I sub32(I a, I b) { return _mm256_sub_epi32(a, b); }
  static I and32(I a, I b) { return _mm256_and_si256(a, b); }
  static I or32(I a, I b) { return _mm256_or_si256(a, b); }
  static I min32(I a, I b) { return _mm256_min_epi32(a, b); }
  static I max32(I a, I b) { return _mm256_max_epi32(a, b); }
  static I shiftLeft(I a, I count) { return _mm256_sllv_epi32(a, count); }
  template <int kBits>
  static I shiftLeft(I a) { return _mm256_slli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRight(I a) { return _mm256_srli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRightSigned(I a) { return _mm256_srai_epi32(a, kBits); }
  static M equal(I a, I b) { return {_mm256_cmpeq_epi32(a, b)}; }
  static M greater(I a, I b) { return {_mm256_cmpgt_epi32(a, b)}; }
  // 0 <= a <= limit, as unsigned.
  static M atMost(I a, I limit) { return {_mm256_cmpeq_epi32(_mm256_min_epu32(a, limit), a)}; }
  static I select(M m, I ifSet, I otherwise) { return _mm256_blendv_epi8(otherwise, ifSet, m.bits); }
  static I broadcastFirst(I a) { return _mm256_broadcastd_epi32(_mm256_castsi256_si128(a)); }
  static int32_t first(I a) { return _mm256_cvtsi256_si32(a); }

  // ---- two 16-bit halves per lane, bytes ----
  static I set1x16(int16_t v) { return _mm256_set1_epi16(v); }
  static I add16(I a, I b) { return _mm256_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm256_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm256_mullo_epi16(a, b); }
  template <int kBits>
  static I shiftRight16(I a) { return _mm256_srli_epi16(a, kBits); }
  static I addSaturated8(I a, I b) { return _mm256_adds_epu8(a, b); }

  // ---- lane masks ----
  static M all() { return {_mm256_set1_epi32(-1)}; }
  static M none() { return {_mm256_setzero_si256()}; }
  static M both(M a, M b) { return {_mm256_and_si256(a.bits, b.bits)}; }
  static M either(M a, M b) { return {_mm256_or_si256(a.bits, b.bits)}; }
  static M inverse(M a) { return {_mm256_xor_si256(a.bits, _mm256_set1_epi32(-1))}; }
  static M butNot(M a, M b) { return {_mm256_andnot_si256(b.bits, a.bits)}; }
  static bool every(M m) { return _mm256_movemask_epi8(m.bits) == -1; }
  static unsigned laneBits(M m) { return unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(m.bits))); }
  static M firstLanes(int n) {
    return {_mm256_cmpgt_epi32(_mm256_set1_epi32(n), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7))};
  }

  // ---- memory ----
  // offsets[level] for each lane (levels 0..8).
  static I levelBase(const int32_t* offsets, I level) {
    I base = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const I*>(offsets)),
                                         level);
    return _mm256_blendv_epi8(base, _mm256_set1_epi32(offsets[8]),
                              _mm256_cmpeq_epi32(level, _mm256_set1_epi32(8)));
  }
  static I gather(const FxU32* base, I index) {
    return _mm256_i32gather_epi32(reinterpret_cast<const int*>(base), index, 4);
  }
  // base[index] and base[index + 1] of every lane, one 64-bit element each.
  static void gatherPairs(const FxU32* base, I index, I* left, I* right) {
    const long long* pairs = reinterpret_cast<const long long*>(base);
    const __m256 low = _mm256_castsi256_ps(
        _mm256_i32gather_epi64(pairs, _mm256_castsi256_si128(index), 4));
    const __m256 high = _mm256_castsi256_ps(
        _mm256_i32gather_epi64(pairs, _mm256_extracti128_si256(index, 1), 4));
    *left = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0x88)), 0xD8);
    *right = _mm256_permute4x64_epi64(_mm256_castps_si256(_mm256_shuffle_ps(low, high, 0xDD)), 0xD8);
  }
  // row[lane] of the eight values from row on, lane in 0..7.
  static I window(const FxU32* row, I lane) {
    return _mm256_permutevar8x32_epi32(_mm256_loadu_si256(reinterpret_cast<const I*>(row)), lane);
  }
  static I loadColour(const FxU32* p) { return _mm256_loadu_si256(reinterpret_cast<const I*>(p)); }
  // Only the live lanes are read: the others' offsets may lie outside.
  static I gatherColour(const FxU32* base, const int32_t* offset, M live) {
    return _mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(base),
                                       loadi(offset), live.bits, 4);
  }
  static I loadDepth(const FxU16* p) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
  }
  // 32 bits at each live lane's 16-bit value (the buffer has a spare value
  // at its end).
  static I gatherDepth(const FxU16* d, const int32_t* o, M live) {
    return _mm256_and_si256(_mm256_mask_i32gather_epi32(_mm256_setzero_si256(), reinterpret_cast<const int*>(d),
                                                        loadi(o), live.bits, 2),
                            _mm256_set1_epi32(0xFFFF));
  }
  // Eight pixels of a row; the lanes not live store back what they held
  // (masked stores are slow on some processors).
  static void storeColour(FxU32* p, I held, I value, M live) {
    _mm256_storeu_si256(reinterpret_cast<I*>(p), _mm256_blendv_epi8(held, value, live.bits));
  }
  static void storeDepth(FxU16* p, I value, M live) {
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi32(value, value), 0x08);
    const __m256i packedLive = _mm256_permute4x64_epi64(_mm256_packs_epi32(live.bits, live.bits), 0x08);
    __m128i* target = reinterpret_cast<__m128i*>(p);
    _mm_storeu_si128(target, _mm_blendv_epi8(_mm_loadu_si128(target), _mm256_castsi256_si128(packed),
                                             _mm256_castsi256_si128(packedLive)));
  }
};

}  // namespace
}  // namespace glide
