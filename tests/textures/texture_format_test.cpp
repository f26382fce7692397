// Level sizes and texel decoding of every Glide 2 format.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "texture_format.h"

namespace {

TEST(LevelSize, FollowsLodAndAspect) {
  int width, height;
  glide::levelSize(GR_LOD_256, GR_ASPECT_1x1, &width, &height);
  EXPECT_EQ(std::make_tuple(width, height), std::make_tuple(256, 256));
  glide::levelSize(GR_LOD_256, GR_ASPECT_8x1, &width, &height);
  EXPECT_EQ(std::make_tuple(width, height), std::make_tuple(256, 32));
  glide::levelSize(GR_LOD_128, GR_ASPECT_1x2, &width, &height);
  EXPECT_EQ(std::make_tuple(width, height), std::make_tuple(64, 128));
  // The smaller side never drops below one texel.
  glide::levelSize(GR_LOD_4, GR_ASPECT_1x8, &width, &height);
  EXPECT_EQ(std::make_tuple(width, height), std::make_tuple(1, 4));
  glide::levelSize(GR_LOD_1, GR_ASPECT_8x1, &width, &height);
  EXPECT_EQ(std::make_tuple(width, height), std::make_tuple(1, 1));
}

TEST(LevelSize, OutOfRangeGivesNothing) {
  int width = -1, height = -1;
  glide::levelSize(GR_LOD_1 + 1, GR_ASPECT_1x1, &width, &height);
  EXPECT_EQ(width + height, 0);
  glide::levelSize(GR_LOD_256, GR_ASPECT_1x8 + 1, &width, &height);
  EXPECT_EQ(width + height, 0);
  glide::levelSize(-1, GR_ASPECT_1x1, &width, &height);
  EXPECT_EQ(width + height, 0);
}

TEST(MipmapBytes, SumsEveryLevel) {
  // 256x256 down to 1x1 holds 87381 texels.
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1), 174762u);
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_P_8, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1), 87381u);
  EXPECT_EQ(glide::mipmapBytes(VGL_TEXFMT_ARGB_8888, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1), 349524u);
  // 256x128 ... 2x1, 1x1: the last two levels are both one texel high.
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256, GR_ASPECT_2x1), 87382u);
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1), 8192u);
}

TEST(MipmapBytes, RefusesBadArguments) {
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RSVD0, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1), 0u);
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_256, GR_LOD_1, GR_ASPECT_1x1), 0u);
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_1 + 1, GR_LOD_256, GR_ASPECT_1x1), 0u);
  EXPECT_EQ(glide::mipmapBytes(GR_TEXFMT_RGB_565, GR_LOD_1, GR_LOD_256, 7), 0u);
}

TEST(ExpandBits, ZeroStaysZeroAndFullBecomes255) {
  for (int bits = 1; bits <= 8; ++bits) {
    EXPECT_EQ(glide::expandBits(0, bits), 0u) << bits;
    EXPECT_EQ(glide::expandBits((1u << bits) - 1, bits), 255u) << bits;
  }
  EXPECT_EQ(glide::expandBits(0x10, 5), 0x84u);  // 10000 -> 10000 100
  EXPECT_EQ(glide::expandBits(0x2, 2), 0xAAu);   // 10 -> 10 10 10 10
  EXPECT_EQ(glide::expandBits(0x5, 3), 0xB6u);   // 101 -> 101 101 10
}

// A table whose entries are easy to recognise in decoded colours.
GuTexTable testTable() {
  GuTexTable table;
  std::memset(&table, 0, sizeof table);
  for (int i = 0; i < 256; ++i)
    table.palette.data[i] = 0xAB000000u | static_cast<FxU32>(i) << 16 | 0x1200u | (255 - i);
  return table;
}

GuTexTable testNccTable() {
  GuTexTable table;
  std::memset(&table, 0, sizeof table);
  for (int y = 0; y < 16; ++y) table.nccTable.yRGB[y] = static_cast<FxU8>(y * 16);
  const FxI16 i1[3] = {40, -20, 0};
  const FxI16 q2[3] = {0, 10, -300};
  std::memcpy(table.nccTable.iRGB[1], i1, sizeof i1);
  std::memcpy(table.nccTable.qRGB[2], q2, sizeof q2);
  return table;
}

struct TexelCase {
  const char* name;
  GrTextureFormat_t format;
  FxU32 texel;
  FxU32 expected;
};

void PrintTo(const TexelCase& c, std::ostream* os) { *os << c.name; }

class DecodeTexelTest : public testing::TestWithParam<TexelCase> {};

TEST_P(DecodeTexelTest, GivesExpectedArgb) {
  const TexelCase& c = GetParam();
  GuTexTable table = glide::usesNccTable(c.format) ? testNccTable() : testTable();
  FxU8 raw[4];
  switch (glide::texelBytes(c.format)) {
    case 1: raw[0] = static_cast<FxU8>(c.texel); break;
    case 2: {
      FxU16 v = static_cast<FxU16>(c.texel);
      std::memcpy(raw, &v, 2);
      break;
    }
    default: std::memcpy(raw, &c.texel, 4);
  }
  FxU32 out = 0;
  ASSERT_TRUE(glide::decodeTexels(c.format, raw, &table, 1, 1, &out));
  EXPECT_EQ(out, c.expected) << std::hex << out;
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, DecodeTexelTest,
    testing::Values(
        TexelCase{"rgb332_red", GR_TEXFMT_RGB_332, 0xE0, 0xFFFF0000},
        TexelCase{"rgb332_green", GR_TEXFMT_RGB_332, 0x1C, 0xFF00FF00},
        TexelCase{"rgb332_blue", GR_TEXFMT_RGB_332, 0x02, 0xFF0000AA},
        TexelCase{"yiq_plain_y", GR_TEXFMT_YIQ_422, 0x50, 0xFF505050},
        // Y 0xF0 + I[1] (+40, -20, 0) + Q[2] (0, +10, -300): clamped per channel.
        TexelCase{"yiq_clamped", GR_TEXFMT_YIQ_422, 0xF6, 0xFFFFE600},
        TexelCase{"alpha8", GR_TEXFMT_ALPHA_8, 0x40, 0x40404040},
        TexelCase{"intensity8", GR_TEXFMT_INTENSITY_8, 0x40, 0xFF404040},
        TexelCase{"ai44", GR_TEXFMT_ALPHA_INTENSITY_44, 0x5A, 0x55AAAAAA},
        // Palette entries keep their colour; p8 texels are opaque.
        TexelCase{"p8", GR_TEXFMT_P_8, 0x03, 0xFF0312FC},
        TexelCase{"argb8332", GR_TEXFMT_ARGB_8332, 0x80E3, 0x80FF00FF},
        TexelCase{"ayiq8422", GR_TEXFMT_AYIQ_8422, 0x3450, 0x34505050},
        TexelCase{"rgb565_red", GR_TEXFMT_RGB_565, 0xF800, 0xFFFF0000},
        TexelCase{"rgb565_green", GR_TEXFMT_RGB_565, 0x07E0, 0xFF00FF00},
        TexelCase{"rgb565_blue", GR_TEXFMT_RGB_565, 0x0010, 0xFF000084},
        TexelCase{"argb1555_opaque_red", GR_TEXFMT_ARGB_1555, 0xFC00, 0xFFFF0000},
        TexelCase{"argb1555_clear_green", GR_TEXFMT_ARGB_1555, 0x03E0, 0x0000FF00},
        TexelCase{"argb4444", GR_TEXFMT_ARGB_4444, 0x8F0A, 0x88FF00AA},
        TexelCase{"ai88", GR_TEXFMT_ALPHA_INTENSITY_88, 0x1234, 0x12343434},
        TexelCase{"ap88", GR_TEXFMT_AP_88, 0x7F02, 0x7F0212FD},
        TexelCase{"argb8888", VGL_TEXFMT_ARGB_8888, 0x12345678, 0x12345678}),
    [](const testing::TestParamInfo<TexelCase>& info) { return std::string(info.param.name); });

TEST(DecodeTexels, RowsStayInOrder) {
  const FxU16 texels[2 * 2] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
  FxU32 out[4];
  ASSERT_TRUE(glide::decodeTexels(GR_TEXFMT_RGB_565, texels, nullptr, 2, 2, out));
  EXPECT_EQ(out[0], 0xFFFF0000u);
  EXPECT_EQ(out[1], 0xFF00FF00u);
  EXPECT_EQ(out[2], 0xFF0000FFu);
  EXPECT_EQ(out[3], 0xFFFFFFFFu);
}

TEST(DecodeTexels, RefusesWhatItCannotDecode) {
  FxU8 texel = 1;
  FxU32 out = 0xDEADBEEF;
  for (GrTextureFormat_t format : {GR_TEXFMT_RSVD0, GR_TEXFMT_RSVD1, GR_TEXFMT_RSVD2, 99, -1})
    EXPECT_FALSE(glide::decodeTexels(format, &texel, nullptr, 1, 1, &out)) << format;
  // Table formats need their table.
  for (GrTextureFormat_t format : {GR_TEXFMT_P_8, GR_TEXFMT_AP_88, GR_TEXFMT_YIQ_422,
                                   GR_TEXFMT_AYIQ_8422})
    EXPECT_FALSE(glide::decodeTexels(format, &texel, nullptr, 1, 1, &out)) << format;
  EXPECT_FALSE(glide::decodeTexels(GR_TEXFMT_P_8, &texel, nullptr, 0, 1, &out));
  EXPECT_EQ(out, 0xDEADBEEFu);
}

}  // namespace
