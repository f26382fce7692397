// Texturing: perspective-correct coordinates, bilinear weights, wrap and
// clamp, level selection, chroma key and the plug-in's combine.
#include <cmath>
#include <functional>

#include "glide_fixture.h"

namespace glidetest {
namespace {

FxU16 rgb565(int r5, int g6, int b5) { return FxU16((r5 << 11) | (g6 << 5) | b5); }
int widen5(int v) { return (v << 3) | (v >> 2); }

struct TextureSetup {
  GrLOD_t largeLod = GR_LOD_32, smallLod = GR_LOD_32;
  GrAspectRatio_t aspect = GR_ASPECT_1x1;
  bool clamp = false, bilinear = false;
  float lodBias = 0.0f;
  GrMipMapMode_t mipmap = GR_MIPMAP_DISABLE;
};

int side(GrLOD_t lod) { return 256 >> lod; }

// Builds an RGB565 texture whose texel (level, x, y) is texel(level, x, y).
GrMipMapId_t makeTexture(const TextureSetup& setup, const std::function<FxU16(int, int, int)>& texel) {
  std::vector<FxU16> data;
  int width0 = 0, height0 = 0;
  for (GrLOD_t lod = setup.largeLod; lod <= setup.smallLod; ++lod) {
    int large = side(lod);
    int ratio = 1 << std::abs(setup.aspect - GR_ASPECT_1x1);
    int w = setup.aspect <= GR_ASPECT_1x1 ? large : std::max(1, large / ratio);
    int h = setup.aspect >= GR_ASPECT_1x1 ? large : std::max(1, large / ratio);
    if (lod == setup.largeLod) width0 = w, height0 = h;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) data.push_back(texel(lod - setup.largeLod, x, y));
  }
  GrTextureFilterMode_t filter = setup.bilinear ? GR_TEXTUREFILTER_BILINEAR : GR_TEXTUREFILTER_POINT_SAMPLED;
  GrTextureClampMode_t clamp = setup.clamp ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP;
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, width0, height0,
                                        GR_TEXFMT_RGB_565, setup.mipmap, setup.smallLod,
                                        setup.largeLod, setup.aspect, clamp, clamp, filter, filter,
                                        setup.lodBias, FXFALSE);
  EXPECT_NE(id, GR_NULL_MIPMAP_HANDLE);
  guTexDownloadMipMap(id, data.data(), nullptr);
  guTexSource(id);
  return id;
}

class Texture : public GlideTest {
 protected:
  void SetUp() override {
    GlideTest::SetUp();
    // Colour = texel.
    grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE,
                   GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
    guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
    grBufferClear(0x0000FF, 0, 0xFFFF);
  }
  // A screen rectangle whose s runs from s0 to s1 across x (oow = 1) and t
  // likewise across y.
  void rectangle(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
    GrVertex v[4] = {vertex(x0, y0), vertex(x1, y0), vertex(x1, y1), vertex(x0, y1)};
    float s[4] = {s0, s1, s1, s0}, t[4] = {t0, t0, t1, t1};
    for (int i = 0; i < 4; ++i) {
      v[i].tmuvtx[0].sow = s[i];
      v[i].tmuvtx[0].tow = t[i];
    }
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
  }
};

TEST_F(Texture, PerspectiveCorrectAgainstRayCasting) {
  // Texel (i, j) of a 32 x 32 map carries i in red and j in blue.
  makeTexture({}, [](int, int x, int y) { return rgb565(x, 0, y); });
  // A tilted triangle in space: corner O and edges E1 (s) and E2 (t).
  const double O[3] = {-60, -50, 80}, E1[3] = {150, 10, 200}, E2[3] = {-20, 120, 40};
  GrVertex v[3];
  const double uv[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  for (int k = 0; k < 3; ++k) {
    double P[3];
    for (int c = 0; c < 3; ++c) P[c] = O[c] + uv[k][0] * E1[c] + uv[k][1] * E2[c];
    v[k] = vertex(float(P[0] / P[2] * 320 + 320), float(P[1] / P[2] * 320 + 240), 255,
                  float(1 / P[2]));
    v[k].tmuvtx[0].sow = float(256 * uv[k][0] / P[2]);
    v[k].tmuvtx[0].tow = float(256 * uv[k][1] / P[2]);
  }
  grDrawTriangle(&v[0], &v[1], &v[2]);
  auto f = frame();
  int checked = 0;
  for (int py = 0; py < kHeight; py += 3)
    for (int px = 0; px < kWidth; px += 3) {
      // Ray through the pixel centre: lambda d = O + u E1 + v E2.
      double d[3] = {(px + 0.5 - 320) / 320, (py + 0.5 - 240) / 320, 1};
      // Solve [d, -E1, -E2] (lambda, u, v) = O by Cramer's rule.
      auto det3 = [](const double a[3], const double b[3], const double c[3]) {
        return a[0] * (b[1] * c[2] - b[2] * c[1]) - b[0] * (a[1] * c[2] - a[2] * c[1]) +
               c[0] * (a[1] * b[2] - a[2] * b[1]);
      };
      double mE1[3] = {-E1[0], -E1[1], -E1[2]}, mE2[3] = {-E2[0], -E2[1], -E2[2]};
      double D = det3(d, mE1, mE2);
      double u = det3(d, O, mE2) / D, w = det3(d, mE1, O) / D;
      double sTexel = u * 32, tTexel = w * 32;
      FxU32 p = at(f, px, py);
      bool inside = u > 0.01 && w > 0.01 && u + w < 0.99;
      if (!inside) continue;
      // Away from texel borders the texel index is certain.
      if (std::fabs(sTexel - std::round(sTexel)) < 0.05 || std::fabs(tTexel - std::round(tTexel)) < 0.05)
        continue;
      ASSERT_EQ(int((p >> 16) & 0xFF), widen5(int(sTexel))) << px << "," << py;
      ASSERT_EQ(int(p & 0xFF), widen5(int(tTexel))) << px << "," << py;
      ++checked;
    }
  EXPECT_GT(checked, 1000);
}

TEST_F(Texture, BilinearWeightsFollowTheDistanceToTexelCentres) {
  // Two texels, black and white, 128 s units each: centres at s 64 and 192.
  TextureSetup setup;
  setup.largeLod = setup.smallLod = GR_LOD_2;
  setup.aspect = GR_ASPECT_2x1;
  setup.clamp = true;
  setup.bilinear = true;
  makeTexture(setup, [](int, int x, int) { return x ? rgb565(31, 63, 31) : rgb565(0, 0, 0); });
  rectangle(0, 0, 256, 10, 0, 0, 256, 0);  // s = x
  auto f = frame();
  for (int x = 0; x < 256; ++x) {
    double s = x + 0.5;
    double weight = std::min(1.0, std::max(0.0, (s - 64) / 128));
    EXPECT_NEAR(double(at(f, x, 5) & 0xFF), 255 * weight, 1.5) << "x " << x;
  }
}

TEST_F(Texture, WrapRepeatsAndClampHoldsTheEdge) {
  TextureSetup setup;
  setup.largeLod = setup.smallLod = GR_LOD_2;
  setup.aspect = GR_ASPECT_2x1;
  setup.bilinear = true;
  makeTexture(setup, [](int, int x, int) { return x ? rgb565(31, 63, 31) : rgb565(0, 0, 0); });
  rectangle(0, 0, 512, 10, 0, 0, 512, 0);  // s 0..512: two repeats
  auto f = frame();
  // Pixel centres sit half a unit past the texel centres: weights of 1/256.
  EXPECT_NEAR(double(at(f, 64, 5) & 0xFF), 0, 1.5);        // texel 0 centre
  EXPECT_NEAR(double(at(f, 64 + 256, 5) & 0xFF), 0, 1.5);  // same texel, next repeat
  EXPECT_NEAR(double(at(f, 192 + 256, 5) & 0xFF), 255, 1.5);
  EXPECT_NEAR(double(at(f, 0, 5) & 0xFF), 127, 3);  // between texel 1 and texel 0
  EXPECT_NEAR(double(at(f, 256, 5) & 0xFF), 127, 3);

  setup.clamp = true;
  makeTexture(setup, [](int, int x, int) { return x ? rgb565(31, 63, 31) : rgb565(0, 0, 0); });
  rectangle(0, 0, 512, 10, -256, 0, 768, 0);  // s -256..768
  f = frame();
  EXPECT_EQ(at(f, 10, 5) & 0xFF, 0u);     // s < 0: first texel
  EXPECT_EQ(at(f, 500, 5) & 0xFF, 255u);  // s > 256: last texel
}

struct LodCase {
  float texelsPerPixel;
  float bias;
  int level;
};
class LevelOfDetail : public Texture, public ::testing::WithParamInterface<LodCase> {};

TEST_P(LevelOfDetail, ChosenFromTheTexelRateAndBias) {
  TextureSetup setup;
  setup.largeLod = GR_LOD_256;
  setup.smallLod = GR_LOD_1;
  setup.mipmap = GR_MIPMAP_NEAREST;
  setup.lodBias = GetParam().bias;
  // Every level one solid colour: red = 3 x level.
  makeTexture(setup, [](int level, int, int) { return rgb565(3 * level, 0, 0); });
  float k = GetParam().texelsPerPixel;
  rectangle(0, 0, 100, 100, 0, 0, 100 * k, 100 * k);
  EXPECT_EQ(int((pixel(50, 50) >> 16) & 0xFF), widen5(3 * GetParam().level));
}

INSTANTIATE_TEST_SUITE_P(Rates, LevelOfDetail,
                         ::testing::Values(LodCase{0.25f, 0, 0}, LodCase{1.0f, 0, 0},
                                           LodCase{1.4f, 0, 0}, LodCase{1.42f, 0, 1},
                                           LodCase{2.0f, 0, 1}, LodCase{3.0f, 0, 2},
                                           LodCase{4.0f, 0, 2}, LodCase{16.0f, 0, 4},
                                           LodCase{1000.0f, 0, 8}, LodCase{1.0f, 1.0f, 1},
                                           LodCase{4.0f, -1.0f, 1}, LodCase{2.0f, 0.5f, 2}));

TEST_F(Texture, ChromaKeyDiscardsTexelsOfTheKeyColour) {
  TextureSetup setup;
  setup.largeLod = setup.smallLod = GR_LOD_2;
  setup.aspect = GR_ASPECT_2x1;
  makeTexture(setup, [](int, int x, int) { return x ? rgb565(31, 63, 31) : rgb565(0, 0, 0); });
  grChromakeyValue(0);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  rectangle(0, 0, 256, 10, 0, 0, 256, 0);
  EXPECT_EQ(pixel(60, 5), 0x0000FFu);  // black texel: background stays
  EXPECT_EQ(pixel(200, 5), 0xFFFFFFu);
  grChromakeyMode(GR_CHROMAKEY_DISABLE);
  rectangle(0, 0, 256, 10, 0, 0, 256, 0);
  EXPECT_EQ(pixel(60, 5), 0u);
}

TEST_F(Texture, PluginStateScalesTexelsByIteratedAlphaAndAdds) {
  // The display's state: colour = texture x iterated alpha (unit 0 ADD
  // passes its own texel), alpha = iterated alpha, additive blending.
  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_ADD);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  grChromakeyValue(0);
  TextureSetup setup;
  setup.bilinear = true;
  makeTexture(setup, [](int, int, int) { return rgb565(25, 40, 10); });  // 206, 162, 82
  grBufferClear(0x102030, 0, 0xFFFF);
  // Texel 206, 162, 82; a = 51 adds a fifth of it, a = 255 all of it (capped).
  const float alphas[3] = {0.0f, 51.0f, 255.0f};
  const FxU32 expected[3] = {0x102030u, 0x394040u, 0xFFE292u};
  for (int i = 0; i < 3; ++i) {
    float a = alphas[i];
    GrVertex v[4] = {vertex(10, 10, a), vertex(30, 10, a), vertex(30, 30, a), vertex(10, 30, a)};
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
    EXPECT_EQ(pixel(20, 20), expected[i]) << "a " << a;
  }
}

}  // namespace
}  // namespace glidetest
