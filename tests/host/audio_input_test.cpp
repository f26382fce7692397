// Audio input: files of every format Debian's libsndfile writes, their tags,
// the errors a user meets, and the demo track.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/audio_file.h"
#include "audio/demo_track.h"
#include "temp_folder.h"

namespace velmo {
namespace {

std::string tempPath(const std::string& name) {
  static velmo_test::TempFolder folder{"velmo-audio"};
  return folder.path(name);
}

struct Format {
  const char* extension;
  int format;
  int rate;
  bool lossy;
};

void PrintTo(const Format& format, std::ostream* out) { *out << format.extension; }

// One second of a 441 Hz sine on the left, silence on the right.
bool writeTestFile(const std::string& path, const Format& format, const char* artist, const char* title) {
  SF_INFO info{};
  info.samplerate = format.rate;
  info.channels = 2;
  info.format = format.format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  if (artist) sf_set_string(file, SF_STR_ARTIST, artist);
  if (title) sf_set_string(file, SF_STR_TITLE, title);
  std::vector<float> frames(2 * format.rate);
  for (int i = 0; i < format.rate; ++i) frames[2 * i] = 0.5f * std::sin(2 * 3.14159265f * 441 * i / format.rate);
  sf_writef_float(file, frames.data(), format.rate);
  sf_close(file);
  return true;
}

class AudioFileFormat : public ::testing::TestWithParam<Format> {};

TEST_P(AudioFileFormat, DecodesWithItsTagsAndSeeks) {
  const Format& format = GetParam();
  std::string path = tempPath(std::string("tone.") + format.extension);
  if (!writeTestFile(path, format, "The Testers", "Sine Song")) GTEST_SKIP() << "libsndfile cannot write " << format.extension;
  std::string error;
  std::unique_ptr<AudioSource> source = openAudioFile(path, &error);
  ASSERT_TRUE(source) << error;
  EXPECT_EQ(source->sampleRate(), format.rate);
  EXPECT_EQ(source->channels(), 2);
  EXPECT_EQ(source->info().artist, "The Testers");
  EXPECT_EQ(source->info().title, "Sine Song");

  std::vector<float> all;
  std::vector<float> block(2 * 1000);
  while (size_t got = source->read(block.data(), 1000)) all.insert(all.end(), block.begin(), block.begin() + 2 * got);
  size_t frames = all.size() / 2;
  EXPECT_NEAR(static_cast<double>(frames), format.rate, format.lossy ? format.rate * 0.05 : 0);
  double left = 0, right = 0;
  for (size_t i = frames / 4; i < frames * 3 / 4; ++i) {
    left += all[2 * i] * all[2 * i];
    right += all[2 * i + 1] * all[2 * i + 1];
  }
  EXPECT_NEAR(std::sqrt(left / (frames / 2)), 0.5 / std::sqrt(2.0), 0.03);
  EXPECT_LT(std::sqrt(right / (frames / 2)), 0.01);

  ASSERT_TRUE(source->seek(format.rate / 2));
  EXPECT_EQ(source->read(block.data(), 1000), 1000u);
}

INSTANTIATE_TEST_SUITE_P(
    DebianLibsndfile, AudioFileFormat,
    ::testing::Values(Format{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, false},
                      Format{"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, false},
                      Format{"aiff", SF_FORMAT_AIFF | SF_FORMAT_FLOAT, 22050, false},
                      Format{"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, true},
                      Format{"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, true},
                      Format{"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, true}),
    [](const ::testing::TestParamInfo<Format>& info) { return std::string(info.param.extension); });

TEST(AudioFile, UntaggedFileIsTitledByItsName) {
  std::string path = tempPath("Night Drive.wav");
  ASSERT_TRUE(writeTestFile(path, Format{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, false}, nullptr, nullptr));
  std::string error;
  std::unique_ptr<AudioSource> source = openAudioFile(path, &error);
  ASSERT_TRUE(source) << error;
  EXPECT_EQ(source->info().artist, "");
  EXPECT_EQ(source->info().title, "Night Drive");
}

TEST(AudioFile, RefusesWhatItCannotReadWithTheReason) {
  std::string error;
  EXPECT_FALSE(openAudioFile("/nonexistent/song.ogg", &error));
  EXPECT_NE(error.find("/nonexistent/song.ogg"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;

  EXPECT_FALSE(openAudioFile(testing::TempDir(), &error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;

  std::string garbage = tempPath("garbage.wav");
  FILE* file = std::fopen(garbage.c_str(), "wb");
  for (int i = 0; i < 5000; ++i) std::fputc((i * 7919) & 0xFF, file);
  std::fclose(file);
  EXPECT_FALSE(openAudioFile(garbage, &error));
  EXPECT_NE(error.find("not an audio file"), std::string::npos) << error;

  if (getuid() != 0) {  // root reads anything
    chmod(garbage.c_str(), 0);
    EXPECT_FALSE(openAudioFile(garbage, &error));
    EXPECT_NE(error.find("ermission"), std::string::npos) << error;
  }
}

TEST(AudioFile, TruncatedFileReadsWhatIsThere) {
  std::string path = tempPath("cut.wav");
  ASSERT_TRUE(writeTestFile(path, Format{"wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, false}, nullptr, nullptr));
  ASSERT_EQ(truncate(path.c_str(), 44 + 4 * 10000), 0);
  std::string error;
  std::unique_ptr<AudioSource> source = openAudioFile(path, &error);
  ASSERT_TRUE(source) << error;
  std::vector<float> block(2 * 4096);
  size_t total = 0;
  while (size_t got = source->read(block.data(), 4096)) total += got;
  EXPECT_LE(total, 10000u);
}

TEST(DemoTrack, IsAMinuteOfStereoMusicThatSeeksExactly) {
  std::unique_ptr<AudioSource> demo = openDemoTrack();
  EXPECT_EQ(demo->frameCount(), static_cast<int64_t>(kDemoSeconds * kDemoSampleRate));
  EXPECT_EQ(demo->info().title, "Demo");
  // Read straight through to 20 s, then seek back and read the same frames.
  std::vector<float> block(2 * 4410);
  double energyLeft = 0, differenceLR = 0;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(demo->read(block.data(), 4410), 4410u);
    for (int j = 0; j < 4410; ++j) {
      energyLeft += block[2 * j] * block[2 * j];
      differenceLR += std::fabs(block[2 * j] - block[2 * j + 1]);
      ASSERT_LE(std::fabs(block[2 * j]), 1.0f);
    }
  }
  EXPECT_GT(energyLeft / (200 * 4410), 0.001) << "audible";
  EXPECT_GT(differenceLR, 100.0) << "the two channels differ";
  std::vector<float> again(block.size());
  ASSERT_TRUE(demo->seek(199 * 4410));
  ASSERT_EQ(demo->read(again.data(), 4410), 4410u);
  EXPECT_EQ(again, block);
  ASSERT_TRUE(demo->seek(demo->frameCount() - 10));
  EXPECT_EQ(demo->read(block.data(), 4410), 10u);
  EXPECT_EQ(demo->read(block.data(), 4410), 0u);
}

}  // namespace
}  // namespace velmo
