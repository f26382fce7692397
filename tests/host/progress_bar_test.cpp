// The render's progress line, as a terminal shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "output/progress_bar.h"

namespace velmo {
namespace {

// A batch stays on one line: share and seconds count every part, and the last
// state is shown when the bar ends, however soon after the previous drawing.
TEST(ProgressBarTest, ABatchCountsEveryPartOnOneLine) {
  ::testing::internal::CaptureStderr();
  ProgressBar bar(true, 10);
  bar.beginPart("song 1 of 2", 0);
  bar.partLength(4);  // a batch keeps the total it was given
  bar.update(4);
  bar.beginPart("song 2 of 2", 4);
  bar.update(6);
  bar.finish();
  const std::string line = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(line.find("100%  song 2 of 2  0:10 / 0:10"), std::string::npos) << line;
  EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
}

// One track learns its length once open; a partial last frame goes past it.
TEST(ProgressBarTest, OneTrackTakesItsLengthAndStopsAtAHundredPercent) {
  ::testing::internal::CaptureStderr();
  ProgressBar bar(true, -1);
  bar.partLength(2.55);
  bar.update(2.6);
  bar.finish();
  const std::string line = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(line.find("[##############################] 100%  0:03 / 0:03"), std::string::npos) << line;
  EXPECT_EQ(line.find("left"), std::string::npos) << line;
}

// A batch with a song of unknown length has no total to show: never a time
// done past a total that left that song out.
TEST(ProgressBarTest, ABatchWithAnUnknownLengthShowsNoTotal) {
  ::testing::internal::CaptureStderr();
  ProgressBar bar(true, -1, true);
  bar.beginPart("song 2 of 2", 10);
  bar.partLength(3);
  bar.update(3);
  bar.finish();
  const std::string line = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(line.find("song 2 of 2  0:13  "), std::string::npos) << line;
  EXPECT_EQ(line.find(" / "), std::string::npos) << line;
}

}  // namespace
}  // namespace velmo
