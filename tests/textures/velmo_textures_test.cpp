// The plug-in's four textures, as the build leaves them beside the plug-in,
// loaded through our Glide's reader and checked for what the drawing code
// expects of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "temp_file.h"
#include "texture_format.h"

namespace {

using velmo_test::loadTexture;

std::string outputPath(const std::string& name) { return std::string(VELMO_OUTPUT_DIR) + "/" + name; }

struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[y * width + x] & 0xFFFFFF; }
};

Picture loadPicture(const std::string& name) {
  auto texture = loadTexture(outputPath(name));
  Picture picture;
  if (!texture.ok) return picture;
  picture.pixels = velmo_test::decodeLevel(texture, 0, &picture.width, &picture.height);
  return picture;
}

int brightest(uint32_t rgb) { return std::max({rgb >> 16 & 255, rgb >> 8 & 255, rgb & 255}); }

struct Expected {
  const char* file;
  FxU32 width, height;
  GrAspectRatio_t aspect;
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.file; }

class TextureFileTest : public testing::TestWithParam<Expected> {};

TEST_P(TextureFileTest, LoadsAsMipmappedRgb565) {
  const Expected& e = GetParam();
  auto texture = loadTexture(outputPath(e.file));
  ASSERT_TRUE(texture.ok) << outputPath(e.file);
  EXPECT_EQ(texture.info.header.format, GR_TEXFMT_RGB_565);
  EXPECT_EQ(texture.info.header.width, e.width);
  EXPECT_EQ(texture.info.header.height, e.height);
  EXPECT_EQ(texture.info.header.aspect_ratio, e.aspect);
  EXPECT_EQ(texture.info.header.large_lod, GR_LOD_256);
  EXPECT_EQ(texture.info.header.small_lod, GR_LOD_1);
}

INSTANTIATE_TEST_SUITE_P(PlugIn, TextureFileTest,
                         testing::Values(Expected{"Light.3df", 256, 256, GR_ASPECT_1x1},
                                         Expected{"Velmo1.3df", 256, 256, GR_ASPECT_1x1},
                                         Expected{"VelmoFont.3df", 256, 256, GR_ASPECT_1x1},
                                         Expected{"VelmoLogo.3df", 256, 128, GR_ASPECT_2x1}),
                         [](const testing::TestParamInfo<Expected>& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

TEST(PlugInTextures, FitTheDefaultTextureMemoryTogether) {
  FxU32 total = 0;
  for (const char* name : {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"}) {
    Gu3dfInfo info{};
    ASSERT_TRUE(gu3dfGetInfo(outputPath(name).c_str(), &info)) << name;
    total += info.mem_required;
  }
  EXPECT_LE(total, 2u * 1024 * 1024);
}

TEST(PlugInTextures, BarMarkerColourIsBright) {
  Picture bars = loadPicture("Velmo1.3df");
  ASSERT_EQ(bars.width, 256);
  EXPECT_GE(brightest(bars.at(0, 0)), 200) << std::hex << bars.at(0, 0);
  // Filtered at (0, 0) with wrapping, the four corners meet: they agree.
  EXPECT_EQ(bars.at(255, 0), bars.at(0, 0));
  EXPECT_EQ(bars.at(0, 255), bars.at(0, 0));
  EXPECT_EQ(bars.at(255, 255), bars.at(0, 0));
}

// Across the wrap from the last column to the first (and the last row to the
// first) the light texture changes no more than between neighbours inside it.
TEST(PlugInTextures, LightTilesWithoutSeam) {
  Picture light = loadPicture("Light.3df");
  ASSERT_EQ(light.width, 256);
  auto difference = [](uint32_t a, uint32_t b) {
    int sum = 0;
    for (int shift : {0, 8, 16}) sum += std::abs(int(a >> shift & 255) - int(b >> shift & 255));
    return sum;
  };
  double inside = 0, acrossX = 0, acrossY = 0;
  for (int i = 0; i < 256; ++i) {
    inside += difference(light.at(127, i), light.at(128, i));
    acrossX += difference(light.at(255, i), light.at(0, i));
    acrossY += difference(light.at(i, 255), light.at(i, 0));
  }
  EXPECT_LE(acrossX, 2 * inside + 256 * 3);
  EXPECT_LE(acrossY, 2 * inside + 256 * 3);
  // Nor is it flat: it is a pattern, not a colour.
  std::set<uint32_t> colours(light.pixels.begin(), light.pixels.end());
  EXPECT_GT(colours.size(), 200u);
}

TEST(PlugInTextures, LogoFillsItsRowsAndLeavesTheRestBlack) {
  Picture logo = loadPicture("VelmoLogo.3df");
  ASSERT_EQ(logo.height, 128);
  int left = 256, right = -1, top = 128, bottom = -1;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 256; ++x)
      if (brightest(logo.at(x, y)) > 64) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  EXPECT_LT(left, 40);
  EXPECT_GT(right, 215);
  EXPECT_LT(top, 30);
  EXPECT_LE(bottom, 124);
  for (int y = 125; y < 128; ++y)
    for (int x = 0; x < 256; ++x) ASSERT_EQ(logo.at(x, y), 0u) << x << "," << y;
}

// The font grid: code c in column c % 16, row c / 16, 16x16 texels per cell.
class FontTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { font = new Picture(loadPicture("VelmoFont.3df")); }
  static void TearDownTestSuite() { delete font; }
  static Picture* font;

  static std::vector<uint32_t> cell(int code) {
    std::vector<uint32_t> texels;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) texels.push_back(font->at(code % 16 * 16 + x, code / 16 * 16 + y));
    return texels;
  }
  static int litTexels(int code) {
    auto texels = cell(code);
    return static_cast<int>(std::count_if(texels.begin(), texels.end(), [](uint32_t t) { return t != 0; }));
  }
};
Picture* FontTest::font = nullptr;

TEST_F(FontTest, BlankCodesAreBlack) {
  ASSERT_EQ(font->width, 256);
  for (int code : {0, 1, 9, 10, 31, 32, 127, 0x81, 0xA0}) EXPECT_EQ(litTexels(code), 0) << code;
}

TEST_F(FontTest, EveryPrintableAsciiCharacterHasItsOwnGlyph) {
  ASSERT_EQ(font->width, 256);
  std::set<std::vector<uint32_t>> seen;
  for (int code = 33; code < 127; ++code) {
    EXPECT_GT(litTexels(code), 4) << char(code);
    EXPECT_TRUE(seen.insert(cell(code)).second) << char(code) << " looks like another character";
  }
  EXPECT_NE(cell('A'), cell('B'));
}

TEST_F(FontTest, GlyphsSitWhereTheirShapesSay) {
  ASSERT_EQ(font->width, 256);
  // '_' lies on the bottom of its cell, the top of '^' near the top; '.' is low.
  auto rowsLit = [&](int code) {
    auto texels = cell(code);
    int first = 16, last = -1;
    for (int i = 0; i < 256; ++i)
      if (brightest(texels[i]) > 96) first = std::min(first, i / 16), last = std::max(last, i / 16);
    struct Rows {
      int firstRow, lastRow;
    };
    return Rows{first, last};
  };
  EXPECT_GE(rowsLit('_').firstRow, 12);
  EXPECT_LE(rowsLit('^').lastRow, 8);
  EXPECT_GE(rowsLit('.').firstRow, 8);
  EXPECT_LE(rowsLit('T').firstRow, 3);
  // Descenders stay inside the cell: 'g' reaches below the baseline row of 'a'.
  EXPECT_GT(rowsLit('g').lastRow, rowsLit('a').lastRow);
}

// Bilinear filtering reads one texel beyond a cell's edge, so the outer columns
// stay black and neighbouring glyphs do not bleed into each other.
TEST_F(FontTest, CellEdgesStayBlack) {
  ASSERT_EQ(font->width, 256);
  for (int code = 33; code < 127; ++code)
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(font->at(code % 16 * 16, code / 16 * 16 + y), 0u) << char(code) << " row " << y;
      EXPECT_EQ(font->at(code % 16 * 16 + 15, code / 16 * 16 + y), 0u) << char(code) << " row " << y;
    }
}

TEST_F(FontTest, Latin1LettersArePresent) {
  ASSERT_EQ(font->width, 256);
  for (int code : {0xC4, 0xE9, 0xF1, 0xDF, 0x80 /* euro */})
    EXPECT_GT(litTexels(code), 4) << code;
}

}  // namespace
