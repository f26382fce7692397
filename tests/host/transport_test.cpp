// The transport: Winamp's keys on a playlist, the position it reports, and
// bad entries in the playlist. The sound card is replaced by a fake whose
// "heard" count the test moves by hand.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include <windows.h>

#include "audio/transport.h"
#include "temp_folder.h"

namespace velmo {
namespace {

class FakeOutput : public AudioOutput {
 public:
  bool start(int sampleRate, int channels, std::string*) override {
    rate = sampleRate;
    ++starts;
    clear();
    return true;
  }
  void queue(const float* samples, size_t frames) override {
    queued += static_cast<int64_t>(frames);
    lastSample = samples[0];
  }
  size_t queuedFrames() override { return static_cast<size_t>(queued - heard); }
  int64_t heardFrames() override { return heard; }
  void setPaused(bool value) override { paused = value; }
  void clear() override { queued = heard = 0; }
  // The device plays everything queued so far.
  void playAll() { heard = queued; }

  int rate = 0;
  int starts = 0;
  int64_t queued = 0;
  int64_t heard = 0;
  bool paused = false;
  float lastSample = 0;
};

std::string writeConstantWav(const std::string& name, float value, int seconds) {
  static velmo_test::TempFolder folder{"velmo-transport"};
  const std::string path = folder.path(name + ".wav");
  SF_INFO info{};
  info.samplerate = 8000;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  std::vector<float> samples(8000 * seconds, value);
  sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  return path;
}

class TransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    first = writeConstantWav("first", 0.1f, 30);
    second = writeConstantWav("second", 0.2f, 2);
  }
  std::string first, second;
  FakeOutput output;
};

TEST_F(TransportTest, WinampKeysDriveThePlaylist) {
  Transport transport({first, second}, &output);
  std::string error;
  ASSERT_TRUE(transport.begin(&error)) << error;
  transport.fill();
  EXPECT_EQ(transport.playState(), 1);
  EXPECT_EQ(transport.playPositionMs(), 0);
  EXPECT_GT(output.queued, 8000 / 4) << "decodes ahead";

  output.playAll();
  int heardMs = static_cast<int>(output.heard * 1000 / 8000);
  EXPECT_EQ(transport.playPositionMs(), heardMs);

  transport.keyPressed(VK_RIGHT);  // seek 5 s on
  EXPECT_EQ(transport.playPositionMs(), heardMs + 5000);
  transport.keyPressed(VK_LEFT);
  transport.keyPressed(VK_LEFT);  // never before the start
  EXPECT_EQ(transport.playPositionMs(), 0);

  transport.keyPressed('C');
  EXPECT_EQ(transport.playState(), 3);
  EXPECT_TRUE(output.paused);
  transport.keyPressed(VK_SPACE);
  EXPECT_EQ(transport.playState(), 1);
  EXPECT_FALSE(output.paused);

  transport.keyPressed('V');
  EXPECT_EQ(transport.playState(), 0);
  EXPECT_EQ(transport.playPositionMs(), -1) << "stopped answers -1";
  transport.keyPressed('X');
  EXPECT_EQ(transport.playState(), 1);

  EXPECT_EQ(transport.trackNumber(), 1);
  transport.keyPressed('B');
  EXPECT_EQ(transport.trackNumber(), 2);
  EXPECT_EQ(transport.trackLengthSeconds(), 2);
  transport.keyPressed('B');  // past the last: stays
  EXPECT_EQ(transport.trackNumber(), 2);
  transport.keyPressed('Z');
  EXPECT_EQ(transport.trackNumber(), 1);
  EXPECT_EQ(transport.caption(), "1. first - Winamp");

  EXPECT_FALSE(transport.quitRequested());
  transport.keyPressed('Q');
  EXPECT_TRUE(transport.quitRequested());
}

TEST_F(TransportTest, VolumeScalesWhatIsPlayedButNotWhatIsAnalysed) {
  Transport transport({first}, &output);
  std::string error;
  ASSERT_TRUE(transport.begin(&error)) << error;
  for (int i = 0; i < 10; ++i) transport.keyPressed(VK_DOWN);
  EXPECT_NEAR(transport.volume(), 0.5f, 1e-5);
  output.playAll();
  transport.fill();
  EXPECT_NEAR(output.lastSample, 0.05f, 1e-6);
  float frame[2];
  transport.history().copy(transport.history().end() - 1, 1, frame);
  EXPECT_FLOAT_EQ(frame[0], 0.1f);
  for (int i = 0; i < 30; ++i) transport.keyPressed(VK_UP);
  EXPECT_FLOAT_EQ(transport.volume(), 1.0f);
}

TEST_F(TransportTest, PlaysOnToTheNextTrackAndEndsAfterTheLast) {
  Transport transport({second, first}, &output);
  int changes = 0;
  transport.onTrackChange([&] { ++changes; });
  std::string error;
  ASSERT_TRUE(transport.begin(&error)) << error;
  for (int i = 0; i < 200 && transport.trackNumber() == 1; ++i) {
    transport.fill();
    output.playAll();
  }
  EXPECT_EQ(transport.trackNumber(), 2);
  EXPECT_EQ(changes, 2) << "the first track, then the second";
  transport.keyPressed(VK_RIGHT);
  for (int i = 0; i < 2000 && !transport.ended(); ++i) {
    transport.fill();
    output.playAll();
  }
  EXPECT_TRUE(transport.ended());
  EXPECT_EQ(transport.playPositionMs(), -1);
}

TEST_F(TransportTest, SkipsUnreadableEntriesAndFailsOnlyWhenNoneCanPlay) {
  Transport transport({"/nonexistent/a.wav", second}, &output);
  std::string error;
  ASSERT_TRUE(transport.begin(&error)) << error;
  EXPECT_EQ(transport.trackNumber(), 2);

  Transport none({"/nonexistent/a.wav", "/nonexistent/b.flac"}, &output);
  EXPECT_FALSE(none.begin(&error));
  EXPECT_NE(error.find("/nonexistent/a.wav"), std::string::npos) << error;
  EXPECT_NE(error.find("/nonexistent/b.flac"), std::string::npos) << error;
}

TEST_F(TransportTest, EmptyPlaylistPlaysTheDemo) {
  Transport transport({}, &output);
  std::string error;
  ASSERT_TRUE(transport.begin(&error)) << error;
  EXPECT_EQ(transport.caption(), "1. Velmo - Demo - Winamp");
  EXPECT_EQ(output.rate, 44100);
}

}  // namespace
}  // namespace velmo
