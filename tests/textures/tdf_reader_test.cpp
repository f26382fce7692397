// gu3dfGetInfo and gu3dfLoad on hand-made files: every header form, every
// format's table, and files that are damaged in every way we can think of.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "temp_file.h"
#include "texture_format.h"

namespace {

using velmo_test::Bytes;
using velmo_test::TempFolder;
using velmo_test::writeBytes;

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Bytes numbered 0, 1, 2, ... so that byte order shows in the loaded texels.
Bytes counting(size_t count, int start = 0) {
  Bytes bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(start + i);
  return bytes;
}

std::string header(const std::string& format, const std::string& lods = "1 8",
                   const std::string& aspect = "1 1", const std::string& version = "v1.1") {
  return "3df " + version + "\n" + format + "\nlod range: " + lods + "\naspect ratio: " + aspect +
         "\n";
}

class TdfReaderTest : public testing::Test {
 protected:
  TempFolder dir;
  std::string path = dir.path("test.3df");

  bool getInfo(const Bytes& bytes, Gu3dfInfo* info) {
    writeBytes(path, bytes);
    return gu3dfGetInfo(path.c_str(), info) == FXTRUE;
  }
};

// An 8x8 rgb565 texture with levels 8, 4, 2, 1: 85 texels.
TEST_F(TdfReaderTest, LoadsSmallRgb565InHostOrder) {
  writeBytes(path, text(header("rgb565")) + counting(170));
  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.header.width, 8u);
  EXPECT_EQ(texture.info.header.height, 8u);
  EXPECT_EQ(texture.info.header.large_lod, GR_LOD_8);
  EXPECT_EQ(texture.info.header.small_lod, GR_LOD_1);
  EXPECT_EQ(texture.info.header.format, GR_TEXFMT_RGB_565);
  EXPECT_EQ(texture.info.mem_required, 170u);
  const auto* texels = static_cast<const FxU16*>(texture.info.data);
  EXPECT_EQ(texels[0], 0x0001);
  EXPECT_EQ(texels[1], 0x0203);
  EXPECT_EQ(texels[84], 0xA8A9);
}

TEST_F(TdfReaderTest, LoadsArgb8888InHostOrder) {
  writeBytes(path, text(header("argb8888", "1 2")) + counting(20));
  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.header.format, VGL_TEXFMT_ARGB_8888);
  EXPECT_EQ(static_cast<const FxU32*>(texture.info.data)[4], 0x10111213u);
}

class HeaderVersionTest : public TdfReaderTest, public testing::WithParamInterface<const char*> {};

TEST_P(HeaderVersionTest, IsAccepted) {
  Gu3dfInfo info{};
  EXPECT_TRUE(getInfo(text(header("i8", "1 8", "1 1", GetParam())) + counting(85), &info));
}

INSTANTIATE_TEST_SUITE_P(AnyVersion, HeaderVersionTest,
                         testing::Values("v1.0", "v1.1", "v1.4", "v2.0", "V1.1", "v10.25"));

struct FormatCase {
  const char* name;
  GrTextureFormat_t format;
  size_t tableBytes;
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatNameTest : public TdfReaderTest, public testing::WithParamInterface<FormatCase> {};

TEST_P(FormatNameTest, ReadsFormatTableAndTexels) {
  const FormatCase& c = GetParam();
  const size_t texels = 85 * glide::texelBytes(c.format);
  writeBytes(path, text(header(c.name)) + counting(c.tableBytes, 0x80) + counting(texels));
  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.header.format, c.format);
  EXPECT_EQ(texture.info.mem_required, texels);

  // The same file with the table left out, or doubled, is damaged.
  Gu3dfInfo info{};
  if (c.tableBytes) {
    EXPECT_FALSE(getInfo(text(header(c.name)) + counting(texels), &info));
    EXPECT_FALSE(getInfo(text(header(c.name)) + counting(2 * c.tableBytes) + counting(texels), &info));
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, FormatNameTest,
    testing::Values(FormatCase{"rgb332", GR_TEXFMT_RGB_332, 0}, FormatCase{"yiq", GR_TEXFMT_YIQ_422, 80},
                    FormatCase{"a8", GR_TEXFMT_ALPHA_8, 0}, FormatCase{"i8", GR_TEXFMT_INTENSITY_8, 0},
                    FormatCase{"ai44", GR_TEXFMT_ALPHA_INTENSITY_44, 0},
                    FormatCase{"p8", GR_TEXFMT_P_8, 1024},
                    FormatCase{"argb8332", GR_TEXFMT_ARGB_8332, 0},
                    FormatCase{"ayiq8422", GR_TEXFMT_AYIQ_8422, 80},
                    FormatCase{"rgb565", GR_TEXFMT_RGB_565, 0},
                    FormatCase{"argb1555", GR_TEXFMT_ARGB_1555, 0},
                    FormatCase{"argb4444", GR_TEXFMT_ARGB_4444, 0},
                    FormatCase{"ai88", GR_TEXFMT_ALPHA_INTENSITY_88, 0},
                    FormatCase{"ap88", GR_TEXFMT_AP_88, 1024},
                    FormatCase{"argb8888", VGL_TEXFMT_ARGB_8888, 0},
                    FormatCase{"RGB565", GR_TEXFMT_RGB_565, 0}),
    [](const testing::TestParamInfo<FormatCase>& info) {
      return std::string(info.param.name) + (info.index == 14 ? "_upper" : "");
    });

TEST_F(TdfReaderTest, ReadsNccTableAsSignedBigEndian) {
  Bytes table;
  for (int i = 0; i < 16; ++i) table = table + Bytes{0, static_cast<uint8_t>(i * 17)};
  for (int i = 0; i < 24; ++i) {
    int value = i % 2 ? -(i * 10) : i * 10;  // I then Q, alternating signs
    table = table + Bytes{static_cast<uint8_t>(value >> 8 & 0xFF), static_cast<uint8_t>(value & 0xFF)};
  }
  writeBytes(path, text(header("yiq")) + table + counting(85));
  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  const GuNccTable& ncc = texture.info.table.nccTable;
  EXPECT_EQ(ncc.yRGB[0], 0);
  EXPECT_EQ(ncc.yRGB[15], 255);
  EXPECT_EQ(ncc.iRGB[0][1], -10);
  EXPECT_EQ(ncc.iRGB[3][2], -110);
  EXPECT_EQ(ncc.qRGB[0][0], 120);
  EXPECT_EQ(ncc.qRGB[3][2], -230);
  // The board's layout: four Y to a word, I and Q as 9-bit r, g, b fields.
  EXPECT_EQ(ncc.packed_data[0], 0x33221100u);
  EXPECT_EQ(ncc.packed_data[4], (0u << 18) | ((-10 & 0x1FF) << 9) | 20u);
  EXPECT_EQ(ncc.packed_data[11], ((-210 & 0x1FF) << 18) | (220u << 9) | (-230 & 0x1FF));
}

TEST_F(TdfReaderTest, ReadsPaletteBigEndian) {
  writeBytes(path, text(header("p8")) + counting(1024) + counting(85));
  auto texture = velmo_test::loadTexture(path);
  ASSERT_TRUE(texture.ok);
  EXPECT_EQ(texture.info.table.palette.data[0], 0x00010203u);
  EXPECT_EQ(texture.info.table.palette.data[255], 0xFCFDFEFFu);
}

struct AspectCase {
  const char* ratio;
  GrAspectRatio_t aspect;
  FxU32 width, height;
  FxU32 texels;  // levels 64 down to 1
};

void PrintTo(const AspectCase& c, std::ostream* os) { *os << c.ratio; }

class AspectTest : public TdfReaderTest, public testing::WithParamInterface<AspectCase> {};

TEST_P(AspectTest, GivesSizeOfLargestLevel) {
  const AspectCase& c = GetParam();
  Gu3dfInfo info{};
  ASSERT_TRUE(getInfo(text(header("i8", "1 64", c.ratio)) + counting(c.texels), &info));
  EXPECT_EQ(info.header.aspect_ratio, c.aspect);
  EXPECT_EQ(info.header.width, c.width);
  EXPECT_EQ(info.header.height, c.height);
  EXPECT_EQ(info.mem_required, c.texels);
}

INSTANTIATE_TEST_SUITE_P(EveryAspect, AspectTest,
                         testing::Values(AspectCase{"8 1", GR_ASPECT_8x1, 64, 8, 512 + 128 + 32 + 8 + 4 + 2 + 1},
                                         AspectCase{"4 1", GR_ASPECT_4x1, 64, 16, 1024 + 256 + 64 + 16 + 4 + 2 + 1},
                                         AspectCase{"2 1", GR_ASPECT_2x1, 64, 32, 2048 + 512 + 128 + 32 + 8 + 2 + 1},
                                         AspectCase{"1 1", GR_ASPECT_1x1, 64, 64, 4096 + 1024 + 256 + 64 + 16 + 4 + 1},
                                         AspectCase{"1 2", GR_ASPECT_1x2, 32, 64, 2048 + 512 + 128 + 32 + 8 + 2 + 1},
                                         AspectCase{"1 4", GR_ASPECT_1x4, 16, 64, 1024 + 256 + 64 + 16 + 4 + 2 + 1},
                                         AspectCase{"1 8", GR_ASPECT_1x8, 8, 64, 512 + 128 + 32 + 8 + 4 + 2 + 1}));

TEST_F(TdfReaderTest, RefusesFileCutAtAnyPointOrPadded) {
  const Bytes whole = text(header("yiq", "1 4")) + counting(80) + counting(16 + 4 + 1);
  Gu3dfInfo info{};
  ASSERT_TRUE(getInfo(whole, &info));
  for (size_t size = 0; size < whole.size(); ++size)
    EXPECT_FALSE(getInfo(Bytes(whole.begin(), whole.begin() + size), &info)) << size;
  EXPECT_FALSE(getInfo(whole + Bytes{0}, &info));
}

class BadHeaderTest : public TdfReaderTest, public testing::WithParamInterface<std::string> {};

TEST_P(BadHeaderTest, IsRefused) {
  // Pad with plenty of texels: refusal must come from the header, not the size.
  Gu3dfInfo info{};
  std::memset(&info, 0x5A, sizeof info);
  Gu3dfInfo before = info;
  EXPECT_FALSE(getInfo(text(GetParam()) + counting(170), &info));
  EXPECT_EQ(std::memcmp(&info, &before, sizeof info), 0) << "a refused file changed the record";
}

INSTANTIATE_TEST_SUITE_P(
    Garbage, BadHeaderTest,
    testing::Values("", "\n\n\n\n", "3dg v1.1\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
                    "3df 1.1\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
                    "3df v1.\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
                    "3df vx.1\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
                    header("rgb555"), header("rgb565 extra"), header(""), header("argb8889"),
                    header("rgb565", "1 512"), header("rgb565", "0 8"), header("rgb565", "3 8"),
                    header("rgb565", "8 1"), header("rgb565", "1"), header("rgb565", "1 8 16"),
                    header("rgb565", "1 99999999999999999999"), header("rgb565", "-1 8"),
                    header("rgb565", "1 8", "3 1"), header("rgb565", "1 8", "2 2"),
                    header("rgb565", "1 8", "16 1"), header("rgb565", "1 8", "0 0"),
                    header("rgb565", "1 8", "1 -8"),
                    "3df v1.1\nrgb565\nlod: 1 8\naspect ratio: 1 1\n",
                    "3df v1.1\nrgb565\nlod range: 1 8\naspect: 1 1\n",
                    "3df v1.1\nrgb565\naspect ratio: 1 1\nlod range: 1 8\n",
                    // A header line far longer than any real one.
                    "3df v1.1\n" + std::string(1000, 'a') + "\nlod range: 1 8\naspect ratio: 1 1\n",
                    "3df v1.1" + std::string(1000, ' ') + "\nrgb565\nlod range: 1 8\naspect ratio: 1 1\n",
                    std::string("3df v1.1\0rgb565\nlod range: 1 8\naspect ratio: 1 1\n", 49),
                    "\x89PNG\r\n\x1a\n"));

TEST_F(TdfReaderTest, RefusesMissingFileAndNullArguments) {
  Gu3dfInfo info{};
  EXPECT_FALSE(gu3dfGetInfo(dir.path("absent.3df").c_str(), &info));
  EXPECT_FALSE(gu3dfGetInfo(nullptr, &info));
  EXPECT_FALSE(gu3dfGetInfo(dir.path("").c_str(), &info));  // a folder
  writeBytes(path, text(header("rgb565")) + counting(170));
  EXPECT_FALSE(gu3dfGetInfo(path.c_str(), nullptr));
  EXPECT_FALSE(gu3dfLoad(path.c_str(), nullptr));
  ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info));
  info.data = nullptr;
  EXPECT_FALSE(gu3dfLoad(path.c_str(), &info));
}

// A pipe without a writer would keep the reader waiting for ever and a device
// never ends: both are refused at once (the alarm ends the test if not).
TEST_F(TdfReaderTest, RefusesPipesAndDevicesWithoutWaiting) {
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  const std::string zero = dir.path("zero.3df");
  ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
  Gu3dfInfo info{};
  alarm(10);
  EXPECT_FALSE(gu3dfGetInfo(path.c_str(), &info));
  EXPECT_FALSE(gu3dfGetInfo(zero.c_str(), &info));
  alarm(0);
}

// gu3dfLoad fills exactly the buffer gu3dfGetInfo asked for, even when the
// file has changed in between.
TEST_F(TdfReaderTest, LoadRefusesFileThatChangedSinceGetInfo) {
  writeBytes(path, text(header("rgb565", "1 4")) + counting(42));
  Gu3dfInfo info{};
  ASSERT_TRUE(gu3dfGetInfo(path.c_str(), &info));
  ASSERT_EQ(info.mem_required, 42u);
  Bytes buffer(info.mem_required + 16, 0xEE);
  info.data = buffer.data();

  writeBytes(path, text(header("rgb565", "1 8")) + counting(170));  // grew
  EXPECT_FALSE(gu3dfLoad(path.c_str(), &info));
  writeBytes(path, text(header("rgb565", "1 4")) + counting(41));  // cut short
  EXPECT_FALSE(gu3dfLoad(path.c_str(), &info));
  for (size_t i = info.mem_required; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;

  writeBytes(path, text(header("rgb565", "1 4")) + counting(42));
  EXPECT_TRUE(gu3dfLoad(path.c_str(), &info));
  for (size_t i = info.mem_required; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
}

}  // namespace
