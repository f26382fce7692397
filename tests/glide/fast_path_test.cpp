// The fast pixel paths (portable and AVX2) must give exactly the reference
// path's colours and depths: the same random textured scene is drawn by all
// three and compared pixel by pixel.
#include <cstdlib>
#include <cmath>
#include <random>

#include "glide_fixture.h"

namespace glidetest {
namespace {

struct SceneCase {
  GrCmpFnc_t depthFunction;
  bool wBuffer, chroma, clamp, mipmapped, addAlpha;
};

struct Picture {
  std::vector<FxU32> colour;
  std::vector<FxU16> depth;
};

Picture drawScene(const SceneCase &c, const char *pathSetting) {
  unsetenv("VELMO_GLIDE_REFERENCE");
  unsetenv("VELMO_GLIDE_NO_AVX2");
  if (pathSetting) setenv(pathSetting, "1", 1);
  grGlideInit();
  GrHwConfiguration hw;
  grSstQueryHardware(&hw);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT, 2, 0);
  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_ADD);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, c.addAlpha ? GR_BLEND_ONE : GR_BLEND_ZERO);
  grChromakeyMode(c.chroma ? GR_CHROMAKEY_ENABLE : GR_CHROMAKEY_DISABLE);
  grChromakeyValue(0);
  grDepthBufferMode(c.wBuffer ? GR_DEPTHBUFFER_WBUFFER : GR_DEPTHBUFFER_DISABLE);
  grDepthBufferFunction(c.depthFunction);
  grDepthMask(FXTRUE);
  grBufferClear(0x00000000, 0, 0x8000);

  // A 64 x 64 map (all levels down to 1 x 1) with black cells for the key.
  std::vector<FxU16> texels;
  for (int size = 64; size >= 1; size /= 2)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        texels.push_back(((x / 4 + y / 4) % 5 == 0) ? 0 : FxU16((x * 977 + y * 131 + size * 17) & 0xFFFF));
  GrMipMapId_t id = guTexAllocateMemory(
      GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 64, 64, GR_TEXFMT_RGB_565,
      c.mipmapped ? GR_MIPMAP_NEAREST : GR_MIPMAP_DISABLE, c.mipmapped ? GR_LOD_1 : GR_LOD_64,
      GR_LOD_64, GR_ASPECT_1x1, c.clamp ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP,
      c.clamp ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
      GR_TEXTUREFILTER_BILINEAR, 0, 0);
  guTexDownloadMipMap(id, texels.data(), nullptr);
  guTexSource(id);

  std::mt19937 rng(1234);
  std::uniform_real_distribution<float> x(-100, 740), y(-100, 580), w(0.6f, 300), st(-300, 600),
      a(-20, 280);
  for (int i = 0; i < 300; ++i) {
    GrVertex v[3];
    for (GrVertex &vertex : v) {
      vertex = GrVertex{};
      vertex.x = std::round(x(rng) * 16) / 16;
      vertex.y = std::round(y(rng) * 16) / 16;
      vertex.a = a(rng);
      vertex.oow = 1.0f / w(rng);
      vertex.tmuvtx[0].sow = st(rng) * vertex.oow;
      vertex.tmuvtx[0].tow = st(rng) * vertex.oow;
    }
    // Mostly small triangles, some large.
    if (i % 10) {
      for (int k = 1; k < 3; ++k) {
        v[k].x = v[0].x + (v[k].x - v[0].x) / 12;
        v[k].y = v[0].y + (v[k].y - v[0].y) / 12;
      }
    }
    guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
  }
  Picture picture;
  picture.colour.resize(size_t(kWidth) * kHeight);
  picture.depth.resize(size_t(kWidth) * kHeight);
  vglReadFrame(GR_BUFFER_BACKBUFFER, picture.colour.data(), kWidth);
  grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, kWidth, kHeight, kWidth * 2, picture.depth.data());
  grGlideShutdown();
  unsetenv("VELMO_GLIDE_REFERENCE");
  unsetenv("VELMO_GLIDE_NO_AVX2");
  return picture;
}

class FastPath : public ::testing::TestWithParam<SceneCase> {};

TEST_P(FastPath, AgreesWithTheReferenceToTheBit) {
  Picture reference = drawScene(GetParam(), "VELMO_GLIDE_REFERENCE");
  Picture portable = drawScene(GetParam(), "VELMO_GLIDE_NO_AVX2");
  Picture fastest = drawScene(GetParam(), nullptr);
  size_t drawn = 0;
  for (size_t i = 0; i < reference.colour.size(); ++i) {
    drawn += reference.colour[i] != 0;
    ASSERT_EQ(portable.colour[i], reference.colour[i]) << "portable, pixel " << i;
    ASSERT_EQ(fastest.colour[i], reference.colour[i]) << "fastest, pixel " << i;
    ASSERT_EQ(portable.depth[i], reference.depth[i]) << "portable depth, pixel " << i;
    ASSERT_EQ(fastest.depth[i], reference.depth[i]) << "fastest depth, pixel " << i;
  }
  EXPECT_GT(drawn, 10000u);
}

INSTANTIATE_TEST_SUITE_P(
    States, FastPath,
    ::testing::Values(SceneCase{GR_CMP_LESS, true, true, false, true, false},  // the plug-in's
                      SceneCase{GR_CMP_LESS, true, true, false, true, true},
                      SceneCase{GR_CMP_ALWAYS, false, false, false, true, false},
                      SceneCase{GR_CMP_GEQUAL, true, false, true, true, true},
                      SceneCase{GR_CMP_NOTEQUAL, true, true, true, false, false},
                      SceneCase{GR_CMP_LEQUAL, true, true, false, false, true}));

}  // namespace
}  // namespace glidetest
