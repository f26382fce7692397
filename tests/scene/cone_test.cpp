// The cone mesh and the cone row: mesh layout, shaping, placement, lighting,
// the motion of the figure and what a row submits to Glide.
#include <gtest/gtest.h>

#include <velmo_glide_recorder.h>

#include <cmath>
#include <vector>

#include "scene_state.h"

class ConeMesh : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_F(ConeMesh, RingsCentreAndTexelColumns) {
  EXPECT_NEAR(coneVertices[0].x, 1.0f, 1e-6f);
  EXPECT_NEAR(coneVertices[0].z, 0.0f, 1e-6f);
  EXPECT_NEAR(coneVertices[5].x, -1.0f, 1e-6f);
  EXPECT_NEAR(coneVertices[5].z, 0.0f, 1e-6f);
  for (int i = 0; i < coneSides; i++) {
    const GrVertex& lower = coneVertices[i];
    const GrVertex& upper = coneVertices[coneSides + i];
    EXPECT_EQ(lower.y, 0.0f);
    EXPECT_EQ(upper.y, 10.0f);
    EXPECT_NEAR(upper.x, lower.x, 1e-6f) << "upper ring stands above the lower, side " << i;
    EXPECT_NEAR(upper.z, lower.z, 1e-6f);
    EXPECT_EQ(lower.tmuvtx[0].sow, upper.tmuvtx[0].sow);
    EXPECT_NEAR(lower.tmuvtx[0].sow, 255.0f / 11.0f * i, 1e-3f);
    EXPECT_EQ(lower.tmuvtx[0].tow, 255.0f);
    EXPECT_EQ(upper.tmuvtx[0].tow, 0.0f);
  }
  EXPECT_NEAR(coneVertices[9].tmuvtx[0].sow, 208.64f, 0.01f) << "the strip never reaches 255";
  const GrVertex& centre = coneVertices[20];
  EXPECT_EQ(centre.x, 0.0f);
  EXPECT_EQ(centre.y, 12.0f);
  EXPECT_EQ(centre.tmuvtx[0].sow, 128.0f);
  EXPECT_EQ(centre.tmuvtx[0].tow, 128.0f);
}

TEST_F(ConeMesh, IndexListSidesThenCap) {
  const int side0[] = {0, 10, 1, 10, 11, 1};
  const int side9[] = {9, 19, 0, 19, 10, 0};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(coneIndices[i], side0[i]);
    EXPECT_EQ(coneIndices[54 + i], side9[i]);
  }
  const int firstCap[] = {11, 10, 20}, lastCap[] = {10, 19, 20};
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(coneIndices[60 + i], firstCap[i]);
    EXPECT_EQ(coneIndices[87 + i], lastCap[i]);
  }
  for (int i = 0; i < coneIndexCount; i++) {
    EXPECT_GE(coneIndices[i], 0);
    EXPECT_LT(coneIndices[i], coneVertexCount);
  }
}

TEST_F(ConeMesh, OtherSideCountsStayInsideTheirArrays) {
  GrVertex vertices[2 * 3 + 1 + 1] = {};
  int indices[9 * 3 + 1];
  indices[27] = -12345;
  vertices[7].x = 99.0f;
  buildCone(vertices, indices, 3, 2.0f, 4.0f);
  EXPECT_EQ(indices[27], -12345);
  EXPECT_EQ(vertices[7].x, 99.0f);
  EXPECT_EQ(indices[18], 4);  // first cap: 3 + 1, 3 + 0, 6
  EXPECT_EQ(indices[19], 3);
  EXPECT_EQ(indices[26], 6);
  EXPECT_EQ(indices[15], 5);  // last side: 2, 5, 0, 5, 3, 0
  EXPECT_EQ(indices[17], 0);
  EXPECT_NEAR(vertices[0].x, 2.0f, 1e-6f);
}

struct ShapeCase {
  int height;
  bool flip;
  unsigned char pointed;
  float upperY, upperT, centreY, centreT;
};

class ShapeConeTest : public ::testing::TestWithParam<ShapeCase> {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_P(ShapeConeTest, HeightsAndTextureRows) {
  const ShapeCase& c = GetParam();
  PointedEnds = c.pointed;
  shapeCone(coneVertices, coneSides, c.height, c.flip);
  for (int i = 0; i < coneSides; i++) {
    EXPECT_EQ(coneVertices[i].y, 0.0f);
    EXPECT_EQ(coneVertices[i].tmuvtx[0].tow, 255.0f);
    EXPECT_EQ(coneVertices[coneSides + i].y, c.upperY);
    EXPECT_EQ(coneVertices[coneSides + i].tmuvtx[0].tow, c.upperT);
  }
  EXPECT_EQ(coneVertices[20].y, c.centreY);
  EXPECT_EQ(coneVertices[20].tmuvtx[0].tow, c.centreT);
  EXPECT_EQ(coneVertices[20].tmuvtx[0].sow, 128.0f);
}

INSTANTIATE_TEST_SUITE_P(
    Heights, ShapeConeTest,
    ::testing::Values(ShapeCase{0, false, 1, 0, 255, 2, 315}, ShapeCase{0, false, 0, 0, 255, 0, 315},
                      ShapeCase{13, false, 1, 13, 47, 15, 107},
                      ShapeCase{13, false, 0, 13, 47, 13, 107},
                      ShapeCase{-13, true, 1, -13, 463, -15, 523},
                      ShapeCase{-13, true, 0, -13, 463, -13, 523},
                      ShapeCase{0, true, 1, 0, 255, -2, 315}));

TEST_F(ConeMesh, EachShapeMovesTheMeshOneDiameter) {
  float before[coneVertexCount];
  for (int i = 0; i < coneVertexCount; i++) before[i] = coneVertices[i].x;
  const float z5 = coneVertices[5].z, s5 = coneVertices[5].tmuvtx[0].sow;
  shapeCone(coneVertices, coneSides, 3, false);
  shapeCone(coneVertices, coneSides, 7, false);
  shapeCone(coneVertices, coneSides, 1, false);
  for (int i = 0; i < coneVertexCount; i++)
    EXPECT_NEAR(coneVertices[i].x, before[i] + 6.0f * coneRadius, 1e-5f) << "vertex " << i;
  EXPECT_EQ(coneVertices[5].z, z5);
  EXPECT_EQ(coneVertices[5].tmuvtx[0].sow, s5);
}

// ---- the cone row

class ConeRow : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }

  // The cone triangles of one draw (every guDrawTriangleWithClip call).
  static std::vector<vgl::RecordedCall> coneTriangles(const vgl::CallRecorder& calls) {
    return calls.named("guDrawTriangleWithClip");
  }
};

TEST_F(ConeRow, SubmitsBackdropAndEighteenHundredConeTriangles) {
  for (int b = 0; b < sceneBands; b++) {
    fallingLevel[0][b] = 7 * b;
    fallingLevel[1][b] = 220 - 5 * b;
  }
  vgl::CallRecorder calls;
  drawConeRow();
  EXPECT_EQ(calls.named("grDrawTriangle").size(), 2u);
  EXPECT_EQ(coneTriangles(calls).size(), 1800u);
  EXPECT_EQ(calls.named("grCullMode").size(), 60u);
  ASSERT_FALSE(calls.all().empty());
  EXPECT_EQ(calls.all().front().name, "grAlphaBlendFunction");
  EXPECT_EQ(calls.all().front().args, (std::vector<double>{4, 4, 4, 0}));
  // Ends with the mirrored pass's state in force.
  EXPECT_EQ(calls.named("grCullMode").back().args[0], 1.0);
  EXPECT_EQ(calls.named("grCullMode").front().args[0], 2.0);
  EXPECT_EQ(calls.named("guTexSource").back().args[0], (double)(unsigned)lightTexture);
}

TEST_F(ConeRow, BackdropCornersCoverTheScreen) {
  vgl::CallRecorder calls;
  drawConeRow();
  const auto backdrop = calls.named("grDrawTriangle");
  ASSERT_EQ(backdrop.size(), 2u);
  const GrVertex* t0 = backdrop[0].vertices.data();
  const GrVertex* t1 = backdrop[1].vertices.data();
  // (P0, P1, P2) and (P0, P2, P3)
  EXPECT_EQ(t0[0].x, 0.0f);
  EXPECT_EQ(t0[0].y, 0.0f);
  EXPECT_EQ(t0[0].a, 40.0f);
  EXPECT_EQ(t0[1].y, 480.0f);
  EXPECT_EQ(t0[1].a, 115.0f);
  EXPECT_EQ(t0[2].x, 640.0f);
  EXPECT_EQ(t0[2].a, 40.0f);
  EXPECT_EQ(t1[2].x, 640.0f);
  EXPECT_EQ(t1[2].y, 0.0f);
  EXPECT_EQ(t1[2].a, 10.0f);
  EXPECT_FLOAT_EQ(t1[2].tmuvtx[0].sow * 310.0f, 255.0f);
  EXPECT_FLOAT_EQ(t1[2].tmuvtx[0].tow * 310.0f, 255.0f);
  EXPECT_EQ(t0[1].tmuvtx[0].tow, 0.0f);
  for (const auto* t : {t0, t1})
    for (int i = 0; i < 3; i++) EXPECT_EQ(t[i].oow, 1.0f / 310.0f);
}

TEST_F(ConeRow, FirstConeLandsWhereTheGeometrySays) {
  // Angles 0 after this frame's step: held level 0 keeps the tilt, the turn
  // steps back from 0.011 to 0.
  turnAngle = 0.011f;
  spinDirection = false;
  fallingLevel[0][0] = 160;  // h = 10
  vgl::CallRecorder calls;
  drawConeRow();
  EXPECT_EQ(tiltAngle, 0.0f);
  EXPECT_EQ(turnAngle, 0.0f);

  const auto cone = coneTriangles(calls);
  ASSERT_EQ(cone.size(), 1800u);
  const GrVertex& lower0 = cone[0].vertices[0];  // first triangle is 0, 10, 1
  EXPECT_EQ(lower0.x, 128.0f);
  EXPECT_EQ(lower0.y, 196.125f);
  EXPECT_EQ(lower0.oow, 1.0f / 45.0f);
  EXPECT_EQ(lower0.z, 45.0f);
  EXPECT_FLOAT_EQ(lower0.tmuvtx[0].tow / lower0.oow, 255.0f);

  // Side 7 faces the viewer squarely, side 8 at 36 degrees off.
  for (int t : {14, 15}) {
    for (int q = 0; q < 3; q++) EXPECT_NEAR(cone[t].vertices[q].a, 227.0f, 1e-3f);
  }
  for (int t : {16, 17}) EXPECT_NEAR(cone[t].vertices[0].a, 227.0f * std::cos(0.6283185), 0.01);
  EXPECT_NEAR(cone[16].vertices[0].a, 183.65f, 0.01f);
  // Sides 0 to 4 face away (+z): no light.
  for (int t = 0; t < 10; t++) EXPECT_EQ(cone[t].vertices[0].a, 0.0f) << "triangle " << t;
}

TEST_F(ConeRow, FlatConesLightOnlyTheirPointedCaps) {
  // All levels 0: sides have no area and get 0, with no NaN from the 0/0.
  turnAngle = 0.011f;
  vgl::CallRecorder calls;
  drawConeRow();
  const auto cone = coneTriangles(calls);
  int lit = 0;
  for (size_t t = 0; t < cone.size(); t++) {
    const float a = cone[t].vertices[0].a;
    ASSERT_FALSE(std::isnan(a)) << "triangle " << t;
    const bool side = (t % 30) < 20;
    if (side) {
      EXPECT_EQ(a, 0.0f) << "triangle " << t;
    }
    if (a > 0.0f) lit++;
  }
  EXPECT_GT(lit, 0) << "the cap points face the viewer in part";
}

TEST_F(ConeRow, ConesStepAlongTheRowAndMirrorBelow) {
  turnAngle = 0.011f;
  for (int b = 0; b < sceneBands; b++) fallingLevel[1][b] = 220;
  vgl::CallRecorder calls;
  drawConeRow();
  // Last cone of the mirrored pass: axis at x = +30, upper ring at y = lift - 13.
  EXPECT_NEAR(conePoints[20].x, 30.0f, 1e-5f);
  EXPECT_EQ(conePoints[20].y, 10.0f - 15.0f);  // pointed, 2 further down
  EXPECT_EQ(conePoints[10].y, 10.0f - 13.0f);
  // Mirrored faces still light up (sign flipped), so some triangles get light.
  const auto cone = coneTriangles(calls);
  float brightest = 0.0f;
  for (size_t t = 900; t < 1800; t++) brightest = std::max(brightest, cone[t].vertices[0].a);
  EXPECT_NEAR(brightest, 227.0f, 0.5f);
}

TEST_F(ConeRow, EveryDepthStaysInFrontOfTheViewer) {
  for (int b = 0; b < sceneBands; b++) fallingLevel[0][b] = fallingLevel[1][b] = 220;
  for (float angle : {0.0f, 1.0f, 2.5f, -3.0f, 100.0f}) {
    tiltAngle = angle;
    turnAngle = angle * 0.7f;
    vgl::CallRecorder calls;
    drawConeRow();
    for (const auto& tri : coneTriangles(calls))
      for (const auto& v : tri.vertices) ASSERT_GE(1.0f / v.oow, 9.99f);
  }
}

// ---- motion of the figure

struct MotionCase {
  unsigned char spinToBeat;
  int held;
  float turnBefore;
  bool directionBefore;
  float tiltStep, turnStep;  // signed change of each angle this frame
  bool directionAfter;
};

class ConeMotion : public ::testing::TestWithParam<MotionCase> {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_P(ConeMotion, StepsAndDirection) {
  const MotionCase& c = GetParam();
  SpinToBeat = c.spinToBeat;
  heldLevel[0][0] = c.held;
  turnAngle = c.turnBefore;
  spinDirection = c.directionBefore;
  tiltAngle = 0.5f;
  {
    vgl::CallRecorder calls;
    drawConeRow();
  }
  EXPECT_EQ(tiltAngle, 0.5f + c.tiltStep);
  EXPECT_EQ(turnAngle, c.turnBefore + c.turnStep);
  EXPECT_EQ(spinDirection, c.directionAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConeMotion,
    ::testing::Values(
        // SpinToBeat off: fixed steps, downwards after load, never reverses.
        MotionCase{0, 0, 0.0f, false, -0.0097f, -0.0074f, false},
        MotionCase{0, 219, 5.0f, true, 0.0097f, 0.0074f, true},
        // On: the first band's held level drives the tilt.
        MotionCase{1, 0, 0.0f, true, 0.0f, 0.011f, true},
        MotionCase{1, 200, 0.0f, true, 0.125f, 0.011f, true},
        // Above 200: the direction flips and nothing moves this frame.
        MotionCase{1, 201, 0.3f, true, 0.0f, 0.0f, false},
        // Reversal only beyond 0.7853975.
        MotionCase{1, 0, -0.774f, false, 0.0f, -0.011f, false},  // ends at -0.785
        MotionCase{1, 0, -0.775f, false, 0.0f, -0.011f, true},   // ends at -0.786
        // A beat while already past the limit flips twice.
        MotionCase{1, 210, 1.0f, true, 0.0f, 0.0f, true}));

// The tilt step is p x 0.000625 rounded once to single precision, which is
// p / 1600 rounded to single precision; rounding 0.000625 first gives 59 of
// the 201 steps one unit in the last place off (p = 5 and 108 among them).
TEST_F(ConeRow, TiltStepIsTheHeldLevelOver1600RoundedOnce) {
  SpinToBeat = 1;
  for (int held = 0; held <= 200; held++) {
    heldLevel[0][0] = held;
    tiltAngle = turnAngle = 0.0f;
    spinDirection = true;
    vgl::CallRecorder calls;
    drawConeRow();
    ASSERT_EQ(tiltAngle, static_cast<float>(held / 1600.0)) << "held level " << held;
  }
}

// SpinToBeat turned on while the turn lies far beyond a quarter turn (after
// running with it off): the direction flips on every frame, so the figure
// rocks by one step instead of turning back.
TEST_F(ConeRow, SpinToBeatSwitchedOnBeyondItsLimitRocksInPlace) {
  SpinToBeat = 0;
  turnAngle = -3.0f;
  SpinToBeat = 1;
  std::vector<float> turns;
  for (int frame = 0; frame < 6; frame++) {
    vgl::CallRecorder calls;
    drawConeRow();
    turns.push_back(turnAngle);
  }
  const float back = -3.0f - 0.011f, forth = back + 0.011f;
  EXPECT_EQ(turns, std::vector<float>({back, forth, back, forth, back, forth}));
}

TEST_F(ConeRow, SpinToBeatRocksBetweenTheQuarterTurns) {
  SpinToBeat = 1;
  float lowest = 0.0f, highest = 0.0f;
  for (int frame = 0; frame < 1000; frame++) {
    vgl::CallRecorder calls;
    drawConeRow();
    lowest = std::min(lowest, turnAngle);
    highest = std::max(highest, turnAngle);
  }
  EXPECT_LT(lowest, -0.7853975f);
  EXPECT_GT(lowest, -0.7853975f - 0.0111f);
  EXPECT_GT(highest, 0.7853975f);
  EXPECT_LT(highest, 0.7853975f + 0.0111f);
}
