// Coverage: exact edge functions in 1/16-pixel fixed point, pixel centres at
// +1/2, ties broken by the top-left rule of the picture (y up: left edges and
// the higher horizontal edge own their pixels), so triangles sharing an edge
// cover each pixel once. A triangle is drawn a rectangle at a time (a screen
// tile, or the whole buffer); its spans and their attributes do not depend on
// the rectangle.
#include <algorithm>

#include "triangle.h"

namespace glide {
namespace {

constexpr int64_t kSub = 16;  // sub-pixel steps per pixel

int64_t floorDiv(int64_t a, int64_t b) {  // b > 0
  int64_t q = a / b;
  return (a % b != 0 && a < 0) ? q - 1 : q;
}
int64_t ceilDiv(int64_t a, int64_t b) { return -floorDiv(-a, b); }

// An edge that is not horizontal bounds each row's span on one side: left
// edges (running down, dy < 0) from below at -quotient, right edges from
// above at quotient. quotient = floor(N / D), N = k - threshold, D = 16 |dy|,
// is stepped from row to row without division (N grows by 16 dx per row).
struct EdgeWalk {
  int64_t quotient, remainder, divisor, stepQuotient, stepRemainder;

  void start(int64_t px, int64_t py, int64_t dx, int64_t dy, int64_t threshold, int64_t row) {
    const int64_t k = dx * (row * kSub + 8 - py) - dy * (8 - px);
    divisor = kSub * (dy > 0 ? dy : -dy);
    const int64_t n = k - threshold;
    quotient = floorDiv(n, divisor);
    remainder = n - quotient * divisor;
    stepQuotient = floorDiv(kSub * dx, divisor);
    stepRemainder = kSub * dx - stepQuotient * divisor;
  }
  // Bounds no row: for the slots of a triangle with one edge on that side.
  void never(int64_t bound) {
    quotient = bound;
    remainder = stepQuotient = stepRemainder = 0;
    divisor = 1;
  }
  void nextRow() {
    // Without a branch: the carry is as likely as not, and mispredicts.
    remainder += stepRemainder;
    const int64_t carry = remainder >= divisor;
    quotient += stepQuotient + carry;
    remainder -= divisor & -carry;
  }
};

// One triangle of the outline's fan, inside the clip rectangle.
void rasterizePart(const int32_t x[3], const int32_t y[3], const Triangle& tri,
                   const PixelRect& clip, SpanScratch& scratch) {
  const Target& target = tri.state->target;
  int64_t minY = std::min({y[0], y[1], y[2]}), maxY = std::max({y[0], y[1], y[2]});
  int64_t minX = std::min({x[0], x[1], x[2]}), maxX = std::max({x[0], x[1], x[2]});
  // Rows whose centre (16 r + 8) lies within [minY, maxY], inside the clip;
  // columns inside the buffer (a span's first pixel there is its origin).
  int64_t rowFirst = std::max<int64_t>(ceilDiv(minY - 8, kSub), clip.y0);
  int64_t rowLast = std::min<int64_t>(floorDiv(maxY - 8, kSub), clip.y1 - 1);
  const int64_t colFirst = std::max<int64_t>(ceilDiv(minX - 8, kSub), 0);
  const int64_t colLast = std::min<int64_t>(floorDiv(maxX - 8, kSub), target.width - 1);

  // Counter-clockwise (y up): left edges run downwards, the top edge
  // leftwards; they own the pixels on them (threshold 0). An edge function
  // E(col, row) = dx (16 row + 8 - py) - dy (16 col + 8 - px) >= threshold
  // for the pixels inside. A horizontal edge only limits the rows.
  int lefts = 0, rights = 0;
  int64_t edge[2][2][5];  // [left, right][slot]{px, py, dx, dy, threshold}
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    const int64_t dx = int64_t(x[j]) - x[i], dy = int64_t(y[j]) - y[i];
    const int64_t threshold = (dy < 0 || (dy == 0 && dx < 0)) ? 0 : 1;
    if (dy == 0) {
      // dx (16 row + 8 - py) >= threshold, with |dx| >= 1 and threshold 0 or 1.
      if (dx > 0)
        rowFirst = std::max(rowFirst, ceilDiv(y[i] + threshold - 8, kSub));
      else if (dx < 0)
        rowLast = std::min(rowLast, floorDiv(y[i] - threshold - 8, kSub));
      else
        rowLast = rowFirst - 1;  // not an edge: a triangle without area
      continue;
    }
    int64_t* e = dy < 0 ? edge[0][lefts++] : edge[1][rights++];
    e[0] = x[i], e[1] = y[i], e[2] = dx, e[3] = dy, e[4] = threshold;
  }
  if (rowFirst > rowLast || std::max<int64_t>(colFirst, clip.x0) > std::min<int64_t>(colLast, clip.x1 - 1))
    return;

  EdgeWalk left[2], right[2];
  for (int k = 0; k < 2; ++k) {
    if (k < lefts)
      left[k].start(edge[0][k][0], edge[0][k][1], edge[0][k][2], edge[0][k][3], edge[0][k][4], rowFirst);
    else
      left[k].never(-colFirst);
    if (k < rights)
      right[k].start(edge[1][k][0], edge[1][k][1], edge[1][k][2], edge[1][k][3], edge[1][k][4], rowFirst);
    else
      right[k].never(colLast);
  }
  const SpanFunction shade = tri.kernel->shade;
  for (int64_t row = rowFirst; row <= rowLast; ++row) {
    const int64_t lo = std::max({colFirst, -left[0].quotient, -left[1].quotient});
    const int64_t hi = std::min({colLast, right[0].quotient, right[1].quotient});
    left[0].nextRow();
    left[1].nextRow();
    right[0].nextRow();
    right[1].nextRow();
    const int64_t x0 = std::max<int64_t>(lo, clip.x0), x1 = std::min<int64_t>(hi + 1, clip.x1);
    if (x0 < x1) shade(tri, scratch, int(row), int(lo), int(x0), int(x1));
  }
}

}  // namespace

void rasterize(const Triangle& tri, const PixelRect& clip, SpanScratch& scratch) {
  if (tri.corners == 3) {
    rasterizePart(tri.x, tri.y, tri, clip, scratch);
  } else {
    // A fan over the outline clipped to the guard band; its corners were
    // rounded to fixed point, so parts may have lost their area.
    for (int i = 1; i + 1 < tri.corners; ++i) {
      const int32_t x[3] = {tri.x[0], tri.x[i], tri.x[i + 1]};
      const int32_t y[3] = {tri.y[0], tri.y[i], tri.y[i + 1]};
      const int64_t area =
          int64_t(x[1] - x[0]) * (y[2] - y[0]) - int64_t(x[2] - x[0]) * (y[1] - y[0]);
      if (area > 0) rasterizePart(x, y, tri, clip, scratch);
    }
  }
  if (tri.kernel->finish) tri.kernel->finish(scratch);
}

bool touches(const Triangle& tri, const PixelRect& rect) {
  if (rect.x0 > tri.maxX || rect.x1 <= tri.minX || rect.y0 > tri.maxY || rect.y1 <= tri.minY)
    return false;
  if (tri.corners != 3) return true;
  // Each edge function is largest at one corner of the rectangle's pixel
  // centres; below the edge's threshold there, no centre is inside it.
  for (int i = 0; i < 3; ++i) {
    const int j = (i + 1) % 3;
    const int64_t dx = int64_t(tri.x[j]) - tri.x[i], dy = int64_t(tri.y[j]) - tri.y[i];
    const int64_t col = dy < 0 ? rect.x1 - 1 : rect.x0;
    const int64_t row = dx > 0 ? rect.y1 - 1 : rect.y0;
    const int64_t e = dx * (row * kSub + 8 - tri.y[i]) - dy * (col * kSub + 8 - tri.x[i]);
    const int64_t threshold = (dy < 0 || (dy == 0 && dx < 0)) ? 0 : 1;
    if (e < threshold) return false;
  }
  return true;
}

}  // namespace glide
