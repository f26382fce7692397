// The reader and decoders on real 3DF files written by the Glide SDK's converter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "temp_file.h"
#include "texture_format.h"

namespace {

using velmo_test::decodeLargestLevel;
using velmo_test::loadTexture;

std::string testdataPath(const std::string& name) {
  return std::string(VELMO_TESTDATA_DIR) + "/3df/" + name;
}

#define SKIP_WITHOUT_TESTDATA()                            \
  if (!std::filesystem::exists(testdataPath("README.md"))) \
  GTEST_SKIP() << "real 3DF files not found in " << VELMO_TESTDATA_DIR << "/3df"

struct IntactFile {
  const char* name;
  GrTextureFormat_t format;
  int smallLod;
  int largeLod;
};

void PrintTo(const IntactFile& file, std::ostream* os) { *os << file.name; }

class IntactFileTest : public testing::TestWithParam<IntactFile> {};

TEST_P(IntactFileTest, LoadsWithHeaderAndDecodes) {
  SKIP_WITHOUT_TESTDATA();
  const IntactFile& file = GetParam();
  auto texture = loadTexture(testdataPath(file.name));
  ASSERT_TRUE(texture.ok);
  const Gu3dfHeader& header = texture.info.header;
  EXPECT_EQ(header.format, file.format);
  EXPECT_EQ(header.small_lod, file.smallLod);
  EXPECT_EQ(header.large_lod, file.largeLod);
  EXPECT_EQ(header.aspect_ratio, GR_ASPECT_1x1);
  EXPECT_EQ(header.width, 256u >> file.largeLod);
  EXPECT_EQ(header.height, 256u >> file.largeLod);
  EXPECT_EQ(texture.info.mem_required,
            glide::mipmapBytes(file.format, file.smallLod, file.largeLod, GR_ASPECT_1x1));

  auto pixels = decodeLargestLevel(texture);
  ASSERT_EQ(pixels.size(), size_t(header.width * header.height));
  // A real picture uses many colours; a decoder reading the wrong bytes tends
  // to produce a handful or constant noise.
  std::sort(pixels.begin(), pixels.end());
  EXPECT_GT(std::unique(pixels.begin(), pixels.end()) - pixels.begin(), 32);
}

INSTANTIATE_TEST_SUITE_P(
    RealFiles, IntactFileTest,
    testing::Values(IntactFile{"rgb565.3df", GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256},
                    IntactFile{"argb1555.3df", GR_TEXFMT_ARGB_1555, GR_LOD_1, GR_LOD_256},
                    IntactFile{"argb4444.3df", GR_TEXFMT_ARGB_4444, GR_LOD_1, GR_LOD_256},
                    IntactFile{"argb8332.3df", GR_TEXFMT_ARGB_8332, GR_LOD_1, GR_LOD_256},
                    IntactFile{"rgb332.3df", GR_TEXFMT_RGB_332, GR_LOD_1, GR_LOD_256},
                    IntactFile{"argb8888.3df", VGL_TEXFMT_ARGB_8888, GR_LOD_1, GR_LOD_256},
                    IntactFile{"alpha.3df", GR_TEXFMT_ALPHA_8, GR_LOD_1, GR_LOD_256},
                    IntactFile{"decal1.3df", GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256},
                    IntactFile{"light.3df", GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_64},
                    IntactFile{"lava.3df", GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_256},
                    IntactFile{"miro.3df", GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256},
                    IntactFile{"yiq.3df", GR_TEXFMT_YIQ_422, GR_LOD_1, GR_LOD_256}),
    [](const testing::TestParamInfo<IntactFile>& info) {
      std::string name = info.param.name;
      return name.substr(0, name.find('.'));
    });

// Mean absolute difference per colour channel between two decoded pictures.
double meanChannelDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int shift : {0, 8, 16}) sum += std::abs(int(a[i] >> shift & 255) - int(b[i] >> shift & 255));
  return sum / (3.0 * a.size());
}

struct SamePicture {
  const char* file;
  const char* reference;
  double bound;  // a little above what a correct decoder gives
};

void PrintTo(const SamePicture& pair, std::ostream* os) { *os << pair.file << " vs " << pair.reference; }

class SamePictureTest : public testing::TestWithParam<SamePicture> {};

TEST_P(SamePictureTest, DecodesCloseToReference) {
  SKIP_WITHOUT_TESTDATA();
  auto file = loadTexture(testdataPath(GetParam().file));
  auto reference = loadTexture(testdataPath(GetParam().reference));
  ASSERT_TRUE(file.ok && reference.ok);
  auto a = decodeLargestLevel(file);
  auto b = decodeLargestLevel(reference);
  ASSERT_EQ(a.size(), b.size());
  double difference = meanChannelDifference(a, b);
  std::printf("  mean difference per channel: %.2f\n", difference);
  EXPECT_LT(difference, GetParam().bound);
}

INSTANTIATE_TEST_SUITE_P(RealFiles, SamePictureTest,
                         testing::Values(SamePicture{"rgb565.3df", "argb8888.3df", 2.0},
                                         SamePicture{"argb1555.3df", "argb8888.3df", 2.5},
                                         SamePicture{"argb4444.3df", "argb8888.3df", 6.5},
                                         SamePicture{"rgb332.3df", "argb8888.3df", 24.0},
                                         SamePicture{"argb8332.3df", "argb8888.3df", 24.0},
                                         SamePicture{"yiq.3df", "miro.3df", 9.0}));

TEST(RealFiles, SmallerLevelsFollowTheLargest) {
  SKIP_WITHOUT_TESTDATA();
  // The 128x128 level of a box-filtered chain looks like the 256x256 level
  // shrunk; a wrong level offset would show an unrelated picture.
  auto texture = loadTexture(testdataPath("argb8888.3df"));
  ASSERT_TRUE(texture.ok);
  int width, height;
  auto large = velmo_test::decodeLevel(texture, 0, &width, &height);
  auto half = velmo_test::decodeLevel(texture, 1, &width, &height);
  ASSERT_EQ(width, 128);
  std::vector<uint32_t> shrunk(half.size());
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) shrunk[y * 128 + x] = large[(2 * y) * 256 + 2 * x];
  EXPECT_LT(meanChannelDifference(shrunk, half), 20.0);
}

class DamagedFileTest : public testing::TestWithParam<const char*> {};

TEST_P(DamagedFileTest, IsRefused) {
  SKIP_WITHOUT_TESTDATA();
  std::string path = testdataPath(GetParam());
  Gu3dfInfo info{};
  EXPECT_FALSE(gu3dfGetInfo(path.c_str(), &info));

  // Even a caller that skips gu3dfGetInfo and guesses the size gets no texture.
  std::vector<uint32_t> storage(4 * 256 * 256);
  info.data = storage.data();
  info.mem_required = glide::mipmapBytes(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1);
  EXPECT_FALSE(gu3dfLoad(path.c_str(), &info));
}

INSTANTIATE_TEST_SUITE_P(RealFiles, DamagedFileTest,
                         testing::Values("truncated-p8.3df", "truncated-ap88.3df",
                                         "truncated-ayiq8422.3df", "truncated-yiq.3df",
                                         "truncated-lava.3df"),
                         [](const testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           name = name.substr(10, name.find('.') - 10);
                           return name;
                         });

}  // namespace
