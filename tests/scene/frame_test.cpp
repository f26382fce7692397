// The frame composer: drawing order, peak state, back-spectrum markers and
// the angles it advances.
#include <gtest/gtest.h>

#include <velmo_glide_recorder.h>

#include "scene_state.h"

class Frame : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }
  static void frame() {
    vgl::CallRecorder calls;
    drawFrame();
  }
};

TEST_F(Frame, DrawsTheElementsInOrder) {
  std::strcpy(songTitle, "Song");
  bandLevel[0][3] = 100;
  vgl::CallRecorder calls;
  drawFrame();
  EXPECT_EQ(frameCount, 1);

  const auto& all = calls.all();
  ASSERT_GE(all.size(), 10u);
  EXPECT_EQ(all.front().name, "grBufferClear");
  EXPECT_EQ(all.front().args, (std::vector<double>{0, 0, 0xffff}));
  EXPECT_EQ(all.back().name, "grBufferSwap");
  EXPECT_EQ(all.back().args, (std::vector<double>{1}));

  // Markers, backdrop, 1800 cones, 2 logo, 2 platform, title glyph, 7 time glyphs.
  EXPECT_EQ(calls.named("grDrawTriangle").size(), 72u + 2u + 1u + 7u);
  EXPECT_EQ(calls.named("guDrawTriangleWithClip").size(), 1800u + 2u + 2u + 1u + 7u);

  // Texture source order: bar (back spectrum), bar (backdrop), cones ...,
  // logo x2, light x2 (platform), font for every glyph.
  std::vector<std::string> order;
  for (const auto& c : all) {
    if (c.name == "grCullMode" && c.args[0] == 0) order.push_back("cull off");
    if (c.name == "grAlphaBlendFunction") order.push_back(c.args[3] == 0 ? "blend 4440" : "blend 4444");
    if (c.name == "grChromakeyMode") order.push_back("chroma");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"blend 4440", "cull off", "blend 4444", "chroma",
                                             "blend 4444", "chroma", "blend 4444"}));

  const auto sources = calls.named("guTexSource");
  ASSERT_EQ(sources.size(), 1u + 1u + 60u + 2u + 2u + 8u);
  EXPECT_EQ(sources[0].args[0], (double)(unsigned)barTexture);
  EXPECT_EQ(sources[62].args[0], (double)(unsigned)logoTexture);
  EXPECT_EQ(sources[64].args[0], (double)(unsigned)lightTexture);
  EXPECT_EQ(sources[66].args[0], (double)(unsigned)fontTexture);
}

TEST_F(Frame, EveryOptionOffLeavesBackdropConesAndLogo) {
  setAllOptions(0);
  bandLevel[0][3] = 100;
  vgl::CallRecorder calls;
  drawFrame();
  EXPECT_EQ(calls.named("grDrawTriangle").size(), 2u);
  EXPECT_EQ(calls.named("guDrawTriangleWithClip").size(), 1802u);
  EXPECT_EQ(heldLevel[0][3], 100) << "bookkeeping runs without the markers";
  EXPECT_EQ(platformSpin, 0.017f) << "the platform turns even when hidden";
  EXPECT_EQ(logoAngles[1], 0.0f);
}

// RotateX, RotateY, RotateZ and Reflect are stored and shown in the dialog
// only: with them off, frames send Glide exactly the same calls. With the
// song title off, nothing of its reveal moves, however many frames pass.
bool sameCalls(const std::vector<vgl::RecordedCall>& a, const std::vector<vgl::RecordedCall>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++) {
    if (a[i].name != b[i].name || a[i].args != b[i].args || a[i].vertices.size() != b[i].vertices.size()) return false;
    const size_t bytes = a[i].vertices.size() * sizeof(GrVertex);
    if (bytes != 0 && std::memcmp(a[i].vertices.data(), b[i].vertices.data(), bytes) != 0) return false;
  }
  return true;
}

TEST_F(Frame, OptionsThePictureIgnoresChangeNoGlideCall) {
  auto threeFrames = [](unsigned char ignoredOptions) {
    resetSceneState();
    RotateX = RotateY = RotateZ = Reflect = ignoredOptions;
    std::strcpy(songTitle, "Song");
    vgl::CallRecorder calls;
    for (int frame = 0; frame < 3; frame++) {
      for (int band = 0; band < sceneBands; band++) bandLevel[frame % 2][band] = 40 * frame + 3 * band;
      drawFrame();
    }
    return calls.all();
  };
  const auto on = threeFrames(1);
  EXPECT_GT(on.size(), 5000u);
  EXPECT_TRUE(sameCalls(on, threeFrames(0)));
}

TEST_F(Frame, SongTitleOffHoldsItsRevealStill) {
  DisplaySong = 0;
  std::strcpy(songTitle, "A song");
  for (int f = 0; f < 40; f++) frame();
  EXPECT_EQ(revealLen, 1);
  EXPECT_EQ(titleFade, 180);
  EXPECT_FALSE(revealDone);
  EXPECT_STREQ(displayTitle, "");
}

TEST_F(Frame, LogoTumblesOnlyWithRotateLogo) {
  frame();
  frame();
  EXPECT_EQ(logoAngles[1], -0.018f - 0.018f);
  EXPECT_EQ(logoAngles[0], 0.0f);
  EXPECT_EQ(logoAngles[2], 0.0f);
  RotateLogo = 0;
  frame();
  EXPECT_EQ(logoAngles[1], -0.018f - 0.018f) << "frozen at its tilt";
  EXPECT_FLOAT_EQ(platformSpin, 3 * 0.017f);
}

// ---- peak state

TEST_F(Frame, SingleSpikeHoldsThenFallsToZero) {
  const int band = 7;
  bandLevel[0][band] = 200;
  frame();  // frame f
  EXPECT_EQ(heldLevel[0][band], 200);
  EXPECT_EQ(holdCount[band], 1) << "0 after channel 0, 1 after channel 1";
  bandLevel[0][band] = 0;
  for (int k = 1; k <= 4; k++) {
    frame();
    EXPECT_EQ(heldLevel[0][band], 200) << "frame f+" << k;
  }
  for (int k = 5; k <= 54; k++) {
    frame();
    EXPECT_EQ(heldLevel[0][band], 200 - 4 * (k - 4)) << "frame f+" << k;
  }
  EXPECT_EQ(heldLevel[0][band], 0);
  frame();
  EXPECT_EQ(heldLevel[0][band], 0) << "never below 0";
  EXPECT_EQ(heldLevel[1][band], 0);
}

TEST_F(Frame, SteadyLevelAlternatesTheFallingLevel) {
  for (int b = 0; b < sceneBands; b++) bandLevel[0][b] = bandLevel[1][b] = 100;
  const int expectFalling[] = {100, 93, 100, 93, 100};
  for (int f = 0; f < 40; f++) {
    frame();
    EXPECT_EQ(fallingLevel[0][5], expectFalling[f % 2]) << "frame " << f;
    EXPECT_EQ(fallingLevel[1][35], expectFalling[f % 2]);
    EXPECT_EQ(heldLevel[0][5], 100);
    EXPECT_EQ(heldLevel[1][5], 100);
  }
}

struct FallCase {
  int from, to;
};
class FallingLevelTest : public ::testing::TestWithParam<FallCase> {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_P(FallingLevelTest, FallsBySixAndAHalfTruncated) {
  fallingLevel[0][0] = GetParam().from;
  vgl::CallRecorder calls;
  drawFrame();
  EXPECT_EQ(fallingLevel[0][0], GetParam().to);
}
INSTANTIATE_TEST_SUITE_P(Steps, FallingLevelTest,
                         ::testing::Values(FallCase{220, 213}, FallCase{7, 0}, FallCase{8, 1},
                                           FallCase{6, 0}, FallCase{1, 0}, FallCase{0, 0}));

TEST_F(Frame, ARiseInEitherChannelRestartsTheSharedHold) {
  // Alone, channel 0's peak of frame 1 would start to fall in frame 6.
  bandLevel[0][2] = 100;
  frame();
  bandLevel[0][2] = 0;
  for (int k = 2; k <= 4; k++) frame();
  bandLevel[1][2] = 50;  // frame 5: channel 1 rises, the counter restarts for both
  frame();
  bandLevel[1][2] = 0;
  for (int k = 6; k <= 10; k++) frame();
  EXPECT_EQ(heldLevel[0][2], 100) << "channel 0 is still held";
  EXPECT_EQ(heldLevel[1][2], 46) << "channel 1's pass reaches the count first";
  frame();
  EXPECT_EQ(heldLevel[0][2], 96);
}

// ---- back spectrum

TEST_F(Frame, MarkersTrailByOnePlacedBand) {
  bandLevel[0][5] = 100;
  vgl::CallRecorder calls;
  drawFrame();
  const auto markers = calls.named("grDrawTriangle");
  ASSERT_GE(markers.size(), 72u);
  // Bands 0..5 of channel 0 draw the degenerate load-time marker.
  for (int b = 0; b <= 5; b++) {
    EXPECT_EQ(markers[b].vertices[0].x, 0.0f);
    EXPECT_EQ(markers[b].vertices[2].y, 0.0f);
  }
  EXPECT_EQ(markers[0].vertices[0].a, 50.0f);
  EXPECT_EQ(markers[0].vertices[1].a, 55.0f);
  // Band 5's marker from band 6 on, and through all of channel 1's pass.
  const float x = 29 + 17 * 5;
  for (int b = 6; b < 72; b++) {
    const GrVertex* v = markers[b].vertices.data();
    EXPECT_EQ(v[0].x, x - 4);
    EXPECT_EQ(v[0].y, 100.0f);
    EXPECT_EQ(v[1].x, x);
    EXPECT_EQ(v[2].x, x - 2);
    EXPECT_EQ(v[2].y, 97.0f);
    EXPECT_EQ(v[0].oow, 0.008f);
    EXPECT_EQ(v[0].a, b < 36 ? 140.0f : 55.0f) << "channel 1 restarts with alpha 55";
  }
}

TEST_F(Frame, ChannelOneMarkerIsDrawnInTheNextFrame) {
  bandLevel[1][35] = 220;
  frame();
  EXPECT_EQ(backVertex[1].x, 624.0f);
  EXPECT_EQ(backVertex[1].y, 460.0f);
  EXPECT_EQ(backVertex[0].a, 260.0f) << "passed on unclamped";
  bandLevel[1][35] = 0;
  vgl::CallRecorder calls;
  drawFrame();
  const auto first = calls.named("grDrawTriangle").front();
  EXPECT_EQ(first.vertices[1].x, 624.0f);
  EXPECT_EQ(first.vertices[1].y, 460.0f);
  EXPECT_EQ(first.vertices[0].a, 50.0f);
}

TEST_F(Frame, SilenceDrawsOnlyDegenerateMarkers) {
  for (int f = 0; f < 3; f++) {
    vgl::CallRecorder calls;
    drawFrame();
    const auto markers = calls.named("grDrawTriangle");
    for (int b = 0; b < 72; b++)
      for (const auto& v : markers[b].vertices) {
        EXPECT_EQ(v.x, 0.0f);
        EXPECT_EQ(v.y, 0.0f);
      }
  }
}
