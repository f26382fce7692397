// Vertices of every kind: far off-screen ones are clipped with exact
// attributes; non-finite ones, and textured ones with w <= 0, draw nothing.
// Under the address sanitizer this also proves no write leaves the buffers.
#include <cmath>
#include <limits>

#include "glide_fixture.h"

namespace glidetest {
namespace {

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

using DrawCall = void(FX_CALL*)(const GrVertex*, const GrVertex*, const GrVertex*);

class FarVertices : public GlideTest, public ::testing::WithParamInterface<DrawCall> {};

TEST_P(FarVertices, ClippedTriangleKeepsItsAttributePlanes) {
  // r = x / 10 and g = y / 5 over a triangle reaching ten million pixels out.
  GrVertex a = coloured(0, 0, 0, 0, 0), b = coloured(1e7f, 0, 1e6f, 0, 0),
           c = coloured(0, 1e7f, 0, 2e6f, 0);
  GetParam()(&a, &b, &c);
  auto f = frame();
  for (int y = 0; y < kHeight; y += 7)
    for (int x = 0; x < kWidth; x += 7) {
      FxU32 p = at(f, x, y);
      int r = std::min(255, int((x + 0.5) / 10)), g = std::min(255, int((y + 0.5) / 5));
      ASSERT_NEAR(int((p >> 16) & 0xFF), r, 1) << x << "," << y;
      ASSERT_NEAR(int((p >> 8) & 0xFF), g, 1) << x << "," << y;
    }
}

TEST_P(FarVertices, TriangleReachingPastEveryEdgeFillsTheScreen) {
  countCoverage();
  GrVertex a = coloured(-3e8f, -3e8f, 1, 1, 1), b = coloured(3e8f, -3e8f, 1, 1, 1),
           c = coloured(0, 3e8f, 1, 1, 1);
  GetParam()(&a, &b, &c);
  for (FxU32 p : frame()) ASSERT_EQ(p & 0xFF, 1u);
}

INSTANTIATE_TEST_SUITE_P(BothCalls, FarVertices,
                         ::testing::Values(&grDrawTriangle, &guDrawTriangleWithClip));

// One wild value in one field of one vertex of an on-screen triangle. The
// colour is the texel scaled by the iterated alpha, so an alpha that is NaN
// or hugely negative leaves the picture black.
struct WildCase {
  const char* field;
  float value;
  bool drawsSomething;
};
class WildVertex : public GlideTest, public ::testing::WithParamInterface<WildCase> {};

TEST_P(WildVertex, NeverEscapesTheBuffers) {
  // Textured, W-buffered: every per-pixel division is in play.
  std::vector<FxU16> texels(64 * 64, 0xFFFF);
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 64, 64, GR_TEXFMT_RGB_565,
                                        GR_MIPMAP_NEAREST, GR_LOD_64, GR_LOD_64, GR_ASPECT_1x1,
                                        GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                                        GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0, 0);
  guTexDownloadMipMap(id, texels.data(), nullptr);
  guTexSource(id);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0xFFFF);

  GrVertex v[3] = {vertex(100, 100, 200, 0.1f), vertex(300, 120, 200, 0.02f),
                   vertex(150, 400, 200, 0.05f)};
  for (GrVertex& x : v) {
    x.tmuvtx[0].sow = 30 * x.oow;
    x.tmuvtx[0].tow = 70 * x.oow;
  }
  const std::string field = GetParam().field;
  GrVertex& w = v[1];
  float* target = field == "x" ? &w.x : field == "y" ? &w.y
                                    : field == "oow" ? &w.oow
                                    : field == "sow" ? &w.tmuvtx[0].sow
                                    : field == "a"   ? &w.a
                                                     : &w.tmuvtx[0].tow;
  *target = GetParam().value;
  grDrawTriangle(&v[0], &v[1], &v[2]);
  guDrawTriangleWithClip(&v[2], &v[1], &v[0]);
  bool drawn = false;
  for (FxU32 p : frame()) drawn |= p != 0;
  EXPECT_EQ(drawn, GetParam().drawsSomething);
}

INSTANTIATE_TEST_SUITE_P(
    Values, WildVertex,
    ::testing::Values(WildCase{"x", kNaN, false}, WildCase{"x", kInf, false},
                      WildCase{"x", -kInf, false}, WildCase{"y", kNaN, false},
                      WildCase{"y", -kInf, false}, WildCase{"x", 3.4e38f, true},
                      WildCase{"y", -3.4e38f, true}, WildCase{"x", 1e12f, true},
                      WildCase{"x", -70000.0f, true}, WildCase{"oow", 0.0f, false},
                      WildCase{"oow", -0.5f, false}, WildCase{"oow", kNaN, false},
                      WildCase{"oow", kInf, false}, WildCase{"oow", 1e-30f, true},
                      WildCase{"oow", 3e38f, true}, WildCase{"sow", kNaN, true},
                      WildCase{"tow", 1e30f, true}, WildCase{"a", kNaN, false},
                      WildCase{"a", -1e30f, false}),
    [](const ::testing::TestParamInfo<WildCase>& info) {
      return std::string(info.param.field) + "_" + std::to_string(info.index);
    });

TEST_F(GlideTest, DegenerateAndNullTrianglesDrawNothing) {
  GrVertex a = vertex(10, 10), b = vertex(20, 20), c = vertex(30, 30);
  draw(a, b, c);  // collinear
  draw(a, a, b);
  grDrawTriangle(nullptr, &a, &b);
  guDrawTriangleWithClip(&a, nullptr, &b);
  for (FxU32 p : frame()) ASSERT_EQ(p, 0u);
}

}  // namespace
}  // namespace glidetest
