// Projection, sub-pixel snapping and the five rotation helpers.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/geometry.h"

struct SnapCase {
  float in, out;
};

class SnapTest : public ::testing::TestWithParam<SnapCase> {};

TEST_P(SnapTest, RoundsToSixteenthsTiesToEven) {
  EXPECT_EQ(snapCoordinate(GetParam().in), GetParam().out) << "snapping " << GetParam().in;
}

INSTANTIATE_TEST_SUITE_P(Grid, SnapTest,
                         ::testing::Values(SnapCase{100.03f, 100.0f}, SnapCase{100.04f, 100.0625f},
                                           SnapCase{100.03125f, 100.0f},    // tie, to even
                                           SnapCase{100.09375f, 100.125f},  // tie, to even
                                           SnapCase{-3.03125f, -3.0f}, SnapCase{0.0f, 0.0f},
                                           SnapCase{639.99f, 640.0f}, SnapCase{196.111f, 196.125f}));

TEST(Projection, PointLandsOnScreenWithInverseDepth) {
  GrVertex v = {};
  projectPoint(ScenePoint{10.0f, 5.0f, 40.0f, 0.0f, 0.0f}, 320.0f, 125.0f, 4.0f, 8.0f, &v);
  EXPECT_EQ(v.x, 400.0f);
  EXPECT_EQ(v.y, 165.0f);
  EXPECT_FLOAT_EQ(v.oow, 0.025f);
  EXPECT_EQ(v.oow, 1.0f / 40.0f);
  EXPECT_EQ(v.tmuvtx[0].sow, 4.0f * v.oow);
  EXPECT_EQ(v.tmuvtx[0].tow, 8.0f * v.oow);
  EXPECT_EQ(v.a, 0.0f) << "brightness is the element's business";
}

TEST(Projection, ScreenPositionIsSnappedAfterTheCentreIsAdded) {
  float sx, sy;
  // 1/3 * 320 = 106.666..; + 0.3 -> 106.9666 -> 106.9375 (nearest sixteenth)
  projectToScreen(ScenePoint{1.0f, -1.0f, 3.0f, 0, 0}, 0.3f, 0.0f, &sx, &sy);
  EXPECT_EQ(sx, 106.9375f);
  EXPECT_EQ(sy, -106.6875f);
}

static void expectPoint(const ScenePoint& p, float x, float y, float z) {
  EXPECT_NEAR(p.x, x, 1e-6f);
  EXPECT_NEAR(p.y, y, 1e-6f);
  EXPECT_NEAR(p.z, z, 1e-6f);
}

TEST(Rotation, ZeroAngleLeavesPointsExactly) {
  ScenePoint p[3] = {{1.5f, -2.25f, 7.125f, 3, 4}, {0.1f, 0.2f, 0.3f, 5, 6}, {-9, 8, -7, 1, 2}};
  ScenePoint before[3];
  std::copy(p, p + 3, before);
  rotateXY(p, 0.0f, 1);
  rotateYZ(p, 0.0f, 1);
  rotateXZ(p, 0.0f, 1);
  rotatePointsYZ(p, 0.0f, 3);
  rotatePointsXZ(p, 0.0f, 3);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(p[i].x, before[i].x);
    EXPECT_EQ(p[i].y, before[i].y);
    EXPECT_EQ(p[i].z, before[i].z);
  }
}

TEST(Rotation, PositiveAngleTurnsVTowardsU) {
  const float quarter = 1.57079637f;
  ScenePoint p[3] = {{1, 0, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 1, 0, 0, 0}};
  rotateXZ(p, quarter, 1);
  expectPoint(p[0], 0, 0, -1);
  expectPoint(p[1], 1, 0, 0);
  expectPoint(p[2], 0, 1, 0);

  ScenePoint q[3] = {{0, 0, 1, 0, 0}, {0, 1, 0, 0, 0}, {5, 0, 0, 0, 0}};
  rotateYZ(q, quarter, 1);  // +z towards +y
  expectPoint(q[0], 0, 1, 0);
  expectPoint(q[1], 0, 0, -1);
  expectPoint(q[2], 5, 0, 0);

  ScenePoint r[3] = {{0, 1, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, 0, 5, 0, 0}};
  rotateXY(r, quarter, 1);  // +y towards +x
  expectPoint(r[0], 1, 0, 0);
  expectPoint(r[1], 0, -1, 0);
  expectPoint(r[2], 0, 0, 5);
}

TEST(Rotation, TexelCoordinatesRideAlong) {
  ScenePoint p = {1, 2, 3, 17.5f, 200.25f};
  rotatePointsXZ(&p, 0.7f, 1);
  rotatePointsYZ(&p, -1.3f, 1);
  EXPECT_EQ(p.s, 17.5f);
  EXPECT_EQ(p.t, 200.25f);
}

// Counts which points of a 10-point array a helper touches.
static int pointsChanged(void (*helper)(ScenePoint*, float, int), int count) {
  ScenePoint p[10];
  for (int i = 0; i < 10; i++) p[i] = ScenePoint{1.0f + i, 2.0f + i, 3.0f + i, 0, 0};
  helper(p, 0.5f, count);
  int changed = 0;
  for (int i = 0; i < 10; i++)
    if (p[i].x != 1.0f + i || p[i].y != 2.0f + i || p[i].z != 3.0f + i) changed = i + 1;
  return changed;  // one past the last changed point
}

TEST(Rotation, CountMeansTrianglesOrPoints) {
  EXPECT_EQ(pointsChanged(rotateXY, 2), 6);
  EXPECT_EQ(pointsChanged(rotateYZ, 2), 6);
  EXPECT_EQ(pointsChanged(rotateXZ, 3), 9);
  EXPECT_EQ(pointsChanged(rotatePointsYZ, 7), 7);
  EXPECT_EQ(pointsChanged(rotatePointsXZ, 10), 10);
  EXPECT_EQ(pointsChanged(rotateXZ, 0), 0);
  EXPECT_EQ(pointsChanged(rotatePointsYZ, -4), 0);
  EXPECT_EQ(pointsChanged(rotateXY, -1), 0);
}
