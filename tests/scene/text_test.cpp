// The text overlay: glyph quads, centred lines and the title reveal.
#include <gtest/gtest.h>

#include <velmo_glide_recorder.h>

#include <string>

#include "scene_state.h"

class Text : public ::testing::Test {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_F(Text, GlyphIsTwoTrianglesOnItsFontCell) {
  vgl::CallRecorder calls;
  drawGlyph(100.5f, 300.0f, 'A', 77);  // 'A' = 65: column 1, row 4
  ASSERT_EQ(calls.all().size(), 3u);
  EXPECT_EQ(calls.all()[0].name, "guTexSource");
  EXPECT_EQ(calls.all()[0].args[0], (double)(unsigned)fontTexture);
  const auto& first = calls.all()[1];
  const auto& second = calls.all()[2];
  EXPECT_EQ(first.name, "grDrawTriangle");
  EXPECT_EQ(second.name, "guDrawTriangleWithClip");
  // First: top-left, bottom-right, bottom-left.
  const GrVertex* a = first.vertices.data();
  EXPECT_EQ(a[0].x, 100.5f);
  EXPECT_EQ(a[0].y, 300.0f);
  EXPECT_EQ(a[1].x, 115.5f);
  EXPECT_EQ(a[1].y, 280.0f);
  EXPECT_EQ(a[2].x, 100.5f);
  EXPECT_EQ(a[2].y, 280.0f);
  EXPECT_EQ(a[0].tmuvtx[0].sow, 16.0f);
  EXPECT_EQ(a[0].tmuvtx[0].tow, 64.0f);
  EXPECT_EQ(a[1].tmuvtx[0].sow, 32.0f);
  EXPECT_EQ(a[1].tmuvtx[0].tow, 80.0f);
  // Second: top-left, top-right, bottom-right.
  const GrVertex* b = second.vertices.data();
  EXPECT_EQ(b[1].x, 115.5f);
  EXPECT_EQ(b[1].y, 300.0f);
  EXPECT_EQ(b[1].tmuvtx[0].sow, 32.0f);
  EXPECT_EQ(b[1].tmuvtx[0].tow, 64.0f);
  for (const auto* t : {a, b})
    for (int i = 0; i < 3; i++) {
      EXPECT_EQ(t[i].a, 77.0f);
      EXPECT_EQ(t[i].oow, 1.0f);
    }
}

TEST_F(Text, HighCodesUseTheLowerHalfOfTheFont) {
  vgl::CallRecorder calls;
  drawGlyph(0, 20, 0xE9, 100);  // column 9, row 14
  const auto glyph = calls.named("grDrawTriangle");
  const GrVertex* v = glyph[0].vertices.data();
  EXPECT_EQ(v[0].tmuvtx[0].sow, 144.0f);
  EXPECT_EQ(v[0].tmuvtx[0].tow, 224.0f);
  EXPECT_EQ(v[1].tmuvtx[0].tow, 240.0f);
}

struct LineCase {
  const char* text;
  float firstLeft, lastRight;
};
class TextLine : public ::testing::TestWithParam<LineCase> {
 protected:
  void SetUp() override { resetSceneState(); }
};

TEST_P(TextLine, CentredOnXWithNineStepAdvance) {
  const LineCase& c = GetParam();
  vgl::CallRecorder calls;
  drawText(600.0f, 22.0f, c.text, 100);
  const auto quads = calls.named("guDrawTriangleWithClip");
  ASSERT_EQ(quads.size(), std::string(c.text).size());
  EXPECT_EQ(quads.front().vertices[0].x, c.firstLeft);
  EXPECT_EQ(quads.back().vertices[1].x, c.lastRight);
  EXPECT_EQ(quads.front().vertices[0].y, 22.0f);
  EXPECT_EQ(quads.front().vertices[2].y, 2.0f);
  for (size_t i = 1; i < quads.size(); i++)
    EXPECT_EQ(quads[i].vertices[0].x - quads[i - 1].vertices[0].x, 9.0f);
}
INSTANTIATE_TEST_SUITE_P(Times, TextLine,
                         ::testing::Values(LineCase{"[1:23]", 573.0f, 633.0f},
                                           LineCase{"Stopped", 568.5f, 637.5f},
                                           LineCase{"[35791:23]", 555.0f, 651.0f}));

TEST_F(Text, EmptyTextOnlySetsState) {
  vgl::CallRecorder calls;
  drawText(320.0f, 480.0f, "", 180);
  EXPECT_EQ(calls.names(), (std::vector<std::string>{"grChromakeyMode", "grAlphaBlendFunction"}));
  EXPECT_EQ(calls.all()[0].args[0], 1.0);
  EXPECT_EQ(calls.all()[1].args, (std::vector<double>{4, 4, 4, 4}));
}

// ---- title reveal

// One frame of the title: the frame composer counts, then reveals.
static void revealFrame() {
  frameCount++;
  revealTitle();
}

TEST_F(Text, ThreeCharacterTitleTimeline) {
  std::strcpy(songTitle, "abc");
  for (int f = 1; f <= 211; f++) {
    revealFrame();
    const std::string shown = displayTitle;
    if (f <= 10) {
      EXPECT_EQ(shown, "a") << "frame " << f;
    } else if (f <= 20) {
      EXPECT_EQ(shown, "ab") << "frame " << f;
    } else if (f <= 210) {
      EXPECT_EQ(shown, "abc") << "frame " << f;
    } else {
      EXPECT_EQ(shown, "a") << "frame " << f;
    }
    int brightness = 180;
    if (f >= 30 && f <= 210) brightness = 209 - f;
    EXPECT_EQ(titleFade, brightness) << "frame " << f;
  }
  EXPECT_FALSE(revealDone);
}

TEST_F(Text, EmptyTitleFadesAtOnce) {
  revealFrame();
  EXPECT_STREQ(displayTitle, "");
  EXPECT_TRUE(revealDone);
  EXPECT_EQ(titleFade, 179);
}

TEST_F(Text, ShorterNewTitleWhileRevealingStartsTheFade) {
  std::strcpy(songTitle, "abcdefgh");
  for (int f = 1; f <= 50; f++) revealFrame();  // revealLen now 6
  EXPECT_STREQ(displayTitle, "abcde");
  std::strcpy(songTitle, "xyz");
  revealFrame();
  EXPECT_STREQ(displayTitle, "xyz");
  EXPECT_TRUE(revealDone);
  EXPECT_EQ(titleFade, 179);
  std::strcpy(songTitle, "other");
  revealFrame();
  EXPECT_STREQ(displayTitle, "xyz") << "the old title stays while fading";
}

TEST_F(Text, LongTitleNeverRunsPastTheDisplayBuffer) {
  // 129 characters, as the caption copy allows.
  std::string title(129, 'x');
  for (int i = 0; i < 129; i++) title[i] = (char)('A' + i % 26);
  std::strcpy(songTitle, title.c_str());
  int longest = 0;
  for (int f = 1; f <= 1400 && !revealDone; f++) {
    revealFrame();
    const int len = (int)strnlen(displayTitle, displayTitleSize);
    ASSERT_LT(len, displayTitleSize) << "frame " << f;
    longest = std::max(longest, len);
    EXPECT_EQ(std::string(displayTitle), title.substr(0, len));
  }
  EXPECT_EQ(longest, displayTitleSize - 1);
  EXPECT_TRUE(revealDone) << "the reveal still runs through the whole title";
  EXPECT_EQ(revealLen, 130);
  EXPECT_EQ(frameCount, 1290) << "timing as for a title shown in full";
}
