// The fast pixel path a vector of pixels at a time, written once for every
// vector width: V is Avx2 (8 pixels, simd_avx2.h), Avx512 (16 pixels,
// simd_avx512.h) or Simd128 (4 pixels, WebAssembly, simd_simd128.h). Every
// step repeats the portable path's single-precision arithmetic in the same
// order, without fused multiply-add, so the pixels are identical whatever
// the width.
//
// Included by one source file per instruction set, after its simd_*.h.
// Everything here has internal linkage and calls no inline function of the
// shared headers: code built for one instruction set must never be picked by
// the linker for a caller built for another.
#pragma once

#include "span_fast.h"

namespace glide {
namespace {

// Plane::spanStart, written out here (see above).
inline float startOf(const Plane& p, int x, int y) { return float(p.base + p.dx * x + p.dy * y); }

inline ptrdiff_t rowOffsetOf(const Target& t, int y) {
  return ptrdiff_t(t.rowOfScreenY0 + t.rowStep * y) * t.width;
}

// A vector of pixels: their attributes at the start of their spans and
// their indices from there, so each value is start + index * step as in the
// portable path.
template <class V>
struct Lanes {
  typename V::F oow0, sow0, tow0, a0, index;
};

// Where the pixels are: side by side from colour / depth, or scattered, at
// colour / depth + offset[lane].
struct Pixels {
  FxU32* colour;
  FxU16* depth;
  const int32_t* offset;  // only when scattered
};

template <class V>
typename V::F alongLanes(typename V::F start, typename V::F step, typename V::F index) {
  return V::add(start, V::mul(index, step));
}

// wDepth() for a vector.
template <class V>
typename V::I wDepthLanes(typename V::F oow, typename V::F w) {
  using I = typename V::I;
  const I wBits = V::bitsOf(w);
  const I exponent = V::sub32(V::template shiftRight<23>(wBits), V::set1i(127));
  I value = V::or32(V::template shiftLeft<12>(exponent),
                    V::and32(V::template shiftRight<11>(wBits), V::set1i(0xFFF)));
  value = V::select(V::template compare<kNotGreater>(w, V::set1(1.0f)), V::set1i(0), value);
  value = V::select(V::template compare<kNotLess>(w, V::set1(65536.0f)), V::set1i(0xFFFF), value);
  return V::select(V::template compare<kNotGreater>(oow, V::set1(0.0f)), V::set1i(0xFFFF), value);
}

template <class V>
__attribute__((always_inline)) inline typename V::M depthPassesLanes(GrCmpFnc_t function, typename V::I value, typename V::I stored) {
  switch (function) {
    case GR_CMP_NEVER: return V::none();
    case GR_CMP_LESS: return V::greater(stored, value);
    case GR_CMP_EQUAL: return V::equal(value, stored);
    case GR_CMP_LEQUAL: return V::inverse(V::greater(value, stored));
    case GR_CMP_GREATER: return V::greater(value, stored);
    case GR_CMP_NOTEQUAL: return V::inverse(V::equal(value, stored));
    case GR_CMP_GEQUAL: return V::inverse(V::greater(stored, value));
    default: return V::all();
  }
}

// toFixedTexel() for a vector.
template <class V>
typename V::I toFixedLanes(typename V::F texels) {
  using F = typename V::F;
  const F limit = V::set1(1073741824.0f), lowest = V::set1(-1073741824.0f);
  F scaled = V::mul(texels, V::set1(256.0f));
  scaled = V::select(V::template compare<kGreater>(scaled, lowest), scaled, lowest);
  scaled = V::min(scaled, limit);
  return V::truncate(V::floor(scaled));
}

template <class V>
typename V::I wrapOrClampLanes(typename V::I i, typename V::I sizeMinusOne, bool clamp) {
  if (clamp) return V::min32(V::max32(i, V::set1i(0)), sizeMinusOne);
  return V::and32(i, sizeMinusOne);
}

// blendTexels() on two channels per lane (its 16-bit halves): the u step,
// then the v step, each rounded to 8 bits.
template <class V>
typename V::I lerp16(typename V::I a, typename V::I b, typename V::I weightB) {
  const typename V::I weightA = V::sub16(V::set1x16(256), weightB);
  const typename V::I sum = V::add16(V::mul16(a, weightA), V::mul16(b, weightB));
  return V::template shiftRight16<8>(V::add16(sum, V::set1x16(128)));
}

// scale255(c, alpha) per 16-bit half: (c alpha + 127) / 255, computed as
// (q + (q >> 8)) >> 8 with q = c alpha + 128 (exact for c, alpha <= 255).
template <class V>
typename V::I scale255Halves(typename V::I c, typename V::I alpha16) {
  const typename V::I q = V::add16(V::mul16(c, alpha16), V::set1x16(128));
  return V::template shiftRight16<8>(V::add16(q, V::template shiftRight16<8>(q)));
}

// selectLevel() (no bias) from footprint2() at s, t (level-0 coordinates
// over 256) with w = 1 / oow.
template <class V>
__attribute__((always_inline)) inline typename V::I levelLanes(const Triangle& tri, const Mipmap& m, typename V::F s, typename V::F t,
                                                               typename V::F w, typename V::F tpu) {
  using F = typename V::F;
  using I = typename V::I;
  auto derivative = [&](float coordStep, float oowStep, F coord) {
    const F d = V::sub(V::set1(coordStep), V::mul(coord, V::set1(oowStep)));
    return V::mul(V::mul(d, w), tpu);
  };
  const F dudx = derivative(tri.sow.stepX, tri.oow.stepX, s);
  const F dvdx = derivative(tri.tow.stepX, tri.oow.stepX, t);
  const F dudy = derivative(tri.sow.stepY, tri.oow.stepY, s);
  const F dvdy = derivative(tri.tow.stepY, tri.oow.stepY, t);
  const F rhoX = V::add(V::mul(dudx, dudx), V::mul(dvdx, dvdx));
  const F rhoY = V::add(V::mul(dudy, dudy), V::mul(dvdy, dvdy));
  const F rho2 = V::max(rhoX, rhoY);
  // frexp's exponent is the biased exponent - 126; the level is half of it.
  const I exponent = V::sub32(V::and32(V::template shiftRight<23>(V::bitsOf(rho2)), V::set1i(0xFF)),
                              V::set1i(126));
  const I last = V::set1i(m.levelCount - 1);
  I level = V::template shiftRightSigned<1>(exponent);
  level = V::select(V::template compare<kGreater>(rho2, V::set1(1e30f)), last, level);
  level = V::select(V::template compare<kNotGreaterOrEqual>(rho2, V::set1(1.0f)), V::set1i(0), level);
  return V::min32(V::max32(level, V::set1i(0)), last);
}

// The four texels of each lane's bilinear sample: rows A and B at columns xa
// and xb. Where every xb is xa + 1 (no wrap or clamp between them) a pair is
// one 64-bit element, half the elements to gather; where, besides, all lanes
// read the same two rows within one vector's width of texels (magnified maps
// along a row, as the backdrop), the texels come from two loads per row.
template <class V, bool kAlongARow, bool kRowsShared>
__attribute__((always_inline)) inline void fetchTexels(const FxU32* storage, typename V::I rowA,
                                                       typename V::I rowB, typename V::I xa,
                                                       typename V::I xb, typename V::I* t00,
                                                       typename V::I* t10, typename V::I* t01,
                                                       typename V::I* t11) {
  using I = typename V::I;
  if (!V::every(V::equal(xb, V::add32(xa, V::set1i(1))))) {
    *t00 = V::gather(storage, V::add32(rowA, xa));
    *t10 = V::gather(storage, V::add32(rowA, xb));
    *t01 = V::gather(storage, V::add32(rowB, xa));
    *t11 = V::gather(storage, V::add32(rowB, xb));
    return;
  }
  if (kAlongARow &&
      (kRowsShared || V::every(V::both(V::equal(rowA, V::broadcastFirst(rowA)),
                                       V::equal(rowB, V::broadcastFirst(rowB)))))) {
    // Columns rise or fall along a span: the window starts at the first
    // lane's, or ends there. Storage has a vector's width of spare texels.
    const I lastLane = V::set1i(V::kLanes - 1);
    I lane = V::sub32(xa, V::broadcastFirst(xa));
    int32_t start = V::first(xa);
    if (!V::every(V::atMost(lane, lastLane))) {
      lane = V::add32(lane, lastLane);
      start -= V::kLanes - 1;
    }
    if (start >= 0 && V::every(V::atMost(lane, lastLane))) {
      const FxU32* a = storage + V::first(rowA) + start;
      const FxU32* b = storage + V::first(rowB) + start;
      *t00 = V::window(a, lane);
      *t10 = V::window(a + 1, lane);
      *t01 = V::window(b, lane);
      *t11 = V::window(b + 1, lane);
      return;
    }
  }
  V::gatherPairs(storage, V::add32(rowA, xa), t00, t10);
  V::gatherPairs(storage, V::add32(rowB, xa), t01, t11);
}

// What a level of detail fixes: the scale from level-0 texels, the level's
// size as shifts and masks, where its texels start.
template <class V>
struct LevelShape {
  typename V::F scale;
  typename V::I widthShift, widthMask, heightMask, base;
};

template <class V>
__attribute__((always_inline)) inline LevelShape<V> levelShape(const Mipmap& m, typename V::I level) {
  using I = typename V::I;
  const I zero = V::set1i(0), one = V::set1i(1);
  LevelShape<V> shape;
  shape.scale = V::fromBits(V::template shiftLeft<23>(V::sub32(V::set1i(127), level)));
  shape.widthShift = V::max32(V::sub32(V::set1i(m.levels[0].widthShift), level), zero);
  const I heightShift = V::max32(V::sub32(V::set1i(m.levels[0].heightShift), level), zero);
  shape.widthMask = V::sub32(V::shiftLeft(one, shape.widthShift), one);
  shape.heightMask = V::sub32(V::shiftLeft(one, heightShift), one);
  shape.base = V::levelBase(m.levelOffset, level);
  return shape;
}

// The t side of a bilinear sample: the two texel rows (offsets in storage)
// and the weight of the second, in both 16-bit halves.
template <class V>
struct TexelRows {
  typename V::I rowA, rowB, weight16;
};

template <class V>
__attribute__((always_inline)) inline TexelRows<V> texelRows(const Mipmap& m, const LevelShape<V>& shape,
                                                             typename V::F t, typename V::F tpu) {
  using I = typename V::I;
  // Level texel coordinates in 1/256 steps, texel centres at +128.
  const I v = V::sub32(toFixedLanes<V>(V::mul(V::mul(t, tpu), shape.scale)), V::set1i(128));
  const I y0 = V::template shiftRightSigned<8>(v);
  const I fv = V::and32(v, V::set1i(255));
  const I ya = wrapOrClampLanes<V>(y0, shape.heightMask, m.clampT);
  const I yb = wrapOrClampLanes<V>(V::add32(y0, V::set1i(1)), shape.heightMask, m.clampT);
  return {V::add32(shape.base, V::shiftLeft(ya, shape.widthShift)),
          V::add32(shape.base, V::shiftLeft(yb, shape.widthShift)),
          V::or32(fv, V::template shiftLeft<16>(fv))};
}

// A bilinear sample's colour: red and blue in one set of 16-bit halves,
// green and alpha in the other.
template <class V>
struct Texel {
  typename V::I redBlue, greenAlpha;
};

template <class V, bool kAlongARow, bool kRowsShared>
__attribute__((always_inline)) inline Texel<V> bilinearSample(const Mipmap& m, const LevelShape<V>& shape,
                                                              const TexelRows<V>& rows, typename V::F s,
                                                              typename V::F tpu) {
  using I = typename V::I;
  const I u = V::sub32(toFixedLanes<V>(V::mul(V::mul(s, tpu), shape.scale)), V::set1i(128));
  const I x0 = V::template shiftRightSigned<8>(u);
  const I fu = V::and32(u, V::set1i(255));
  const I xa = wrapOrClampLanes<V>(x0, shape.widthMask, m.clampS);
  const I xb = wrapOrClampLanes<V>(V::add32(x0, V::set1i(1)), shape.widthMask, m.clampS);
  I t00, t10, t01, t11;
  fetchTexels<V, kAlongARow, kRowsShared>(m.levels[0].texels, rows.rowA, rows.rowB, xa, xb, &t00,
                                          &t10, &t01, &t11);
  const I byteMask = V::set1i(0x00FF00FF);
  const I fu16 = V::or32(fu, V::template shiftLeft<16>(fu));
  auto redBlueOf = [&](I texel) { return V::and32(texel, byteMask); };
  auto greenAlphaOf = [&](I texel) { return V::and32(V::template shiftRight<8>(texel), byteMask); };
  return {lerp16<V>(lerp16<V>(redBlueOf(t00), redBlueOf(t10), fu16),
                    lerp16<V>(redBlueOf(t01), redBlueOf(t11), fu16), rows.weight16),
          lerp16<V>(lerp16<V>(greenAlphaOf(t00), greenAlphaOf(t10), fu16),
                    lerp16<V>(greenAlphaOf(t01), greenAlphaOf(t11), fu16), rows.weight16)};
}

// How much of a vector's work stays the same along its span.
enum class Along {
  pixel,  // nothing: oow changes from pixel to pixel (perspective)
  flat,   // oow does not change: w and the depth value are the span's
  row,    // flat, one level of detail, and t does not change: the texel rows are the span's
};

// What is worked out once per span.
template <class V>
struct SpanValues {
  typename V::F w;
  typename V::I depthValue;
  bool constantLevel;  // level is that of every pixel with finite s, t
  typename V::I level;
  LevelShape<V> shape;  // row: of level
  TexelRows<V> rows;    // row
};

// Depth stage: the depth value of each lane and the compare with the buffer.
template <class V, bool kScattered>
__attribute__((always_inline)) inline typename V::M depthTest(const DrawState& state, typename V::I value,
                                                              const Pixels& pixels, typename V::M live) {
  const typename V::I stored = kScattered ? V::gatherDepth(pixels.depth, pixels.offset, live)
                                          : V::loadDepth(pixels.depth);
  return V::both(live, depthPassesLanes<V>(state.render.depthFunction, value, stored));
}

// Colour combine stage: texel x iterated alpha (clamped as
// iteratedChannel()), with that alpha.
template <class V>
__attribute__((always_inline)) inline typename V::I combineColour(const Texel<V>& texel,
                                                                  typename V::I alpha) {
  using I = typename V::I;
  const I alpha16 = V::or32(alpha, V::template shiftLeft<16>(alpha));
  const I source = V::or32(scale255Halves<V>(texel.redBlue, alpha16),
                           V::and32(V::template shiftLeft<8>(scale255Halves<V>(texel.greenAlpha, alpha16)),
                                    V::set1i(0xFF00)));
  return V::or32(source, V::template shiftLeft<24>(alpha));
}

template <class V>
__attribute__((always_inline)) inline typename V::I iteratedAlpha(typename V::F av) {
  const typename V::I alpha = V::truncate(V::min(av, V::set1(255.0f)));
  return V::select(V::template compare<kGreater>(av, V::set1(0.0f)), alpha, V::set1i(0));
}

// Chroma key stage: lanes whose texel colour is the key drop out.
template <class V>
__attribute__((always_inline)) inline typename V::M chromaKeep(const DrawState& state, const Texel<V>& texel,
                                                               typename V::M live) {
  const typename V::I rgb =
      V::or32(texel.redBlue, V::and32(V::template shiftLeft<8>(texel.greenAlpha), V::set1i(0xFF00)));
  return V::butNot(live, V::equal(rgb, V::set1i(int32_t(state.chromaRgb))));
}

// Blend stage: source + destination, saturating; alpha added or replaced.
template <class V>
__attribute__((always_inline)) inline typename V::I blendAdditive(const DrawState& state, typename V::I source,
                                                                  typename V::I held, typename V::I alpha) {
  const typename V::I result = V::addSaturated8(source, held);
  if (state.addAlpha) return result;
  return V::or32(V::and32(result, V::set1i(0xFFFFFF)), V::template shiftLeft<24>(alpha));
}

// Write stage.
template <class V, bool kDepth, bool kScattered>
__attribute__((always_inline)) inline void writePixels(const DrawState& state, const Pixels& pixels,
                                                       typename V::I held, typename V::I colour,
                                                       typename V::I depthValue, typename V::M live) {
  if (!kScattered) {
    V::storeColour(pixels.colour, held, colour, live);
    if (kDepth && state.depthWrite) V::storeDepth(pixels.depth, depthValue, live);
    return;
  }
  alignas(64) int32_t colours[V::kLanes], depths[V::kLanes];
  V::store(colours, colour);
  V::store(depths, depthValue);
  for (unsigned bits = V::laneBits(live); bits; bits &= bits - 1) {
    const int k = __builtin_ctz(bits);
    pixels.colour[pixels.offset[k]] = FxU32(colours[k]);
    if (kDepth && state.depthWrite) pixels.depth[pixels.offset[k]] = FxU16(depths[k]);
  }
}

// Shades one vector of pixels; lanes not in `live` are left alone. The
// template flags fix the branches once per state and span.
template <class V, bool kDepth, bool kMipmapped, bool kChroma, bool kScattered, Along kAlong>
__attribute__((always_inline)) inline void shadePixels(const Triangle& tri, const Lanes<V>& lanes,
                                                       const SpanValues<V>& span, typename V::M live,
                                                       const Pixels& pixels) {
  using F = typename V::F;
  using I = typename V::I;
  const DrawState& state = *tri.state;
  const Mipmap& m = *tri.texture;
  const F index = lanes.index;
  const F tpu = V::set1(m.texelsPerUnit);

  F w = span.w;
  I depthValue = span.depthValue;
  if (kAlong == Along::pixel) {
    const F oow = alongLanes<V>(lanes.oow0, V::set1(tri.oow.stepX), index);
    w = V::div(V::set1(1.0f), oow);
    if (kDepth) depthValue = wDepthLanes<V>(oow, w);
  }
  const F s = V::mul(alongLanes<V>(lanes.sow0, V::set1(tri.sow.stepX), index), w);
  const F zero = V::set1(0.0f);
  const auto sFinite = V::template compare<kEqual>(V::sub(s, s), zero);

  Texel<V> texel;
  if (kAlong == Along::row) {
    // t was finite at the span's start; s must be too for the span's level.
    if (kMipmapped && !V::every(sFinite)) {
      shadePixels<V, kDepth, kMipmapped, kChroma, kScattered, Along::flat>(tri, lanes, span, live, pixels);
      return;
    }
    texel = bilinearSample<V, true, true>(m, span.shape, span.rows, s, tpu);
  } else {
    const F t = V::mul(alongLanes<V>(lanes.tow0, V::set1(tri.tow.stepX), index), w);
    I level = V::set1i(0);
    if (kMipmapped) {
      // Where oow does not change along x or y, the level depends on w alone
      // wherever s and t are finite (their products with the zero steps
      // vanish), so a span's level is worked out once.
      const auto finite = V::both(sFinite, V::template compare<kEqual>(V::sub(t, t), zero));
      level = span.constantLevel && V::every(finite) ? span.level : levelLanes<V>(tri, m, s, t, w, tpu);
    }
    const LevelShape<V> shape = levelShape<V>(m, level);
    texel = bilinearSample<V, !kScattered, false>(m, shape, texelRows<V>(m, shape, t, tpu), s, tpu);
  }

  if (kDepth) live = depthTest<V, kScattered>(state, depthValue, pixels, live);
  if (kChroma) live = chromaKeep<V>(state, texel, live);
  const I alpha = iteratedAlpha<V>(alongLanes<V>(lanes.a0, V::set1(tri.a.stepX), index));
  const I held = kScattered ? V::gatherColour(pixels.colour, pixels.offset, live) : V::loadColour(pixels.colour);
  const I colour = blendAdditive<V>(state, combineColour<V>(texel, alpha), held, alpha);
  writePixels<V, kDepth, kScattered>(state, pixels, held, colour, depthValue, live);
}

// Shades the first vector of pixels collected in the scratch (all of one
// triangle). Lanes past the count hold what earlier pixels left there:
// offsets inside the buffers, attributes whose texels lie inside the map
// whatever they are; nothing of them is stored.
template <class V, bool kDepth, bool kMipmapped, bool kChroma>
void shadeCollected(SpanScratch& b) {
  const Triangle& tri = *b.triangle;
  const Lanes<V> lanes = {V::load(b.oow0), V::load(b.sow0), V::load(b.tow0), V::load(b.a0),
                          V::load(b.index)};
  const SpanValues<V> none{};
  shadePixels<V, kDepth, kMipmapped, kChroma, true, Along::pixel>(
      tri, lanes, none, V::firstLanes(b.count < V::kLanes ? b.count : V::kLanes),
      Pixels{tri.state->target.colour, tri.state->target.depth, b.offset});
}

// Collects pixels first .. end - 1 (fewer than a vector) of a span whose
// attributes start as given, shading a vector whenever one is full.
template <class V, bool kDepth, bool kMipmapped, bool kChroma>
void collect(const Triangle& tri, SpanScratch& b, int32_t rowStart, int first, int end, float oow0,
             float sow0, float tow0, float a0) {
  const int k = b.count;
  b.triangle = &tri;
  V::storeAt(b.oow0 + k, V::set1(oow0));
  V::storeAt(b.sow0 + k, V::set1(sow0));
  V::storeAt(b.tow0 + k, V::set1(tow0));
  V::storeAt(b.a0 + k, V::set1(a0));
  V::storeAt(b.index + k, V::add(V::set1(float(first)), V::laneIndex()));
  V::storeAt(b.offset + k, V::add32(V::set1i(rowStart + first), V::laneIndexInt()));
  b.count += end - first;
  if (b.count < V::kLanes) return;
  shadeCollected<V, kDepth, kMipmapped, kChroma>(b);
  b.count -= V::kLanes;
  V::storeAt(b.oow0, V::loadAt(b.oow0 + V::kLanes));
  V::storeAt(b.sow0, V::loadAt(b.sow0 + V::kLanes));
  V::storeAt(b.tow0, V::loadAt(b.tow0 + V::kLanes));
  V::storeAt(b.a0, V::loadAt(b.a0 + V::kLanes));
  V::storeAt(b.index, V::loadAt(b.index + V::kLanes));
  V::storeAt(b.offset, V::loadAt(b.offset + V::kLanes));
}

// The whole vectors of a span, shaded in place.
template <class V, bool kDepth, bool kMipmapped, bool kChroma, Along kAlong>
void shadeVectors(const Triangle& tri, const Lanes<V>& start, const SpanValues<V>& span, FxU32* colour,
                  FxU16* depth, int first, int end) {
  Lanes<V> lanes = start;
  for (int i = first; i + V::kLanes <= end; i += V::kLanes) {
    lanes.index = V::add(V::set1(float(i)), V::laneIndex());
    shadePixels<V, kDepth, kMipmapped, kChroma, false, kAlong>(
        tri, lanes, span, V::all(), Pixels{colour + i, kDepth ? depth + i : nullptr, nullptr});
  }
}

// Shades whole vectors of a span in place and collects the rest.
template <class V, bool kDepth, bool kMipmapped, bool kChroma>
void shadeSpan(const Triangle& tri, SpanScratch& scratch, int y, int origin, int x0, int x1) {
  using F = typename V::F;
  const Target& target = tri.state->target;
  const ptrdiff_t row = rowOffsetOf(target, y);
  FxU32* colour = target.colour + row + origin;
  FxU16* depth = kDepth ? target.depth + row + origin : nullptr;
  const float oow0 = startOf(tri.oow, origin, y), sow0 = startOf(tri.sow, origin, y),
              tow0 = startOf(tri.tow, origin, y), a0 = startOf(tri.a, origin, y);
  const int end = x1 - origin;
  int i = x0 - origin;
  if (end - i >= V::kLanes) {
    const Mipmap& m = *tri.texture;
    const Lanes<V> lanes = {V::set1(oow0), V::set1(sow0), V::set1(tow0), V::set1(a0), V::set1(0.0f)};
    const F tpu = V::set1(m.texelsPerUnit), zero = V::set1(0.0f);
    SpanValues<V> span{};
    span.w = V::div(V::set1(1.0f), lanes.oow0);
    span.constantLevel = kMipmapped && tri.oow.stepX == 0.0f && tri.oow.stepY == 0.0f;
    if (span.constantLevel) span.level = levelLanes<V>(tri, m, zero, zero, span.w, tpu);
    if (tri.oow.stepX != 0.0f) {
      shadeVectors<V, kDepth, kMipmapped, kChroma, Along::pixel>(tri, lanes, span, colour, depth, i, end);
    } else {
      if (kDepth) span.depthValue = wDepthLanes<V>(lanes.oow0, span.w);
      const float t = tow0 * (1.0f / oow0);
      if (tri.tow.stepX == 0.0f && (!kMipmapped || span.constantLevel) && t - t == 0.0f) {
        span.shape = levelShape<V>(m, span.level);
        span.rows = texelRows<V>(m, span.shape, V::set1(t), tpu);
        shadeVectors<V, kDepth, kMipmapped, kChroma, Along::row>(tri, lanes, span, colour, depth, i, end);
      } else {
        shadeVectors<V, kDepth, kMipmapped, kChroma, Along::flat>(tri, lanes, span, colour, depth, i, end);
      }
    }
    i += (end - i) / V::kLanes * V::kLanes;
  }
  if (i < end)
    collect<V, kDepth, kMipmapped, kChroma>(tri, scratch, int32_t(row + origin), i, end, oow0, sow0,
                                            tow0, a0);
}

template <class V, bool kDepth, bool kMipmapped, bool kChroma>
void finishSpans(SpanScratch& scratch) {
  if (scratch.count == 0) return;
  shadeCollected<V, kDepth, kMipmapped, kChroma>(scratch);
  scratch.count = 0;
}

// The kernels of one instruction set, indexed by fastKernelVariant().
template <class V, int kVariant>
constexpr Kernel variantKernel() {
  return {shadeSpan<V, (kVariant & kVariantDepth) != 0, (kVariant & kVariantMipmapped) != 0,
                    (kVariant & kVariantChroma) != 0>,
          finishSpans<V, (kVariant & kVariantDepth) != 0, (kVariant & kVariantMipmapped) != 0,
                      (kVariant & kVariantChroma) != 0>};
}

template <class V>
const Kernel kernelTable[kFastKernelVariants] = {
    variantKernel<V, 0>(), variantKernel<V, 1>(), variantKernel<V, 2>(), variantKernel<V, 3>(),
    variantKernel<V, 4>(), variantKernel<V, 5>(), variantKernel<V, 6>(), variantKernel<V, 7>()};

}  // namespace
}  // namespace glide
