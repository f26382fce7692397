// The pixel path without textures: culling, depth, blending, combine, dither.
#include "glide_fixture.h"

namespace glidetest {
namespace {

// A quad over pixels 10..29 x 10..29 at depth w = 1/oow.
void quad(float r, float g, float b, float a, float oow) {
  GrVertex v[4] = {coloured(10, 10, r, g, b, a), coloured(30, 10, r, g, b, a),
                   coloured(30, 30, r, g, b, a), coloured(10, 30, r, g, b, a)};
  for (GrVertex& x : v) x.oow = oow;
  grDrawTriangle(&v[0], &v[1], &v[2]);
  grDrawTriangle(&v[0], &v[2], &v[3]);
}

// ---- culling by the sign of the area, y up ----
struct CullCase {
  GrCullMode_t mode;
  bool counterClockwise;
  bool drawn;
};
class Cull : public GlideTest, public ::testing::WithParamInterface<CullCase> {};

TEST_P(Cull, RemovesTheWindingItNames) {
  grCullMode(GetParam().mode);
  GrVertex a = vertex(100, 100), b = vertex(200, 100), c = vertex(100, 200);
  if (GetParam().counterClockwise)
    draw(a, b, c);
  else
    draw(a, c, b);
  EXPECT_EQ(pixel(120, 120) != 0, GetParam().drawn);
}

INSTANTIATE_TEST_SUITE_P(Modes, Cull,
                         ::testing::Values(CullCase{GR_CULL_DISABLE, true, true},
                                           CullCase{GR_CULL_DISABLE, false, true},
                                           CullCase{GR_CULL_POSITIVE, true, false},
                                           CullCase{GR_CULL_POSITIVE, false, true},
                                           CullCase{GR_CULL_NEGATIVE, true, true},
                                           CullCase{GR_CULL_NEGATIVE, false, false}));

// ---- W-buffer: every compare function against a nearer, equal and farther
// second quad ----
struct DepthCase {
  GrCmpFnc_t function;
  bool passNearer, passEqual, passFarther;
};
class DepthCompare : public GlideTest, public ::testing::WithParamInterface<DepthCase> {};

TEST_P(DepthCompare, SecondQuadPassesAsTheFunctionSays) {
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0xFFFF);
  const float firstW = 50.0f;
  const float secondW[3] = {20.0f, 50.0f, 120.0f};
  const bool expected[3] = {GetParam().passNearer, GetParam().passEqual, GetParam().passFarther};
  for (int i = 0; i < 3; ++i) {
    grBufferClear(0, 0, 0xFFFF);
    grDepthBufferFunction(GR_CMP_ALWAYS);
    quad(0, 0, 100, 255, 1.0f / firstW);
    grDepthBufferFunction(GetParam().function);
    quad(0, 200, 0, 255, 1.0f / secondW[i]);
    FxU32 p = pixel(20, 20);
    EXPECT_EQ(p == 0x00C800u, expected[i]) << "second w " << secondW[i] << " pixel " << std::hex << p;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Functions, DepthCompare,
    ::testing::Values(DepthCase{GR_CMP_NEVER, false, false, false},
                      DepthCase{GR_CMP_LESS, true, false, false},
                      DepthCase{GR_CMP_EQUAL, false, true, false},
                      DepthCase{GR_CMP_LEQUAL, true, true, false},
                      DepthCase{GR_CMP_GREATER, false, false, true},
                      DepthCase{GR_CMP_NOTEQUAL, true, false, true},
                      DepthCase{GR_CMP_GEQUAL, false, true, true},
                      DepthCase{GR_CMP_ALWAYS, true, true, true}));

TEST_F(GlideTest, DepthMaskOffTestsButDoesNotWrite) {
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0xFFFF);
  grDepthMask(FXFALSE);
  quad(100, 0, 0, 255, 1.0f / 10);  // drawn, depth stays far
  quad(0, 100, 0, 255, 1.0f / 90);  // still passes against the far value
  EXPECT_EQ(pixel(20, 20), 0x006400u);
  FxU16 stored = 0;
  ASSERT_TRUE(grLfbReadRegion(GR_BUFFER_AUXBUFFER, 20, 20, 1, 1, 2, &stored));
  EXPECT_EQ(stored, 0xFFFF);
}

TEST_F(GlideTest, WBufferOrdersDepthsByWAcrossItsRange) {
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_ALWAYS);
  grDepthMask(FXTRUE);
  FxU16 previous = 0;
  bool first = true;
  for (float w : {1.5f, 2.0f, 2.5f, 10.0f, 10.01f, 125.0f, 310.0f, 4000.0f, 60000.0f}) {
    quad(1, 1, 1, 255, 1.0f / w);
    FxU16 stored = 0;
    ASSERT_TRUE(grLfbReadRegion(GR_BUFFER_AUXBUFFER, 20, 20, 1, 1, 2, &stored));
    if (!first) {
      EXPECT_GT(stored, previous) << "w " << w;
    }
    previous = stored;
    first = false;
  }
}

TEST_F(GlideTest, NoAuxBufferStillDepthTestsLikeTheBoard) {
  // The plug-in opens with no aux buffer and relies on what the board did.
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
               GR_ORIGIN_LOWER_LEFT, 2, 0);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0xFFFF);
  quad(0, 0, 100, 255, 1.0f / 10);
  quad(0, 200, 0, 255, 1.0f / 100);  // behind: rejected
  EXPECT_EQ(pixel(20, 20), 0x000064u);
}

// ---- blending ----
struct BlendCase {
  const char* name;
  GrAlphaBlendFnc_t src, dst;
  int srcValue, srcAlpha, dstValue, dstAlpha;
  int expected;
};
class Blend : public GlideTest, public ::testing::WithParamInterface<BlendCase> {};

TEST_P(Blend, ChannelResult) {
  const BlendCase& c = GetParam();
  grBufferClear(FxU32(c.dstValue) * 0x010101u, GrAlpha_t(c.dstAlpha), 0xFFFF);
  grAlphaBlendFunction(c.src, c.dst, GR_BLEND_ONE, GR_BLEND_ZERO);
  quad(float(c.srcValue), float(c.srcValue), float(c.srcValue), float(c.srcAlpha), 1.0f);
  EXPECT_NEAR(int(pixel(20, 20) & 0xFF), c.expected, 1) << c.name;
}

// Expected values worked out by hand: value x factor / 255, summed, capped.
INSTANTIATE_TEST_SUITE_P(
    Factors, Blend,
    ::testing::Values(
        BlendCase{"additive saturates", GR_BLEND_ONE, GR_BLEND_ONE, 200, 255, 100, 0, 255},
        BlendCase{"additive", GR_BLEND_ONE, GR_BLEND_ONE, 60, 0, 100, 0, 160},
        BlendCase{"replace", GR_BLEND_ONE, GR_BLEND_ZERO, 60, 0, 100, 0, 60},
        BlendCase{"over", GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, 200, 51, 100, 0, 120},
        BlendCase{"modulate", GR_BLEND_DST_COLOR, GR_BLEND_ZERO, 128, 0, 200, 0, 100},
        BlendCase{"src colour as dst factor", GR_BLEND_ZERO, GR_BLEND_SRC_COLOR, 51, 0, 200, 0, 40},
        BlendCase{"one minus dst colour", GR_BLEND_ONE_MINUS_DST_COLOR, GR_BLEND_ONE, 100, 0, 51,
                  0, 131},
        BlendCase{"one minus src colour", GR_BLEND_ZERO, GR_BLEND_ONE_MINUS_SRC_COLOR, 204, 0,
                  100, 0, 20},
        BlendCase{"dst alpha", GR_BLEND_DST_ALPHA, GR_BLEND_ZERO, 200, 0, 0, 102, 80},
        BlendCase{"one minus dst alpha", GR_BLEND_ONE_MINUS_DST_ALPHA, GR_BLEND_ZERO, 200, 0, 0,
                  102, 120},
        BlendCase{"alpha saturate", GR_BLEND_ALPHA_SATURATE, GR_BLEND_ZERO, 200, 204, 0, 102,
                  120},
        BlendCase{"zero", GR_BLEND_ZERO, GR_BLEND_ZERO, 200, 255, 100, 0, 0}));

TEST_F(GlideTest, AlphaBlendsSeparatelyFromColour) {
  grBufferClear(0x101010, 90, 0xFFFF);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  quad(20, 20, 20, 40, 1.0f);
  EXPECT_EQ(pixel(20, 20), 0x242424u);
  // Destination alpha is now the source's 40: ONE_MINUS_DST_ALPHA picks it up.
  grAlphaBlendFunction(GR_BLEND_ONE_MINUS_DST_ALPHA, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
  quad(255, 255, 255, 0, 1.0f);
  EXPECT_EQ(pixel(20, 20) & 0xFF, 215u);
}

// ---- iterated colour and alpha ----
TEST_F(GlideTest, IteratedAlphaIsClampedBeforeUse) {
  // Colour = iterated alpha (LOCAL_ALPHA): -1 must give 0 and 260 give 255.
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL_ALPHA, GR_COMBINE_FACTOR_NONE,
                 GR_COMBINE_LOCAL_ITERATED, GR_COMBINE_OTHER_NONE, FXFALSE);
  quad(0, 0, 0, -1.0f, 1.0f);
  EXPECT_EQ(pixel(20, 20), 0u);
  quad(0, 0, 0, 260.0f, 1.0f);
  EXPECT_EQ(pixel(20, 20), 0xFFFFFFu);
}

TEST_F(GlideTest, ColourInterpolatesLinearlyAcrossTheTriangle) {
  draw(coloured(0, 0, 0, 0, 0), coloured(256, 0, 256, 0, 0), coloured(0, 256, 0, 256, 0));
  // At pixel centre (x + 0.5, y + 0.5): r = x + 0.5, g = y + 0.5, truncated.
  EXPECT_EQ(pixel(100, 50), 0x643200u);
  EXPECT_EQ(pixel(10, 200), 0x0AC800u);
}

TEST_F(GlideTest, ConstantColourAndInvertInTheCombine) {
  grConstantColorValue(0xFF204060);
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  quad(0, 0, 0, 255, 1.0f);
  EXPECT_EQ(pixel(20, 20), 0x204060u);
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXTRUE);
  quad(0, 0, 0, 255, 1.0f);
  EXPECT_EQ(pixel(20, 20), 0xDFBF9Fu);
  // Iterated colour scaled by the constant's alpha... blended towards local:
  // (other - local) * f + local with other = iterated 200, local = 0x20.
  grConstantColorValue(0x80202020);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER_MINUS_LOCAL_ADD_LOCAL,
                 GR_COMBINE_FACTOR_LOCAL_ALPHA, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_ITERATED, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_CONSTANT,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  quad(200, 200, 200, 0, 1.0f);
  EXPECT_NEAR(int(pixel(20, 20) & 0xFF), 32 + (200 - 32) * 128 / 255, 1);
}

TEST_F(GlideTest, DitherGivesRgb565ValuesThatAverageToTheColour) {
  vglSetDither(1);
  grBufferClear(0, 0, 0xFFFF);
  quad(100, 150, 37, 255, 1.0f);
  auto f = frame();
  double sumR = 0, sumB = 0;
  for (int y = 12; y < 28; ++y)
    for (int x = 12; x < 28; ++x) {
      FxU32 p = at(f, x, y);
      int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      // Representable in 5-6-5 bits, widened by repeating the high bits.
      EXPECT_EQ(r, ((r >> 3) << 3) | (r >> 5));
      EXPECT_EQ(g, ((g >> 2) << 2) | (g >> 6));
      sumR += r;
      sumB += b;
    }
  EXPECT_NEAR(sumR / 256, 100, 3);
  EXPECT_NEAR(sumB / 256, 37, 3);
  vglSetDither(0);
}

}  // namespace
}  // namespace glidetest
