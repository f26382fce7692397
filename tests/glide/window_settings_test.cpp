// The rules of glide2x.ini and of fitting the picture to a window or screen,
// which the Windows DLL applies (and the Wine suites try on a real window).
#include <gtest/gtest.h>

#include "glide/src/ini_settings.h"
#include "glide/src/picture_fit.h"

namespace {

using glide::applyIniSettings;
using glide::Settings;

TEST(IniSettings, EveryKeyInAnyCaseWithSpacesAndComments) {
  Settings s;
  applyIniSettings(
      "; defaults\r\n[GLIDE2X]\r\n  scale = 3 ; sharper\r\nFullScreen=yes\r\n"
      "THREADS=2\r\ndither=On\r\nWindow=off # none\r\n",
      s);
  EXPECT_EQ(s.scale, 3);
  EXPECT_FALSE(s.autoScale);
  EXPECT_TRUE(s.fullScreen);
  EXPECT_EQ(s.threads, 2);
  EXPECT_TRUE(s.dither);
  EXPECT_FALSE(s.window);
}

TEST(IniSettings, AutoScaleAndALaterNumberReplaceEachOther) {
  Settings s;
  applyIniSettings("[glide2x]\nScale=auto\n", s);
  EXPECT_TRUE(s.autoScale);
  applyIniSettings("[glide2x]\nScale=auto\nScale=4\n", s);
  EXPECT_FALSE(s.autoScale);
  EXPECT_EQ(s.scale, 4);
}

TEST(IniSettings, DamagedTextLeavesEachDefault) {
  const Settings defaults;
  Settings s;
  const char damaged[] =
      "Scale=2\n[other]\nScale=3\n[glide2x\nThreads=1\n[glide2x]\nScale=5\nScale=0\nScale=2.5\n"
      "Threads=65\nThreads=-1\nThreads=1x\nDither=2\nFullScreen\n=1\nWindow=\n\x01\xff garbage [ ] =\n"
      "Scale=99999999999999999999";
  applyIniSettings(std::string_view(damaged, sizeof damaged - 1), s);
  applyIniSettings(std::string_view("\0[glide2x]\0Scale=2", 18), s);  // NULs: one line, no section
  EXPECT_EQ(s.scale, defaults.scale);
  EXPECT_EQ(s.autoScale, defaults.autoScale);
  EXPECT_EQ(s.threads, defaults.threads);
  EXPECT_EQ(s.dither, defaults.dither);
  EXPECT_EQ(s.fullScreen, defaults.fullScreen);
  EXPECT_EQ(s.window, defaults.window);
}

TEST(IniSettings, TheLastLineNeedsNoLineEnd) {
  Settings s;
  applyIniSettings("[glide2x]\nThreads=64", s);
  EXPECT_EQ(s.threads, 64);
}

TEST(PictureFit, BarsLeftAndRightOnAWideScreenAboveAndBelowOnATallWindow) {
  const glide::PictureRect wide = glide::fitPicture(640, 480, 1920, 1080);
  EXPECT_EQ(wide.x, 240);
  EXPECT_EQ(wide.y, 0);
  EXPECT_EQ(wide.width, 1440);
  EXPECT_EQ(wide.height, 1080);
  const glide::PictureRect tall = glide::fitPicture(2560, 1920, 400, 600);
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 150);
  EXPECT_EQ(tall.width, 400);
  EXPECT_EQ(tall.height, 300);
  EXPECT_EQ(glide::fitPicture(640, 480, 0, 600).width, 0);
}

TEST(PictureFit, AWindowShrinksToTheWorkAreaButNeverGrows) {
  const glide::PictureRect big = glide::shrinkToFit(2560, 1920, 1274, 990);
  EXPECT_EQ(big.width, 1274);
  EXPECT_EQ(big.height, 956);  // 1274 * 3 / 4 = 955.5, rounded
  const glide::PictureRect small = glide::shrinkToFit(640, 480, 1274, 990);
  EXPECT_EQ(small.width, 640);
  EXPECT_EQ(small.height, 480);
}

TEST(PictureFit, AutoScaleIsTheSmallestFrameCoveringThePicture) {
  EXPECT_EQ(glide::scaleToCover(640, 480, 640, 480, 4), 1);
  EXPECT_EQ(glide::scaleToCover(640, 480, 641, 481, 4), 2);
  EXPECT_EQ(glide::scaleToCover(640, 480, 1920, 1080, 4), 3);  // 1440 x 1080 shown
  EXPECT_EQ(glide::scaleToCover(640, 480, 1280, 1024, 4), 2);  // 1280 x 960 shown
  EXPECT_EQ(glide::scaleToCover(640, 480, 7680, 4320, 4), 4);  // 8K: at most 4
}

TEST(PictureFit, HalvedWhileOneAndAHalfTimesAsLargeBothWaysUpToTheBuffersThereAre) {
  EXPECT_EQ(glide::halvingsFor(2560, 1920, {0, 0, 1440, 1080}, 2), 1);  // 4x full screen: 1.78 times
  EXPECT_EQ(glide::halvingsFor(1280, 960, {0, 0, 1440, 1080}, 2), 0);   // 2x: shown larger
  EXPECT_EQ(glide::halvingsFor(2560, 1920, {0, 0, 853, 640}, 2), 2);    // 1280 / 853 = 1.5006
  EXPECT_EQ(glide::halvingsFor(2560, 1920, {0, 0, 854, 640}, 2), 1);
  EXPECT_EQ(glide::halvingsFor(2560, 1920, {0, 0, 320, 240}, 2), 2);
  EXPECT_EQ(glide::halvingsFor(2560, 1920, {0, 0, 320, 240}, 1), 1);
  EXPECT_EQ(glide::halvingsFor(1280, 960, {0, 0, 854, 200}, 2), 0);  // tall enough, not wide
}

TEST(PictureFit, HalvingAveragesEachChannelRoundedAndDropsAnOddColumn) {
  // 5 x 2: two blocks and a column left out.
  const FxU32 from[10] = {0x000000, 0xFF0001, 0x102030, 0x102030, 0xABCDEF,
                          0x00FF00, 0xFFFF02, 0x102030, 0x112233, 0xABCDEF};
  FxU32 to[2] = {};
  glide::halvePicture(from, 5, 2, to);
  // red (0+255+0+255)/4 = 127.5 -> 128; green 2*255/4 = 127.5 -> 128; blue 3/4 -> 1
  EXPECT_EQ(to[0], 0x808001u);
  // red (16*3+17)/4 = 16.25 -> 16; green (32*3+34)/4 = 32.5 -> 33; blue (48*3+51)/4 = 48.75 -> 49
  EXPECT_EQ(to[1], 0x102131u);
}

}  // namespace
