// The 3DF writer: mipmap chains, texel encoding, and files that our reader
// takes back with the same picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "tdf/mipmap.h"
#include "tdf/png_io.h"
#include "tdf/tdf_writer.h"
#include "tdf/texel_encode.h"
#include "temp_file.h"

namespace {

using velmo::tools::Image;
using velmo::tools::packArgb;

// A picture with a different colour and alpha in every texel.
Image testPicture(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.at(x, y) = packArgb((x * 37 + y * 11) & 255, (x * 16 + 7) & 255, (y * 29 + 3) & 255,
                                (x * y * 5 + 100) & 255);
  return image;
}

TEST(Mipmap, AveragesTwoByTwoWithRounding) {
  Image image(2, 2);
  image.at(0, 0) = packArgb(255, 0, 10, 1);
  image.at(1, 0) = packArgb(255, 0, 20, 2);
  image.at(0, 1) = packArgb(0, 255, 30, 2);
  image.at(1, 1) = packArgb(0, 255, 41, 2);
  Image half = velmo::tools::halve(image);
  ASSERT_EQ(half.width, 1);
  ASSERT_EQ(half.height, 1);
  EXPECT_EQ(half.at(0, 0), packArgb(128, 128, 25, 2));  // 127.5, 127.5, 25.25, 1.75
}

TEST(Mipmap, NarrowLevelsAverageAlongTheLongSide) {
  Image image(4, 1);
  for (int x = 0; x < 4; ++x) image.at(x, 0) = packArgb(255, x * 60, 0, 0);
  Image half = velmo::tools::halve(image);
  ASSERT_EQ(half.width, 2);
  ASSERT_EQ(half.height, 1);
  EXPECT_EQ(half.at(0, 0), packArgb(255, 30, 0, 0));
  EXPECT_EQ(half.at(1, 0), packArgb(255, 150, 0, 0));
}

TEST(Mipmap, ChainStopsAtTheSmallestSide) {
  auto chain = velmo::tools::mipmapChain(Image(256, 32), 1);
  ASSERT_EQ(chain.size(), 9u);
  EXPECT_EQ(chain[5].width, 8);
  EXPECT_EQ(chain[5].height, 1);
  EXPECT_EQ(chain[8].width, 1);
  EXPECT_EQ(velmo::tools::mipmapChain(Image(64, 64), 8).size(), 4u);
}

TEST(TextureSize, OnlyGlideShapesPass) {
  EXPECT_EQ(velmo::tools::textureSizeProblem(256, 256), "");
  EXPECT_EQ(velmo::tools::textureSizeProblem(256, 32), "");
  EXPECT_EQ(velmo::tools::textureSizeProblem(1, 8), "");
  EXPECT_NE(velmo::tools::textureSizeProblem(512, 256), "");
  EXPECT_NE(velmo::tools::textureSizeProblem(96, 64), "");
  EXPECT_NE(velmo::tools::textureSizeProblem(256, 16), "");
  EXPECT_NE(velmo::tools::textureSizeProblem(0, 1), "");
}

TEST(Encode3df, RefusesWhatIsNotAChainOrFormat) {
  auto chain = velmo::tools::mipmapChain(Image(8, 8), 1);
  EXPECT_THROW(velmo::tools::encode3df(chain, GR_TEXFMT_P_8), std::invalid_argument);
  EXPECT_THROW(velmo::tools::encode3df({}, GR_TEXFMT_RGB_565), std::invalid_argument);
  chain.erase(chain.begin() + 1);
  EXPECT_THROW(velmo::tools::encode3df(chain, GR_TEXFMT_RGB_565), std::invalid_argument);
  EXPECT_THROW(velmo::tools::encode3df({Image(12, 8)}, GR_TEXFMT_RGB_565), std::invalid_argument);
}

TEST(Encode3df, WritesTheHeaderGlideExpects) {
  auto bytes = velmo::tools::encode3df(velmo::tools::mipmapChain(Image(32, 64), 4), GR_TEXFMT_ARGB_4444);
  const std::string expected = "3df v1.1\nargb4444\nlod range: 4 64\naspect ratio: 1 2\n";
  ASSERT_GT(bytes.size(), expected.size());
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + expected.size()), expected);
}

struct RoundTrip {
  const char* format;
  int alphaError, colourError;  // largest error per channel after decoding; -1: not kept
  bool grey;                    // the format keeps the mean of red, green and blue
};

void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.format; }

class RoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, ReaderGivesBackThePicture) {
  const RoundTrip& c = GetParam();
  GrTextureFormat_t format = *velmo::tools::writableFormatByName(c.format);
  velmo_test::TempFolder dir;
  const std::string path = dir.path("round.3df");
  const Image picture = testPicture(32, 16);
  auto chain = velmo::tools::mipmapChain(picture, 1);
  velmo::tools::write3df(path, chain, format);

  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.header.format, format);
  EXPECT_EQ(texture.info.header.width, 32u);
  EXPECT_EQ(texture.info.header.height, 16u);
  EXPECT_EQ(texture.info.header.aspect_ratio, GR_ASPECT_2x1);
  EXPECT_EQ(texture.info.header.large_lod, GR_LOD_32);
  EXPECT_EQ(texture.info.header.small_lod, GR_LOD_1);

  for (size_t level = 0; level < chain.size(); level += 2) {
    int width, height;
    auto decoded = velmo_test::decodeLevel(texture, static_cast<int>(level), &width, &height);
    ASSERT_EQ(width, chain[level].width);
    ASSERT_EQ(height, chain[level].height);
    for (size_t i = 0; i < decoded.size(); ++i) {
      const uint32_t want = chain[level].pixels[i], got = decoded[i];
      if (c.alphaError >= 0) {
        ASSERT_LE(std::abs(int(want >> 24) - int(got >> 24)), c.alphaError) << level << ":" << i;
      }
      if (c.colourError < 0) continue;
      for (int shift : {0, 8, 16}) {
        int expected = int(want >> shift & 255);
        if (c.grey) expected = (int(want >> 16 & 255) + int(want >> 8 & 255) + int(want & 255) + 1) / 3;
        ASSERT_LE(std::abs(expected - int(got >> shift & 255)), c.colourError) << level << ":" << i;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryWritableFormat, RoundTripTest,
    testing::Values(RoundTrip{"rgb565", -1, 4, false}, RoundTrip{"argb1555", 127, 4, false},
                    RoundTrip{"argb4444", 8, 8, false}, RoundTrip{"rgb332", -1, 42, false},
                    RoundTrip{"argb8332", 0, 42, false}, RoundTrip{"argb8888", 0, 0, false},
                    RoundTrip{"a8", 0, -1, false}, RoundTrip{"i8", -1, 0, true},
                    RoundTrip{"ai44", 8, 8, true}, RoundTrip{"ai88", 0, 0, true}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.format); });

TEST(Png, KeepsEveryChannel) {
  velmo_test::TempFolder dir;
  const Image picture = testPicture(7, 5);
  velmo::tools::writePng(dir.path("p.png"), picture);
  Image back = velmo::tools::readPng(dir.path("p.png"));
  ASSERT_EQ(back.width, 7);
  ASSERT_EQ(back.height, 5);
  EXPECT_EQ(back.pixels, picture.pixels);
}

TEST(Png, RefusesWhatIsNotPng) {
  velmo_test::TempFolder dir;
  velmo_test::writeBytes(dir.path("fake.png"), {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0});
  EXPECT_THROW(velmo::tools::readPng(dir.path("fake.png")), std::runtime_error);
  velmo_test::writeBytes(dir.path("text.png"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_THROW(velmo::tools::readPng(dir.path("text.png")), std::runtime_error);
  EXPECT_THROW(velmo::tools::readPng(dir.path("absent.png")), std::runtime_error);
}

}  // namespace
