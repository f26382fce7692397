// The frame arithmetic of a render, at 1000 frames of sound a second and 10
// pictures a second, so that every count is worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "commands/render_timing.h"

namespace velmo {
namespace {

struct TimingCase {
  const char* name;
  int64_t trackFrames;  // -1: unknown (a pipe, a cut-short Ogg file)
  double seconds;       // --seconds; -1: not given
  double at;            // --at; -1: not a snapshot
  int64_t frameTotal;   // expected; -1: until the sound ends
  int64_t audioTotal;
  const char* error;  // expected refusal, or null
};

void PrintTo(const TimingCase& c, std::ostream* out) { *out << c.name; }

class RenderTimingTest : public ::testing::TestWithParam<TimingCase> {};

TEST_P(RenderTimingTest, CountsFramesAndRefusesMomentsPastTheEnd) {
  const TimingCase& c = GetParam();
  RenderJob job;
  job.fps = 10;
  job.maxSeconds = c.seconds;
  job.snapshotAt = c.at;
  RenderTiming timing;
  std::string error;
  const bool planned = planRenderTiming(job, c.trackFrames, 1000, &timing, &error);
  if (c.error) {
    EXPECT_FALSE(planned);
    EXPECT_EQ(error, c.error);
    return;
  }
  ASSERT_TRUE(planned) << error;
  EXPECT_EQ(timing.frameTotal, c.frameTotal);
  EXPECT_EQ(timing.audioTotal, c.audioTotal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RenderTimingTest,
    ::testing::Values(
        TimingCase{"WholeTrackWithAPartialLastFrame", 2550, -1, -1, 26, 2550, nullptr},
        TimingCase{"SecondsShorterThanTheTrack", 2550, 1, -1, 10, 1000, nullptr},
        TimingCase{"UnknownLengthWithSeconds", -1, 3, -1, 30, 3000, nullptr},
        TimingCase{"HugeSecondsBoundNothing", -1, 1e308, -1, -1, -1, nullptr},
        TimingCase{"SnapshotAtTheVeryEnd", 2550, -1, 2.55, 26, 2550, nullptr},
        TimingCase{"SnapshotPastTheEnd", 2550, -1, 2.6, 0, 0, "--at 2.6 s lies beyond the end of the track (0:02.55)"},
        TimingCase{"HugeSnapshotOnAnUnknownTrackWaitsForItsEnd", -1, -1, 1e308, -1, -1, nullptr}),
    [](const ::testing::TestParamInfo<TimingCase>& info) { return std::string(info.param.name); });

// Times in messages as a person writes them, not "50.000000".
TEST(TimeTextTest, SecondsAndClockTimesWithoutNeedlessDigits) {
  EXPECT_EQ(secondsText(50), "50 s");
  EXPECT_EQ(secondsText(0.25), "0.25 s");
  EXPECT_EQ(secondsText(1e6), "1000000 s");
  EXPECT_EQ(secondsText(8.2867, 1), "8.3 s");
  EXPECT_EQ(clockText(19.99), "0:19.99");
  EXPECT_EQ(clockText(6), "0:06");
  EXPECT_EQ(clockText(120), "2:00");
  EXPECT_EQ(clockText(59.999), "1:00");
  EXPECT_EQ(clockText(3723.5), "1:02:03.50");
}

}  // namespace
}  // namespace velmo
