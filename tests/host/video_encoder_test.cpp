// The picture a video holds: frames of known colours go in, FFmpeg decodes
// the file, and each colour comes back where it was drawn (channel order,
// matrix and range all show in a wrong colour).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/video_encoder.h"
#include "run_program.h"
#include "temp_folder.h"

namespace {

TEST(VideoEncoder, ColoursSurviveConversionAndEncoding) {
  if (!toolAvailable("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  constexpr int kWidth = 320, kHeight = 240, kStride = kWidth + 16;
  // Four bands across, 0x00RRGGBB; each row ends in 16 pixels of padding.
  const uint32_t bands[4] = {0xE02010, 0x20C040, 0x3040D0, 0xF0F0F0};
  std::vector<uint32_t> pixels(size_t(kStride) * kHeight, 0xFFFFFFFFu);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) pixels[size_t(y) * kStride + x] = bands[x * 4 / kWidth];

  velmo_test::TempFolder folder("velmo-video");
  const std::string path = folder.path("bands.mp4");
  velmo::VideoSettings settings;
  settings.width = kWidth;
  settings.height = kHeight;
  settings.fps = 25;
  settings.sampleRate = 0;
  std::string error;
  velmo::VideoEncoder encoder;
  ASSERT_TRUE(encoder.open(path, path, settings, &error)) << error;
  for (int frame = 0; frame < 5; ++frame) ASSERT_TRUE(encoder.addFrame(pixels.data(), kStride, &error)) << error;
  ASSERT_TRUE(encoder.finish(&error)) << error;

  const ProgramResult raw =
      runProgram("ffmpeg -v error -i " + shellQuote(path) + " -frames:v 1 -f rawvideo -pix_fmt rgb24 -", 60);
  ASSERT_EQ(raw.status, 0) << raw.output;
  ASSERT_EQ(raw.output.size(), size_t(kWidth) * kHeight * 3);
  for (int band = 0; band < 4; ++band) {
    const int x = band * kWidth / 4 + kWidth / 8, y = kHeight / 2;
    const unsigned char* rgb = reinterpret_cast<const unsigned char*>(raw.output.data()) + (y * kWidth + x) * 3;
    for (int channel = 0; channel < 3; ++channel) {
      const int expected = (bands[band] >> (16 - 8 * channel)) & 0xFF;
      EXPECT_NEAR(rgb[channel], expected, 6) << "band " << band << ", channel " << channel;
    }
  }
}

}  // namespace
