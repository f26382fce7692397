// Coverage: which pixels a triangle owns, checked against exact point-in-
// polygon tests at pixel centres.
#include <cmath>
#include <algorithm>
#include <random>

#include "glide_fixture.h"

namespace glidetest {
namespace {

struct Pt {
  int x16, y16;  // 1/16-pixel units
};

// +1 strictly inside the convex counter-clockwise polygon, -1 strictly
// outside, 0 on its outline; the point is the centre of pixel (px, py).
int classify(const std::vector<Pt>& polygon, int px, int py) {
  const int64_t cx = 16 * px + 8, cy = 16 * py + 8;
  bool onEdge = false;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const Pt &a = polygon[i], &b = polygon[(i + 1) % polygon.size()];
    int64_t cross = int64_t(b.x16 - a.x16) * (cy - a.y16) - int64_t(b.y16 - a.y16) * (cx - a.x16);
    if (cross < 0) return -1;
    if (cross == 0) onEdge = true;
  }
  return onEdge ? 0 : 1;
}

class Coverage : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    countCoverage();
  }
  GrVertex at16(const Pt& p) { return coloured(p.x16 / 16.0f, p.y16 / 16.0f, 1, 1, 1); }

  // Every pixel strictly inside is covered once, every pixel strictly outside
  // never, and no pixel more than once.
  void expectCoveredOnce(const std::vector<Pt>& polygon) {
    auto f = frame();
    int inside = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        int count = int(at(f, x, y) & 0xFF);
        ASSERT_LE(count, 1) << "pixel " << x << "," << y << " covered twice";
        int where = classify(polygon, x, y);
        if (where > 0) {
          ASSERT_EQ(count, 1) << "pixel " << x << "," << y << " inside but not covered";
          ++inside;
        }
        if (where < 0) {
          ASSERT_EQ(count, 0) << "pixel " << x << "," << y << " outside but covered";
        }
      }
    EXPECT_GT(inside, 0);
  }
};

TEST_F(Coverage, FullScreenQuadCoversEveryPixelOnce) {
  draw(coloured(0, 0, 1, 1, 1), coloured(640, 0, 1, 1, 1), coloured(640, 480, 1, 1, 1));
  draw(coloured(0, 0, 1, 1, 1), coloured(640, 480, 1, 1, 1), coloured(0, 480, 1, 1, 1));
  auto f = frame();
  long total = 0;
  for (FxU32 p : f) {
    ASSERT_EQ(p & 0xFF, 1u);
    total += p & 0xFF;
  }
  EXPECT_EQ(total, 307200);
}

TEST_F(Coverage, EdgesThroughPixelCentresBelongToOneSide) {
  // A 4 x 4 square whose diagonal and sides run through pixel centres.
  const float x0 = 10.5f, y0 = 20.5f, x1 = 14.5f, y1 = 24.5f;
  draw(coloured(x0, y0, 1, 1, 1), coloured(x1, y0, 1, 1, 1), coloured(x1, y1, 1, 1, 1));
  draw(coloured(x0, y0, 1, 1, 1), coloured(x1, y1, 1, 1, 1), coloured(x0, y1, 1, 1, 1));
  auto f = frame();
  int covered = 0;
  for (int y = 15; y < 30; ++y)
    for (int x = 5; x < 20; ++x) {
      ASSERT_LE(at(f, x, y) & 0xFF, 1u);
      covered += int(at(f, x, y) & 0xFF);
    }
  // Centres on the left and top sides belong to the square, those on the
  // right and bottom sides to its neighbours: 4 x 4 pixels.
  EXPECT_EQ(covered, 16);
  EXPECT_EQ(at(f, 10, 24) & 0xFF, 1u);  // left, top
  EXPECT_EQ(at(f, 14, 24) & 0xFF, 0u);  // right
  EXPECT_EQ(at(f, 10, 20) & 0xFF, 0u);  // bottom
}

TEST_F(Coverage, VerticalAndHorizontalNeighboursTileWithoutGapsOrOverlap) {
  // A grid of 1.5-pixel-aligned squares: all edges pass through centres.
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 6; ++j) {
      float x0 = 100.5f + 3 * i, y0 = 100.5f + 3 * j, x1 = x0 + 3, y1 = y0 + 3;
      draw(coloured(x0, y0, 1, 1, 1), coloured(x1, y0, 1, 1, 1), coloured(x0, y1, 1, 1, 1));
      draw(coloured(x1, y0, 1, 1, 1), coloured(x1, y1, 1, 1, 1), coloured(x0, y1, 1, 1, 1));
    }
  auto f = frame();
  for (int y = 95; y < 125; ++y)
    for (int x = 95; x < 125; ++x) {
      bool inside = x >= 100 && x <= 117 && y >= 101 && y <= 118;
      ASSERT_EQ(at(f, x, y) & 0xFF, inside ? 1u : 0u) << x << "," << y;
    }
}

// Fans and strips over random sub-pixel polygons, in both windings.
class FanAndStrip : public Coverage, public ::testing::WithParamInterface<int> {};

std::vector<Pt> randomConvexPolygon(std::mt19937& rng, int sides) {
  // Points on an ellipse at sorted random angles are convex and CCW.
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double cx = 100 + 440 * unit(rng), cy = 80 + 320 * unit(rng);
  double rx = 5 + 90 * unit(rng), ry = 5 + 70 * unit(rng);
  std::vector<double> angles(static_cast<size_t>(sides), 0.0);
  for (double& a : angles) a = 2 * M_PI * unit(rng);
  std::sort(angles.begin(), angles.end());
  std::vector<Pt> polygon;
  for (double a : angles) {
    Pt p{int(std::lround((cx + rx * std::cos(a)) * 16)), int(std::lround((cy + ry * std::sin(a)) * 16))};
    if (polygon.empty() || p.x16 != polygon.back().x16 || p.y16 != polygon.back().y16)
      polygon.push_back(p);
  }
  // Rounding to the 1/16 grid can bend nearly straight corners inwards:
  // drop vertices until every corner turns left.
  bool removed = true;
  while (removed && polygon.size() > 3) {
    removed = false;
    for (size_t i = 0; i < polygon.size(); ++i) {
      const Pt &a = polygon[(i + polygon.size() - 1) % polygon.size()], &b = polygon[i],
               &c = polygon[(i + 1) % polygon.size()];
      int64_t turn = int64_t(b.x16 - a.x16) * (c.y16 - b.y16) - int64_t(b.y16 - a.y16) * (c.x16 - b.x16);
      if (turn <= 0) {
        polygon.erase(polygon.begin() + long(i));
        removed = true;
        break;
      }
    }
  }
  return polygon;
}

TEST_P(FanAndStrip, FanCoversThePolygonOnce) {
  std::mt19937 rng(GetParam());
  auto polygon = randomConvexPolygon(rng, 5 + GetParam() % 9);
  bool clockwise = GetParam() % 2;
  for (size_t i = 1; i + 1 < polygon.size(); ++i) {
    if (clockwise)
      draw(at16(polygon[0]), at16(polygon[i + 1]), at16(polygon[i]));
    else
      draw(at16(polygon[0]), at16(polygon[i]), at16(polygon[i + 1]));
  }
  expectCoveredOnce(polygon);
}

TEST_P(FanAndStrip, StripCoversThePolygonOnce) {
  std::mt19937 rng(1000 + GetParam());
  auto polygon = randomConvexPolygon(rng, 6 + GetParam() % 8);
  // Zig-zag order: 0, 1, n-1, 2, n-2, ... as a triangle strip.
  std::vector<Pt> order;
  size_t lo = 0, hi = polygon.size() - 1;
  order.push_back(polygon[lo++]);
  while (lo <= hi) {
    order.push_back(polygon[lo++]);
    if (lo <= hi) order.push_back(polygon[hi--]);
  }
  for (size_t i = 0; i + 2 < order.size(); ++i) draw(at16(order[i]), at16(order[i + 1]), at16(order[i + 2]));
  expectCoveredOnce(polygon);
}

INSTANTIATE_TEST_SUITE_P(RandomPolygons, FanAndStrip, ::testing::Range(0, 12));

}  // namespace
}  // namespace glidetest
