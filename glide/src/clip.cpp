// Sutherland-Hodgman clipping of one triangle outline against four sides.
#include "clip.h"

namespace glide {
namespace {

// Keeps the part of the polygon where sign * (coordinate - limit) <= 0.
int clipSide(const Point2* in, int count, bool useX, double limit, double sign, Point2* out) {
  auto distance = [&](const Point2& p) { return sign * ((useX ? p.x : p.y) - limit); };
  int written = 0;
  for (int i = 0; i < count; ++i) {
    const Point2& a = in[i];
    const Point2& b = in[(i + 1) % count];
    double da = distance(a), db = distance(b);
    if (da <= 0) out[written++] = a;
    if ((da <= 0) != (db <= 0)) {
      double t = da / (da - db);
      Point2 p{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
      // Land exactly on the side, whatever the rounding of t.
      (useX ? p.x : p.y) = limit;
      out[written++] = p;
    }
  }
  return written;
}

}  // namespace

int clipToRectangle(const Point2 triangle[3], double minX, double minY, double maxX,
                    double maxY, Point2 out[kMaxClippedVertices]) {
  Point2 a[kMaxClippedVertices], b[kMaxClippedVertices];
  for (int i = 0; i < 3; ++i) a[i] = triangle[i];
  int n = 3;
  n = clipSide(a, n, true, minX, -1.0, b);
  n = n ? clipSide(b, n, true, maxX, 1.0, a) : 0;
  n = n ? clipSide(a, n, false, minY, -1.0, b) : 0;
  n = n ? clipSide(b, n, false, maxY, 1.0, out) : 0;
  return n < 3 ? 0 : n;
}

}  // namespace glide
