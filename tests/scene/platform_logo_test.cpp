// The platform and the logo: placement, brightness, texture and blend state.
#include <gtest/gtest.h>

#include <velmo_glide_recorder.h>

#include <cmath>

#include "scene_state.h"

class Platform : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_F(Platform, NearEdgeShinesFarEdgeFades) {
  vgl::CallRecorder calls;
  drawPlatform();
  const auto tris = calls.named("guDrawTriangleWithClip");
  ASSERT_EQ(tris.size(), 2u);
  // Triangle 0: (-23,0,-23) (23,0,-23) (23,0,23) at depths 13, 13, 59.
  const GrVertex* t0 = tris[0].vertices.data();
  EXPECT_EQ(t0[0].a, 132.5f);
  EXPECT_EQ(t0[1].a, 132.5f);
  EXPECT_EQ(t0[2].a, 17.5f);
  EXPECT_EQ(t0[0].oow, 1.0f / 13.0f);
  EXPECT_EQ(t0[2].oow, 1.0f / 59.0f);
  // x = -23/13*320+320, y = -7/13*320+125, both snapped.
  EXPECT_EQ(t0[0].x, snapCoordinate(-23.0f / 13.0f * 320.0f + 320.0f));
  EXPECT_EQ(t0[0].y, snapCoordinate(-7.0f / 13.0f * 320.0f + 125.0f));
  EXPECT_EQ(t0[0].y, -47.3125f);
  EXPECT_FLOAT_EQ(t0[1].tmuvtx[0].tow / t0[1].oow, 1020.0f);
  EXPECT_FLOAT_EQ(t0[2].tmuvtx[0].sow / t0[2].oow, 1020.0f);
  EXPECT_EQ(platformOffsetY, -7.0f);
  EXPECT_EQ(platformOffsetX, 0.0f);
}

TEST_F(Platform, LeavesAdditiveBlendingWhateverWasBefore) {
  vgl::CallRecorder calls;
  drawPlatform();
  const auto blends = calls.named("grAlphaBlendFunction");
  ASSERT_EQ(blends.size(), 1u);
  EXPECT_EQ(blends[0].args, (std::vector<double>{4, 4, 4, 4}));
  const auto sources = calls.named("guTexSource");
  ASSERT_EQ(sources.size(), 2u);
  EXPECT_EQ(sources[0].args[0], (double)(unsigned)lightTexture);
}

TEST_F(Platform, FarAwayIsBlackAndTheHeightKeyIsOverridden) {
  platformOffsetZ = 200.0f;
  platformOffsetY = 55.0f;  // as visRender hands over the height key
  vgl::CallRecorder calls;
  drawPlatform();
  for (const auto& tri : calls.named("guDrawTriangleWithClip"))
    for (const auto& v : tri.vertices) EXPECT_EQ(v.a, 0.0f);
  EXPECT_EQ(platformOffsetY, -7.0f);
}

class PlatformDepth : public ::testing::TestWithParam<float> {
 protected:
  void SetUp() override { resetSceneState(); }
};

// Corners behind the viewer, or exactly on the eye plane, are pulled just in
// front of it: every vertex stays finite and no depth reaches 0.
TEST_P(PlatformDepth, CornersNeverReachTheEyePlane) {
  platformOffsetZ = GetParam();
  vgl::CallRecorder calls;
  drawPlatform();
  const auto tris = calls.named("guDrawTriangleWithClip");
  ASSERT_EQ(tris.size(), 2u);
  int pulled = 0;
  for (const auto& tri : tris)
    for (const auto& v : tri.vertices) {
      EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.oow));
      EXPECT_GT(v.oow, 0.0f);
      if (v.oow == 1.0f / 0.0000001f) pulled++;
      EXPECT_LE(v.a, 255.0f);
    }
  if (GetParam() <= 23.0f) {
    EXPECT_GT(pulled, 0);
  }
}
INSTANTIATE_TEST_SUITE_P(Offsets, PlatformDepth,
                         ::testing::Values(23.0f, 10.0f, 0.0f, -100.0f, NAN));

// ---- logo

class Logo : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_F(Logo, StillCardAroundItsCentre) {
  float angles[3] = {0, 0, 0};
  vgl::CallRecorder calls;
  drawLogo(45.0f, 12.0f, 0, 0, 0, 2.5f, angles, 1.0f);
  const auto tris = calls.named("guDrawTriangleWithClip");
  ASSERT_EQ(tris.size(), 2u);
  const GrVertex* t0 = tris[0].vertices.data();  // top-left, bottom-right, bottom-left
  const GrVertex* t1 = tris[1].vertices.data();  // top-left, top-right, bottom-right
  EXPECT_EQ(t0[0].x, snapCoordinate(6.6f));
  EXPECT_EQ(t0[0].y, snapCoordinate(21.6f));
  EXPECT_EQ(t0[1].x, snapCoordinate(83.4f));
  EXPECT_EQ(t0[1].y, snapCoordinate(2.4f));
  EXPECT_EQ(t1[1].x, t0[1].x);
  EXPECT_EQ(t1[1].y, t0[0].y);
  for (const auto* t : {t0, t1})
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(t[i].a, 100.0f);
      EXPECT_EQ(t[i].oow, 1.0f / 2.5f);
    }
  EXPECT_FLOAT_EQ(t0[2].tmuvtx[0].sow / t0[2].oow, 1.0f);
  EXPECT_FLOAT_EQ(t0[2].tmuvtx[0].tow / t0[2].oow, 124.0f);
  EXPECT_FLOAT_EQ(t1[1].tmuvtx[0].sow / t1[1].oow, 255.0f);
  EXPECT_FLOAT_EQ(t1[1].tmuvtx[0].tow / t1[1].oow, 1.0f);
  EXPECT_EQ(calls.named("grAlphaBlendFunction").size(), 0u) << "the logo sets no state";
  EXPECT_EQ(calls.named("grCullMode").size(), 0u);
  EXPECT_EQ(calls.named("guTexSource").size(), 2u);
}

TEST_F(Logo, TumbleSwingsTopAndBottomInDepth) {
  float angles[3] = {0, -0.5f, 0};
  vgl::CallRecorder calls;
  drawLogo(55.0f, 15.0f, 0, 0, 0, 2.5f, angles, 2.0f);
  const auto tris = calls.named("guDrawTriangleWithClip");
  const GrVertex& top = tris[0].vertices[0];
  const GrVertex& bottom = tris[0].vertices[1];
  const float topDepth = 1.0f / top.oow, bottomDepth = 1.0f / bottom.oow;
  // Scale 2 doubles the card: half height 0.15; rotateYZ by -0.5 moves the top
  // (y > 0) nearer... or farther, by 0.15 sin 0.5 either way.
  EXPECT_NEAR(std::fabs(topDepth - 2.5f), 0.15f * std::sin(0.5f), 1e-5f);
  EXPECT_NEAR(topDepth + bottomDepth, 5.0f, 1e-5f);
  EXPECT_NE(topDepth, bottomDepth);
  EXPECT_EQ(angles[1], -0.5f) << "drawLogo keeps no state";
}

// Tumbled a quarter turn the card is seen edge-on, a line across the screen;
// half a turn shows its back, upside down (culling is off for the logo).
TEST_F(Logo, EdgeOnIsALineAndFromBehindUpsideDown) {
  const float quarter = 1.57079637f, half = 3.14159274f;
  float angles[3] = {0, quarter, 0};
  vgl::CallRecorder edgeOn;
  drawLogo(55.0f, 15.0f, 0, 0, 0, 2.5f, angles, 1.0f);
  const auto edgeTris = edgeOn.named("guDrawTriangleWithClip");
  ASSERT_EQ(edgeTris.size(), 2u);
  const GrVertex* t0 = edgeTris[0].vertices.data();
  EXPECT_EQ(t0[0].y, t0[1].y) << "top and bottom edges on one screen row";
  EXPECT_NE(t0[0].oow, t0[1].oow) << "one edge nearer than the other";

  angles[1] = half;
  vgl::CallRecorder behind;
  drawLogo(55.0f, 15.0f, 0, 0, 0, 2.5f, angles, 1.0f);
  const auto tris = behind.named("guDrawTriangleWithClip");
  ASSERT_EQ(tris.size(), 2u);
  const GrVertex* back = tris[0].vertices.data();  // top-left, bottom-right, bottom-left
  EXPECT_LT(back[0].y, back[2].y) << "the texture's top row lies below its bottom row";
  EXPECT_EQ(back[0].x, back[2].x) << "left stays left: the card turns about its horizontal axis";
  EXPECT_LT(back[0].x, back[1].x);
}
