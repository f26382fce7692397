// Shared set-up for the Glide tests: an open 640 x 480 window (origin lower
// left, like the plug-in's) with flat iterated colour and no blending.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "glide.h"
#include "glideutl.h"
#include "velmo_glide.h"

namespace glidetest {

constexpr int kWidth = 640, kHeight = 480;

inline GrVertex vertex(float x, float y, float a = 255.0f, float oow = 1.0f) {
  GrVertex v{};
  v.x = x;
  v.y = y;
  v.r = v.g = v.b = 255.0f;
  v.a = a;
  v.oow = oow;
  v.tmuvtx[0].oow = oow;
  return v;
}

inline GrVertex coloured(float x, float y, float r, float g, float b, float a = 255.0f) {
  GrVertex v = vertex(x, y, a);
  v.r = r;
  v.g = g;
  v.b = b;
  return v;
}

class GlideTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grGlideInit();
    GrHwConfiguration hw;
    ASSERT_TRUE(grSstQueryHardware(&hw));
    grSstSelect(0);
    ASSERT_TRUE(grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB,
                             GR_ORIGIN_LOWER_LEFT, 2, 1));
    grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                   GR_COMBINE_OTHER_NONE, FXFALSE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ZERO, GR_BLEND_ONE, GR_BLEND_ZERO);
    grBufferClear(0, 0, 0xFFFF);
  }
  void TearDown() override { grGlideShutdown(); }

  // Additive blending of colour 1 per draw: a pixel's blue value counts how
  // often it was covered.
  void countCoverage() {
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  }

  void draw(const GrVertex& a, const GrVertex& b, const GrVertex& c) { grDrawTriangle(&a, &b, &c); }

  // The back buffer, top row first (memory order).
  std::vector<FxU32> frame() {
    std::vector<FxU32> pixels(size_t(kWidth) * kHeight);
    EXPECT_TRUE(vglReadFrame(GR_BUFFER_BACKBUFFER, pixels.data(), kWidth));
    return pixels;
  }
  // Pixel at screen (x, y), y up from the bottom row.
  static FxU32 at(const std::vector<FxU32>& f, int x, int y) {
    return f[size_t(kHeight - 1 - y) * kWidth + x];
  }
  FxU32 pixel(int x, int y) { return at(frame(), x, y); }
};

}  // namespace glidetest
