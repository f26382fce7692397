// Coverage: exact edge functions in 1/16-pixel fixed point, pixel centres at
// +1/2, ties broken by the top-left rule of the picture (y up: left edges and
// the higher horizontal edge own their pixels), so triangles sharing an edge
// cover each pixel once.
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

struct Edge {
  int64_t px, py, dx, dy;
  int64_t threshold;  // inside when E >= threshold
  // For dy != 0: F = floor(N / D), N = k - threshold, D = 16 |dy|, stepped
  // from row to row without division (N grows by 16 dx per row).
  int64_t quotient, remainder, divisor, stepQuotient, stepRemainder;

  void start(int64_t row) {
    const int64_t k = dx * (row * kSub + 8 - py) - dy * (8 - px);
    divisor = kSub * (dy > 0 ? dy : -dy);
    const int64_t n = k - threshold;
    quotient = floorDiv(n, divisor);
    remainder = n - quotient * divisor;
    stepQuotient = floorDiv(kSub * dx, divisor);
    stepRemainder = kSub * dx - stepQuotient * divisor;
  }
  void nextRow() {
    // Without a branch: the carry is as likely as not, and mispredicts.
    remainder += stepRemainder;
    const int64_t carry = remainder >= divisor;
    quotient += stepQuotient + carry;
    remainder -= divisor & -carry;
  }
};

}  // namespace

void rasterize(const int32_t x[3], const int32_t y[3], const Triangle &tri, SpanFunction shade) {
  const Context &ctx = context();
  Edge edges[3];
  for (int i = 0; i < 3; ++i) {
    int j = (i + 1) % 3;
    Edge &e = edges[i];
    e.px = x[i];
    e.py = y[i];
    e.dx = int64_t(x[j]) - x[i];
    e.dy = int64_t(y[j]) - y[i];
    // Counter-clockwise (y up): left edges run downwards, the top edge leftwards.
    bool ownsTies = e.dy < 0 || (e.dy == 0 && e.dx < 0);
    e.threshold = ownsTies ? 0 : 1;
  }

  int64_t minY = std::min({y[0], y[1], y[2]}), maxY = std::max({y[0], y[1], y[2]});
  int64_t minX = std::min({x[0], x[1], x[2]}), maxX = std::max({x[0], x[1], x[2]});
  // Rows whose centre (16 r + 8) lies within [minY, maxY].
  int64_t rowFirst = std::max<int64_t>(ceilDiv(minY - 8, kSub), 0);
  int64_t rowLast = std::min<int64_t>(floorDiv(maxY - 8, kSub), ctx.height - 1);
  int64_t colFirst = std::max<int64_t>(ceilDiv(minX - 8, kSub), 0);
  int64_t colLast = std::min<int64_t>(floorDiv(maxX - 8, kSub), ctx.width - 1);
  if (rowFirst > rowLast || colFirst > colLast) return;

  for (Edge &e : edges)
    if (e.dy != 0) e.start(rowFirst);
  for (int64_t row = rowFirst; row <= rowLast; ++row) {
    const int64_t cy = row * kSub + 8;
    int64_t lo = colFirst, hi = colLast;
    for (Edge &e : edges) {
      // E(col) = dx * (cy - py) - dy * (16 col + 8 - px) = k - 16 dy col >= threshold.
      if (e.dy == 0) {
        const int64_t k = e.dx * (cy - e.py);
        if (k < e.threshold) hi = lo - 1;
        continue;
      }
      if (e.dy > 0) hi = std::min(hi, e.quotient);
      else lo = std::max(lo, -e.quotient);
      e.nextRow();
    }
    if (lo <= hi) shade(tri, int(row), int(lo), int(hi) + 1);
  }
}

}  // namespace glide
