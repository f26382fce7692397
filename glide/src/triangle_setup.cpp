// Triangle set-up: validation, culling, attribute planes, fixed-point
// positions and, for vertices far outside the screen, clipping; then the
// triangle goes to the renderer. grDrawTriangle and guDrawTriangleWithClip
// share it: both draw exactly the pixels of the screen the triangle covers,
// and neither can write outside the buffers whatever the vertices.
#include <algorithm>
#include <climits>
#include <cmath>

#include "triangle.h"
#include "glideutl.h"
#include "clip.h"
#include "record.h"
#include "renderer.h"

namespace glide {
namespace {

// Vertices within this many pixels of the origin are rasterized directly in
// 1/16-pixel fixed point (edge products stay far inside 64 bits); larger
// ones are first clipped to it, which changes no pixel of the buffers.
constexpr double kGuardBand = 65536.0;

Plane makePlane(const Point2 p[3], float a0, float a1, float a2, double inverseDet) {
  const double d1x = p[1].x - p[0].x, d1y = p[1].y - p[0].y;
  const double d2x = p[2].x - p[0].x, d2y = p[2].y - p[0].y;
  const double da1 = double(a1) - a0, da2 = double(a2) - a0;
  Plane plane;
  plane.dx = (da1 * d2y - da2 * d1y) * inverseDet;
  plane.dy = (da2 * d1x - da1 * d2x) * inverseDet;
  // Value at the centre of pixel (0, 0).
  plane.base = a0 - plane.dx * (p[0].x - 0.5) - plane.dy * (p[0].y - 0.5);
  plane.stepX = float(plane.dx);
  plane.stepY = float(plane.dy);
  return plane;
}

int32_t toFixed(double v) { return int32_t(std::llround(v * 16.0)); }

int64_t floorDiv16(int64_t v) { return v >= 0 ? v / 16 : -((-v + 15) / 16); }

// The outline in fixed point and the pixels it may cover.
void setOutline(const Point2 p[3], const Target& target, Triangle* tri) {
  bool inside = true;
  for (int i = 0; i < 3; ++i)
    if (std::fabs(p[i].x) > kGuardBand || std::fabs(p[i].y) > kGuardBand) inside = false;
  if (inside) {
    for (int i = 0; i < 3; ++i) {
      tri->x[i] = toFixed(p[i].x);
      tri->y[i] = toFixed(p[i].y);
    }
    tri->corners = 3;
  } else {
    Point2 polygon[kMaxClippedVertices];
    tri->corners = clipToRectangle(p, -kGuardBand, -kGuardBand, kGuardBand, kGuardBand, polygon);
    for (int i = 0; i < tri->corners; ++i) {
      tri->x[i] = toFixed(polygon[i].x);
      tri->y[i] = toFixed(polygon[i].y);
    }
  }
  // A polygon clipped to nothing has no box (and the sums below would overflow).
  if (tri->corners < 3) return;
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  for (int i = 0; i < tri->corners; ++i) {
    minX = std::min<int64_t>(minX, tri->x[i]);
    maxX = std::max<int64_t>(maxX, tri->x[i]);
    minY = std::min<int64_t>(minY, tri->y[i]);
    maxY = std::max<int64_t>(maxY, tri->y[i]);
  }
  // Pixels whose centre (16 p + 8) lies within the outline's box.
  tri->minX = int(std::max<int64_t>(floorDiv16(minX - 8 + 15), 0));
  tri->maxX = int(std::min<int64_t>(floorDiv16(maxX - 8), target.width - 1));
  tri->minY = int(std::max<int64_t>(floorDiv16(minY - 8 + 15), 0));
  tri->maxY = int(std::min<int64_t>(floorDiv16(maxY - 8), target.height - 1));
}

}  // namespace

static_assert(kMaxOutline >= kMaxClippedVertices, "a clipped outline fits a triangle");

bool setUpTriangle(const Context& ctx, const DrawState& state, const GrVertex* va,
                   const GrVertex* vb, const GrVertex* vc, Triangle* tri) {
  if (!va || !vb || !vc) return false;
  const GrVertex* v[3] = {va, vb, vc};
  const double scale = ctx.settings.scale;
  Point2 p[3];
  for (int i = 0; i < 3; ++i) {
    p[i] = {double(v[i]->x) * scale, double(v[i]->y) * scale};
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return false;
  }
  // Twice the signed area, y up: positive for counter-clockwise.
  const double det = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
  if (!(det != 0.0) || !std::isfinite(det)) return false;
  const GrCullMode_t cull = ctx.state.cull;
  if (cull == GR_CULL_POSITIVE && det > 0) return false;
  if (cull == GR_CULL_NEGATIVE && det < 0) return false;

  tri->state = &state;
  tri->texture = state.texture && state.texture->downloaded ? state.texture : nullptr;
  if (tri->texture) {
    // Perspective division needs w > 0 at every vertex (and so everywhere
    // inside); the board drew garbage otherwise, we draw nothing.
    for (const GrVertex* vertex : v)
      if (!(vertex->oow > 0.0f) || !std::isfinite(vertex->oow)) return false;
  }
  tri->kernel = tri->texture && state.kernel ? state.kernel : &kReferenceKernel;
  const double inverseDet = 1.0 / det;
  if (tri->kernel == &kReferenceKernel) {  // the fast path reads no colour and no z
    tri->r = makePlane(p, va->r, vb->r, vc->r, inverseDet);
    tri->g = makePlane(p, va->g, vb->g, vc->g, inverseDet);
    tri->b = makePlane(p, va->b, vb->b, vc->b, inverseDet);
    tri->ooz = makePlane(p, va->ooz, vb->ooz, vc->ooz, inverseDet);
  }
  tri->a = makePlane(p, va->a, vb->a, vc->a, inverseDet);
  tri->oow = makePlane(p, va->oow, vb->oow, vc->oow, inverseDet);
  tri->sow = makePlane(p, va->tmuvtx[0].sow, vb->tmuvtx[0].sow, vc->tmuvtx[0].sow, inverseDet);
  tri->tow = makePlane(p, va->tmuvtx[0].tow, vb->tmuvtx[0].tow, vc->tmuvtx[0].tow, inverseDet);

  // Counter-clockwise order for the rasterizer.
  if (det < 0) std::swap(p[1], p[2]);
  setOutline(p, state.target, tri);
  return tri->corners >= 3 && tri->minX <= tri->maxX && tri->minY <= tri->maxY;
}

}  // namespace glide

extern "C" {

FX_ENTRY void FX_CALL grDrawTriangle(const GrVertex* a, const GrVertex* b, const GrVertex* c) {
  if (glide::recording()) glide::recordTriangle("grDrawTriangle", a, b, c);
  glide::drawTriangle(a, b, c);
}

FX_ENTRY void FX_CALL guDrawTriangleWithClip(const GrVertex* a, const GrVertex* b,
                                             const GrVertex* c) {
  if (glide::recording()) glide::recordTriangle("guDrawTriangleWithClip", a, b, c);
  glide::drawTriangle(a, b, c);
}

}  // extern "C"
