// Triangle set-up: validation, culling, attribute planes, fixed-point
// positions and, for vertices far outside the screen, clipping; then the
// rasterizer. grDrawTriangle and guDrawTriangleWithClip share it: both draw
// exactly the pixels of the screen the triangle covers, and neither can
// write outside the buffers whatever the vertices.
#include <cmath>

#include "triangle.h"
#include "glideutl.h"
#include "clip.h"
#include "record.h"

namespace glide {
namespace {

// Vertices within this many pixels of the origin are rasterized directly in
// 1/16-pixel fixed point (edge products stay far inside 64 bits); larger
// ones are first clipped to it, which changes no pixel of the buffers.
constexpr double kGuardBand = 65536.0;

bool readsTexture(const RenderState &s) {
  auto factorReadsTexture = [](GrCombineFactor_t f) {
    return f == GR_COMBINE_FACTOR_TEXTURE_ALPHA || f == GR_COMBINE_FACTOR_ONE_MINUS_TEXTURE_ALPHA;
  };
  return s.color.other == GR_COMBINE_OTHER_TEXTURE || s.alpha.other == GR_COMBINE_OTHER_TEXTURE ||
         factorReadsTexture(s.color.factor) || factorReadsTexture(s.alpha.factor) ||
         s.color.factor == GR_COMBINE_FACTOR_TEXTURE_RGB;
}

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

void drawTriangle(const GrVertex *va, const GrVertex *vb, const GrVertex *vc) {
  Context &ctx = context();
  if (!ctx.open || !va || !vb || !vc) return;
  const GrVertex *v[3] = {va, vb, vc};
  const double scale = ctx.settings.scale;
  Point2 p[3];
  for (int i = 0; i < 3; ++i) {
    p[i] = {double(v[i]->x) * scale, double(v[i]->y) * scale};
    if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) return;
  }
  // Twice the signed area, y up: positive for counter-clockwise.
  const double det = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[2].x - p[0].x) * (p[1].y - p[0].y);
  if (!(det != 0.0) || !std::isfinite(det)) return;
  const RenderState &s = ctx.state;
  if (s.cull == GR_CULL_POSITIVE && det > 0) return;
  if (s.cull == GR_CULL_NEGATIVE && det < 0) return;

  Triangle tri;
  tri.needsTexture = readsTexture(s);
  tri.texture = tri.needsTexture ? findMipmap(s.textureSource) : nullptr;
  if (tri.texture && !tri.texture->downloaded) tri.texture = nullptr;
  tri.needsW = tri.texture != nullptr;
  if (tri.needsW) {
    // Perspective division needs w > 0 at every vertex (and so everywhere
    // inside); the board drew garbage otherwise, we draw nothing.
    for (const GrVertex *vertex : v)
      if (!(vertex->oow > 0.0f) || !std::isfinite(vertex->oow)) return;
  }
  const double inverseDet = 1.0 / det;
  tri.r = makePlane(p, va->r, vb->r, vc->r, inverseDet);
  tri.g = makePlane(p, va->g, vb->g, vc->g, inverseDet);
  tri.b = makePlane(p, va->b, vb->b, vc->b, inverseDet);
  tri.a = makePlane(p, va->a, vb->a, vc->a, inverseDet);
  tri.ooz = makePlane(p, va->ooz, vb->ooz, vc->ooz, inverseDet);
  tri.oow = makePlane(p, va->oow, vb->oow, vc->oow, inverseDet);
  tri.sow = makePlane(p, va->tmuvtx[0].sow, vb->tmuvtx[0].sow, vc->tmuvtx[0].sow, inverseDet);
  tri.tow = makePlane(p, va->tmuvtx[0].tow, vb->tmuvtx[0].tow, vc->tmuvtx[0].tow, inverseDet);

  tri.finish = nullptr;
  SpanFunction shade = ctx.settings.referencePath ? nullptr : chooseFastSpan(tri);
  if (!shade) shade = shadeSpanGeneric;

  // Counter-clockwise order for the rasterizer.
  if (det < 0) std::swap(p[1], p[2]);
  bool inside = true;
  for (const Point2 &q : p)
    if (std::fabs(q.x) > kGuardBand || std::fabs(q.y) > kGuardBand) inside = false;
  if (inside) {
    int32_t x[3], y[3];
    for (int i = 0; i < 3; ++i) {
      x[i] = toFixed(p[i].x);
      y[i] = toFixed(p[i].y);
    }
    rasterize(x, y, tri, shade);
    if (tri.finish) tri.finish(tri);
    return;
  }
  Point2 polygon[kMaxClippedVertices];
  int n = clipToRectangle(p, -kGuardBand, -kGuardBand, kGuardBand, kGuardBand, polygon);
  // A fan over the clipped outline; the planes stay those of the whole
  // triangle, so every attribute is exactly where it would have been.
  for (int i = 1; i + 1 < n; ++i) {
    int32_t x[3] = {toFixed(polygon[0].x), toFixed(polygon[i].x), toFixed(polygon[i + 1].x)};
    int32_t y[3] = {toFixed(polygon[0].y), toFixed(polygon[i].y), toFixed(polygon[i + 1].y)};
    int64_t area = int64_t(x[1] - x[0]) * (y[2] - y[0]) - int64_t(x[2] - x[0]) * (y[1] - y[0]);
    if (area > 0) rasterize(x, y, tri, shade);
  }
  if (tri.finish) tri.finish(tri);
}

}  // namespace
}  // namespace glide

extern "C" {

FX_ENTRY void FX_CALL grDrawTriangle(const GrVertex *a, const GrVertex *b, const GrVertex *c) {
  if (glide::recording()) glide::recordTriangle("grDrawTriangle", a, b, c);
  glide::drawTriangle(a, b, c);
}

FX_ENTRY void FX_CALL guDrawTriangleWithClip(const GrVertex *a, const GrVertex *b,
                                             const GrVertex *c) {
  if (glide::recording()) glide::recordTriangle("guDrawTriangleWithClip", a, b, c);
  glide::drawTriangle(a, b, c);
}

}  // extern "C"
