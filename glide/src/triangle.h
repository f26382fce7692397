// A set-up triangle as the rasterizer and the pixel path see it: attribute
// planes over the buffer's pixel grid, its outline in fixed point, and the
// snapshot of the state it is drawn with.
#pragma once

#include <cstdint>

#include "draw_state.h"

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

// Up to 3 corners, plus one for each side of the guard band that clips them.
constexpr int kMaxOutline = 9;

struct Triangle;
struct SpanScratch;

// Shades the pixels x0..x1-1 of screen row y (inside the buffer). The
// attributes are evaluated from `origin`, the row's first covered pixel in
// the buffer (origin <= x0): a span cut at a tile border gets exactly the
// values of the whole span.
using SpanFunction = void (*)(const Triangle& tri, SpanScratch& scratch, int y, int origin,
                              int x0, int x1);
// Shades what a span function still holds once a triangle's spans (in one
// tile) are all handed over.
using FinishFunction = void (*)(SpanScratch& scratch);

struct Kernel {
  SpanFunction shade;
  FinishFunction finish;  // or null
};

struct Triangle {
  Plane r, g, b, a, ooz, oow, sow, tow;
  const DrawState* state;
  const Mipmap* texture;  // null: texture reads give white
  const Kernel* kernel;   // the state's fast path, or the reference path
  // The outline in 1/16 pixel, counter-clockwise in y-up terms: the
  // triangle itself or, for vertices beyond the guard band, its part inside
  // it, drawn as a fan.
  int32_t x[kMaxOutline], y[kMaxOutline];
  int corners;
  int minX, minY, maxX, maxY;  // the pixels it may cover, inside the buffer
};

// What one drawing thread's fast path holds between the spans of a triangle:
// pixels of short spans and span ends, collected to be shaded a whole vector
// at a time (a triangle covers each pixel once, so their order is free).
struct alignas(64) SpanScratch {
  // Room for a vector of pixels and a span's end (less than a vector) after it.
  static constexpr int kRoom = 2 * 16;
  const Triangle* triangle = nullptr;
  int count = 0;
  alignas(64) float oow0[kRoom] = {}, sow0[kRoom] = {}, tow0[kRoom] = {}, a0[kRoom] = {},
                    index[kRoom] = {};
  alignas(64) int32_t offset[kRoom] = {};  // of each pixel in the buffers
};

// Pixels x0..x1-1 of screen rows y0..y1-1.
struct PixelRect {
  int x0, y0, x1, y1;
};

// Hands every span of the triangle inside `clip` to its kernel, then lets
// the kernel finish.
void rasterize(const Triangle& tri, const PixelRect& clip, SpanScratch& scratch);

// True when some pixel centre of `rect` may be covered by the triangle
// (exact for a plain triangle, the bounding box for a clipped outline).
bool touches(const Triangle& tri, const PixelRect& rect);

// The reference pixel path: every combine, chroma, depth and blend setting.
extern const Kernel kReferenceKernel;

// The fast path for a state, or null when the state is not one it handles.
const Kernel* chooseFastKernel(const DrawState& state, const Settings& settings);

// Sets up a triangle from three vertices with the context's cull mode and
// scale; false when it draws nothing.
bool setUpTriangle(const Context& ctx, const DrawState& state, const GrVertex* va,
                   const GrVertex* vb, const GrVertex* vc, Triangle* tri);

}  // namespace glide
