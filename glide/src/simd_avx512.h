// Sixteen pixels per vector with AVX-512 (F, BW, VL): the operations the
// fast pixel kernel (span_kernel.h) is written in, as simd_avx2.h gives them
// for eight. Include only from a file built with those instruction sets.
#pragma once

#include <immintrin.h>

#include <cstdint>

#include "glide.h"

namespace glide {
namespace {

struct Avx512 {
  static constexpr int kLanes = 16;
  using F = __m512;
  using I = __m512i;
  struct M {
    __mmask16 bits;
  };

  // ---- single precision ----
  static F set1(float v) { return _mm512_set1_ps(v); }
  static F load(const float* p) { return _mm512_load_ps(p); }
  static void storeAt(float* p, F v) { _mm512_storeu_ps(p, v); }
  static F loadAt(const float* p) { return _mm512_loadu_ps(p); }
  static F laneIndex() {
    return _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  }
  static F add(F a, F b) { return _mm512_add_ps(a, b); }
  static F sub(F a, F b) { return _mm512_sub_ps(a, b); }
  static F mul(F a, F b) { return _mm512_mul_ps(a, b); }
  static F div(F a, F b) { return _mm512_div_ps(a, b); }
  static F min(F a, F b) { return _mm512_min_ps(a, b); }
  static F max(F a, F b) { return _mm512_max_ps(a, b); }
  static F floor(F a) { return _mm512_roundscale_ps(a, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC); }
  static I truncate(F a) { return _mm512_cvttps_epi32(a); }
  static I bitsOf(F a) { return _mm512_castps_si512(a); }
  static F fromBits(I a) { return _mm512_castsi512_ps(a); }
  template <int kPredicate>
  static M compare(F a, F b) {
    return {_mm512_cmp_ps_mask(a, b, kPredicate)};
  }
  static F select(M m, F ifSet, F otherwise) { return _mm512_mask_blend_ps(m.bits, otherwise, ifSet); }

  // ---- 32-bit integers ----
  static I set1i(int32_t v) { return _mm512_set1_epi32(v); }
  static I loadi(const int32_t* p) { return _mm512_load_si512(p); }
  static void store(int32_t* p, I v) { _mm512_store_si512(p, v); }
  static void storeAt(int32_t* p, I v) { _mm512_storeu_si512(p, v); }
  static I loadAt(const int32_t* p) { return _mm512_loadu_si512(p); }
  static I laneIndexInt() { return _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15); }
  static I add32(I a, I b) { return _mm512_add_epi32(a, b); }
  static I sub32(I a, I b) { return _mm512_sub_epi32(a, b); }
  static I and32(I a, I b) { return _mm512_and_si512(a, b); }
  static I or32(I a, I b) { return _mm512_or_si512(a, b); }
  static I min32(I a, I b) { return _mm512_min_epi32(a, b); }
  static I max32(I a, I b) { return _mm512_max_epi32(a, b); }
  static I shiftLeft(I a, I count) { return _mm512_sllv_epi32(a, count); }
  template <int kBits>
  static I shiftLeft(I a) { return _mm512_slli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRight(I a) { return _mm512_srli_epi32(a, kBits); }
  template <int kBits>
  static I shiftRightSigned(I a) { return _mm512_srai_epi32(a, kBits); }
  static M equal(I a, I b) { return {_mm512_cmpeq_epi32_mask(a, b)}; }
  static M greater(I a, I b) { return {_mm512_cmpgt_epi32_mask(a, b)}; }
  static M atMost(I a, I limit) { return {_mm512_cmple_epu32_mask(a, limit)}; }
  static I select(M m, I ifSet, I otherwise) { return _mm512_mask_blend_epi32(m.bits, otherwise, ifSet); }
  static I broadcastFirst(I a) { return _mm512_broadcastd_epi32(_mm512_castsi512_si128(a)); }
  static int32_t first(I a) { return _mm_cvtsi128_si32(_mm512_castsi512_si128(a)); }

  // ---- two 16-bit halves per lane, bytes ----
  static I set1x16(int16_t v) { return _mm512_set1_epi16(v); }
  static I add16(I a, I b) { return _mm512_add_epi16(a, b); }
  static I sub16(I a, I b) { return _mm512_sub_epi16(a, b); }
  static I mul16(I a, I b) { return _mm512_mullo_epi16(a, b); }
  template <int kBits>
  static I shiftRight16(I a) { return _mm512_srli_epi16(a, kBits); }
  static I addSaturated8(I a, I b) { return _mm512_adds_epu8(a, b); }

  // ---- lane masks ----
  static M all() { return {__mmask16(0xFFFF)}; }
  static M none() { return {__mmask16(0)}; }
  static M both(M a, M b) { return {__mmask16(a.bits & b.bits)}; }
  static M either(M a, M b) { return {__mmask16(a.bits | b.bits)}; }
  static M inverse(M a) { return {__mmask16(~a.bits)}; }
  static M butNot(M a, M b) { return {__mmask16(a.bits & ~b.bits)}; }
  static bool every(M m) { return m.bits == 0xFFFF; }
  static unsigned laneBits(M m) { return m.bits; }
  static M firstLanes(int n) { return {__mmask16((1u << n) - 1u)}; }

  // ---- memory ----
  // offsets[level] for each lane (levels 0..15).
  static I levelBase(const int32_t* offsets, I level) {
    return _mm512_permutexvar_epi32(level, _mm512_loadu_si512(offsets));
  }
  static I gather(const FxU32* base, I index) { return _mm512_i32gather_epi32(index, base, 4); }
  // base[index] and base[index + 1] of every lane, one 64-bit element each.
  static void gatherPairs(const FxU32* base, I index, I* left, I* right) {
    const I low = _mm512_i32gather_epi64(_mm512_castsi512_si256(index), base, 4);
    const I high = _mm512_i32gather_epi64(_mm512_extracti64x4_epi64(index, 1), base, 4);
    const I even = _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    const I odd = _mm512_setr_epi32(1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31);
    *left = _mm512_permutex2var_epi32(low, even, high);
    *right = _mm512_permutex2var_epi32(low, odd, high);
  }
  // row[lane] of the sixteen values from row on, lane in 0..15.
  static I window(const FxU32* row, I lane) {
    return _mm512_permutexvar_epi32(lane, _mm512_loadu_si512(row));
  }
  static I loadColour(const FxU32* p) { return _mm512_loadu_si512(p); }
  // Only the live lanes are read: the others' offsets may lie outside.
  static I gatherColour(const FxU32* base, const int32_t* offset, M live) {
    return _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), live.bits, loadi(offset), base, 4);
  }
  static I loadDepth(const FxU16* p) {
    return _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
  }
  // 32 bits at each live lane's 16-bit value (the buffer has a spare value
  // at its end).
  static I gatherDepth(const FxU16* d, const int32_t* o, M live) {
    return _mm512_and_si512(_mm512_mask_i32gather_epi32(_mm512_setzero_si512(), live.bits, loadi(o), d, 2),
                            _mm512_set1_epi32(0xFFFF));
  }
  // Sixteen pixels of a row; only the live lanes are written.
  static void storeColour(FxU32* p, I, I value, M live) { _mm512_mask_storeu_epi32(p, live.bits, value); }
  static void storeDepth(FxU16* p, I value, M live) {
    _mm256_mask_storeu_epi16(p, live.bits, _mm512_cvtepi32_epi16(value));
  }
};

}  // namespace
}  // namespace glide
