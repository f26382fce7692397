// Four pixels per vector with WebAssembly SIMD (the web build): the
// operations the fast pixel kernel (span_kernel.h) is written in, as
// simd_avx2.h gives them for eight. WebAssembly has no gather and no shift by
// a count per lane: texels and collected pixels are fetched lane by lane, and
// the shifts by texture sizes are multiplications by powers of two.
#pragma once

#include <wasm_simd128.h>

#include <cstdint>

#include "glide.h"
#include "span_fast.h"

namespace glide {
namespace {

struct Simd128 {
  static constexpr int kLanes = 4;
  // One register type for both: select() serves singles and integers.
  using F = v128_t;
  using I = v128_t;
  struct M {
    v128_t bits;  // all ones in a lane that is set
  };

  // ---- single precision ----
  static F set1(float v) { return wasm_f32x4_splat(v); }
  static F load(const float* p) { return wasm_v128_load(p); }
  static F laneIndex() { return wasm_f32x4_make(0, 1, 2, 3); }
  static void storeAt(float* p, F v) { wasm_v128_store(p, v); }
  static F loadAt(const float* p) { return wasm_v128_load(p); }
  static F add(F a, F b) { return wasm_f32x4_add(a, b); }
  static F sub(F a, F b) { return wasm_f32x4_sub(a, b); }
  static F mul(F a, F b) { return wasm_f32x4_mul(a, b); }
  static F div(F a, F b) { return wasm_f32x4_div(a, b); }
  // a < b ? a : b and a > b ? a : b, as x86's min and max: pmin(x, y) is
  // y < x ? y : x, so the operands are swapped.
  static F min(F a, F b) { return wasm_f32x4_pmin(b, a); }
  static F max(F a, F b) { return wasm_f32x4_pmax(b, a); }
  static F floor(F a) { return wasm_f32x4_floor(a); }
  // Saturating where x86 gives 0x80000000; the kernel converts only values
  // in range.
  static I truncate(F a) { return wasm_i32x4_trunc_sat_f32x4(a); }
  static I bitsOf(F a) { return a; }
  static F fromBits(I a) { return a; }
  template <int kPredicate>
  static M compare(F a, F b) {
    if constexpr (kPredicate == kEqual)
      return {wasm_f32x4_eq(a, b)};
    else if constexpr (kPredicate == kGreater)
      return {wasm_f32x4_gt(a, b)};
    else if constexpr (kPredicate == kNotGreater)
      return {wasm_v128_not(wasm_f32x4_gt(a, b))};
    else if constexpr (kPredicate == kNotLess)
      return {wasm_v128_not(wasm_f32x4_lt(a, b))};
    else {
      static_assert(kPredicate == kNotGreaterOrEqual, "a comparison the kernel makes");
      return {wasm_v128_not(wasm_f32x4_ge(a, b))};
    }
  }
  static v128_t select(M m, v128_t ifSet, v128_t otherwise) { return wasm_v128_bitselect(ifSet, otherwise, m.bits); }

  // ---- 32-bit integers ----
  static I set1i(int32_t v) { return wasm_i32x4_splat(v); }
  static void store(int32_t* p, I v) { wasm_v128_store(p, v); }
  static void storeAt(int32_t* p, I v) { wasm_v128_store(p, v); }
  static I loadAt(const int32_t* p) { return wasm_v128_load(p); }
  static I laneIndexInt() { return wasm_i32x4_make(0, 1, 2, 3); }
  static I add32(I a, I b) { return wasm_i32x4_add(a, b); }
  static I sub32(I a, I b) { return wasm_i32x4_sub(a, b); }
  static I and32(I a, I b) { return wasm_v128_and(a, b); }
  static I or32(I a, I b) { return wasm_v128_or(a, b); }
  static I min32(I a, I b) { return wasm_i32x4_min(a, b); }
  static I max32(I a, I b) { return wasm_i32x4_max(a, b); }
  // a << count for counts 0..30 (texture sizes): a x 2^count, the power made
  // in a float's exponent.
  static I shiftLeft(I a, I count) {
    const v128_t power = wasm_i32x4_trunc_sat_f32x4(wasm_i32x4_shl(wasm_i32x4_add(count, wasm_i32x4_splat(127)), 23));
    return wasm_i32x4_mul(a, power);
  }
  template <int kBits>
  static I shiftLeft(I a) { return wasm_i32x4_shl(a, kBits); }
  template <int kBits>
  static I shiftRight(I a) { return wasm_u32x4_shr(a, kBits); }
  template <int kBits>
  static I shiftRightSigned(I a) { return wasm_i32x4_shr(a, kBits); }
  static M equal(I a, I b) { return {wasm_i32x4_eq(a, b)}; }
  static M greater(I a, I b) { return {wasm_i32x4_gt(a, b)}; }
  // 0 <= a <= limit, as unsigned.
  static M atMost(I a, I limit) { return {wasm_i32x4_eq(wasm_u32x4_min(a, limit), a)}; }
  static I broadcastFirst(I a) { return wasm_i32x4_shuffle(a, a, 0, 0, 0, 0); }
  static int32_t first(I a) { return wasm_i32x4_extract_lane(a, 0); }

  // ---- two 16-bit halves per lane, bytes ----
  static I set1x16(int16_t v) { return wasm_i16x8_splat(v); }
  static I add16(I a, I b) { return wasm_i16x8_add(a, b); }
  static I sub16(I a, I b) { return wasm_i16x8_sub(a, b); }
  static I mul16(I a, I b) { return wasm_i16x8_mul(a, b); }
  template <int kBits>
  static I shiftRight16(I a) { return wasm_u16x8_shr(a, kBits); }
  static I addSaturated8(I a, I b) { return wasm_u8x16_add_sat(a, b); }

  // ---- lane masks ----
  static M all() { return {wasm_i32x4_splat(-1)}; }
  static M none() { return {wasm_i32x4_splat(0)}; }
  static M both(M a, M b) { return {wasm_v128_and(a.bits, b.bits)}; }
  static M inverse(M a) { return {wasm_v128_not(a.bits)}; }
  static M butNot(M a, M b) { return {wasm_v128_andnot(a.bits, b.bits)}; }
  static bool every(M m) { return wasm_i32x4_all_true(m.bits); }
  static unsigned laneBits(M m) { return unsigned(wasm_i32x4_bitmask(m.bits)); }
  static M firstLanes(int n) { return {wasm_i32x4_gt(wasm_i32x4_splat(n), wasm_i32x4_make(0, 1, 2, 3))}; }

  // ---- memory ----
  // offsets[level] for each lane (levels 0..8).
  static I levelBase(const int32_t* offsets, I level) {
    return wasm_i32x4_make(offsets[wasm_i32x4_extract_lane(level, 0)], offsets[wasm_i32x4_extract_lane(level, 1)],
                           offsets[wasm_i32x4_extract_lane(level, 2)], offsets[wasm_i32x4_extract_lane(level, 3)]);
  }
  static I gather(const FxU32* base, I index) {
    return wasm_u32x4_make(base[wasm_i32x4_extract_lane(index, 0)], base[wasm_i32x4_extract_lane(index, 1)],
                           base[wasm_i32x4_extract_lane(index, 2)], base[wasm_i32x4_extract_lane(index, 3)]);
  }
  // base[index] and base[index + 1] of every lane.
  static void gatherPairs(const FxU32* base, I index, I* left, I* right) {
    const FxU32 *p0 = base + wasm_i32x4_extract_lane(index, 0), *p1 = base + wasm_i32x4_extract_lane(index, 1),
                *p2 = base + wasm_i32x4_extract_lane(index, 2), *p3 = base + wasm_i32x4_extract_lane(index, 3);
    *left = wasm_u32x4_make(p0[0], p1[0], p2[0], p3[0]);
    *right = wasm_u32x4_make(p0[1], p1[1], p2[1], p3[1]);
  }
  // row[lane] of the four values from row on, lane in 0..3: the bytes of
  // lane k are 4 lane[k] .. 4 lane[k] + 3.
  static I window(const FxU32* row, I lane) {
    const v128_t bytes = wasm_i32x4_add(wasm_i32x4_mul(lane, wasm_i32x4_splat(0x04040404)),
                                        wasm_i32x4_splat(0x03020100));
    return wasm_i8x16_swizzle(wasm_v128_load(row), bytes);
  }
  static I loadColour(const FxU32* p) { return wasm_v128_load(p); }
  // Only the live lanes are read: the others' offsets may lie outside.
  static I gatherColour(const FxU32* base, const int32_t* offset, M live) {
    alignas(16) FxU32 held[kLanes] = {};
    for (unsigned bits = laneBits(live); bits; bits &= bits - 1) {
      const int k = __builtin_ctz(bits);
      held[k] = base[offset[k]];
    }
    return wasm_v128_load(held);
  }
  static I loadDepth(const FxU16* p) { return wasm_u32x4_load16x4(p); }
  static I gatherDepth(const FxU16* d, const int32_t* o, M live) {
    alignas(16) int32_t held[kLanes] = {};
    for (unsigned bits = laneBits(live); bits; bits &= bits - 1) {
      const int k = __builtin_ctz(bits);
      held[k] = d[o[k]];
    }
    return wasm_v128_load(held);
  }
  // Four pixels of a row; the lanes not live store back what they held.
  static void storeColour(FxU32* p, I held, I value, M live) {
    wasm_v128_store(p, wasm_v128_bitselect(value, held, live.bits));
  }
  static void storeDepth(FxU16* p, I value, M live) {
    alignas(16) int32_t values[kLanes];
    wasm_v128_store(values, value);
    for (unsigned bits = laneBits(live); bits; bits &= bits - 1) {
      const int k = __builtin_ctz(bits);
      p[k] = FxU16(values[k]);
    }
  }
};

}  // namespace
}  // namespace glide
