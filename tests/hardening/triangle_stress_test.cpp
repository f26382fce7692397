// Wild triangles through both triangle calls of our Glide under every render
// state the plug-in uses. Run under the address and undefined-behaviour
// sanitizers (sanitize preset) this is the proof that no vertex, however
// broken, makes the library write outside its buffers or compute undefined
// results. VELMO_STRESS_TRIANGLES sets the count (default 100000).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <glide.h>
#include <glideutl.h>

#include "glide_session.h"

namespace hardening {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

long stressCount() {
  const char* text = std::getenv("VELMO_STRESS_TRIANGLES");
  const long count = text ? std::strtol(text, nullptr, 10) : 0;
  return count > 0 ? count : 100000;
}

// Floats of every kind: mostly plausible, otherwise the values that break
// careless arithmetic (NaN, infinities, huge, denormal, signed zero).
class WildFloat {
 public:
  explicit WildFloat(unsigned seed) : rng_(seed) {}

  float operator()(float lo, float hi) {
    const int kind = pick(0, 99);
    if (kind < 70) return std::uniform_real_distribution<float>(lo, hi)(rng_);
    if (kind < 78) return std::uniform_real_distribution<float>(lo - 4 * (hi - lo), hi + 4 * (hi - lo))(rng_);
    switch (kind % 9) {
      case 0: return kNaN;
      case 1: return kInf;
      case 2: return -kInf;
      case 3: return sign() * std::ldexp(1.0f, pick(20, 127));
      case 4: return sign() * std::numeric_limits<float>::denorm_min() * pick(1, 1000);
      case 5: return sign() * 0.0f;
      case 6: return sign() * std::numeric_limits<float>::max();
      case 7: return sign() * 786432.0f + std::uniform_real_distribution<float>(-1, 1)(rng_);
      default: return sign() * std::ldexp(1.0f, -pick(20, 126));
    }
  }

  int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

 private:
  float sign() { return pick(0, 1) ? 1.0f : -1.0f; }
  std::mt19937 rng_;
};

GrVertex wildVertex(WildFloat& wild, float cx, float cy, float reach) {
  GrVertex v{};
  v.x = wild(cx - reach, cx + reach);
  v.y = wild(cy - reach, cy + reach);
  v.z = wild(0, 1000);
  v.a = wild(-20, 280);
  v.oow = wild(-1, 1);
  v.tmuvtx[0].oow = v.oow;
  v.tmuvtx[0].sow = wild(-512, 512) * (std::isfinite(v.oow) ? v.oow : 1.0f);
  v.tmuvtx[0].tow = wild(-512, 512) * (std::isfinite(v.oow) ? v.oow : 1.0f);
  return v;
}

// A plain textured quad over most of the screen: what a healthy context draws.
std::vector<FxU32> referencePicture(GrMipMapId_t texture) {
  grBufferClear(0, 0, 0xffff);
  grCullMode(GR_CULL_DISABLE);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  guTexSource(texture);
  GrVertex corner[4] = {};
  const float xy[4][2] = {{20, 20}, {20, 460}, {620, 460}, {620, 20}};
  const float st[4][2] = {{0, 256}, {0, 0}, {256, 0}, {256, 256}};
  for (int i = 0; i < 4; ++i) {
    corner[i].x = xy[i][0];
    corner[i].y = xy[i][1];
    corner[i].a = 200;
    corner[i].oow = 0.5f;
    corner[i].tmuvtx[0].sow = st[i][0] * 0.5f;
    corner[i].tmuvtx[0].tow = st[i][1] * 0.5f;
  }
  grDrawTriangle(&corner[0], &corner[1], &corner[2]);
  guDrawTriangleWithClip(&corner[0], &corner[2], &corner[3]);
  return readBackBuffer();
}

class TriangleStress : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    open_ = openPluginContext();
    if (open_) textures_ = loadStressTextures();
  }
  static void TearDownTestSuite() { grGlideShutdown(); }
  void SetUp() override {
    if (!open_) GTEST_SKIP() << "our Glide reports no board (VELMO_GLIDE_NO_BOARD set?)";
  }

  static bool open_;
  static std::vector<StressTexture> textures_;
};
bool TriangleStress::open_ = false;
std::vector<StressTexture> TriangleStress::textures_;

struct PluginState {
  int blendAlphaDst;  // GR_BLEND_ZERO for the cone row and logo, GR_BLEND_ONE for platform and text
  GrCullMode_t cull;
};

class WildTriangles : public TriangleStress, public ::testing::WithParamInterface<PluginState> {};

TEST_P(WildTriangles, LeaveTheContextDrawingAsBefore) {
  const PluginState state = GetParam();
  const std::vector<FxU32> before = referencePicture(whiteTexture());
  ASSERT_FALSE(before.empty());

  const long perState = stressCount() / 6;
  WildFloat wild(1234u + state.blendAlphaDst * 7u + static_cast<unsigned>(state.cull));
  long drawn = 0;
  for (const StressTexture& texture : textures_) {
    grBufferClear(0, 0, 0xffff);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, state.blendAlphaDst);
    grCullMode(state.cull);
    grChromakeyMode(GR_CHROMAKEY_ENABLE);
    guTexSource(texture.id);
    const long count = perState / static_cast<long>(textures_.size()) + 1;
    for (long i = 0; i < count; ++i, ++drawn) {
      // Mostly small triangles anywhere near the screen; some spanning it.
      const float reach = wild.pick(0, 99) < 99 ? 40.0f : 2000.0f;
      const float cx = static_cast<float>(wild.pick(-200, 840));
      const float cy = static_cast<float>(wild.pick(-200, 680));
      GrVertex a = wildVertex(wild, cx, cy, reach);
      GrVertex b = wildVertex(wild, cx, cy, reach);
      GrVertex c = wildVertex(wild, cx, cy, reach);
      if (i & 1)
        guDrawTriangleWithClip(&a, &b, &c);
      else
        grDrawTriangle(&a, &b, &c);
    }
    grBufferSwap(0);
  }
  EXPECT_GE(drawn, perState);

  // Nothing the storm did may stick: the same quad comes out the same.
  EXPECT_EQ(referencePicture(whiteTexture()), before)
      << "state after " << drawn << " wild triangles changed what a plain quad draws";
}

INSTANTIATE_TEST_SUITE_P(
    EveryPluginState, WildTriangles,
    ::testing::Values(PluginState{GR_BLEND_ZERO, GR_CULL_DISABLE}, PluginState{GR_BLEND_ZERO, GR_CULL_NEGATIVE},
                      PluginState{GR_BLEND_ZERO, GR_CULL_POSITIVE}, PluginState{GR_BLEND_ONE, GR_CULL_DISABLE},
                      PluginState{GR_BLEND_ONE, GR_CULL_NEGATIVE}, PluginState{GR_BLEND_ONE, GR_CULL_POSITIVE}),
    [](const ::testing::TestParamInfo<PluginState>& info) {
      return std::string(info.param.blendAlphaDst == GR_BLEND_ZERO ? "Blend4440" : "Blend4444") + "Cull" +
             std::to_string(info.param.cull);
    });

// Triangles wholly beyond one edge of the screen: the unclipped call has no
// clipping to save it, so a rasterizer that wraps coordinates or trusts them
// would show pixels on the far side or write outside the buffer.
enum Side { kLeft,
            kRight,
            kBelow,
            kAbove };

class OffscreenTriangles : public TriangleStress,
                           public ::testing::WithParamInterface<std::tuple<Side, bool>> {};

TEST_P(OffscreenTriangles, ChangeNoPixel) {
  const Side side = std::get<0>(GetParam());
  const bool clipped = std::get<1>(GetParam());
  grBufferClear(0, 0, 0xffff);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  grCullMode(GR_CULL_DISABLE);
  guTexSource(whiteTexture());
  WildFloat wild(99u + side * 2u + clipped);
  for (int i = 0; i < 20000; ++i) {
    GrVertex v[3] = {};
    for (GrVertex& p : v) {
      // Distance beyond the edge: from just past it to absurdly far.
      const float beyond = i % 10 == 0 ? std::ldexp(1.0f, wild.pick(0, 100)) : 1.0f + wild.pick(0, 3000);
      const float along = static_cast<float>(wild.pick(-3000, 3000));
      switch (side) {
        case kLeft:
          p.x = -beyond;
          p.y = along;
          break;
        case kRight:
          p.x = 641.0f + beyond;
          p.y = along;
          break;
        case kBelow:
          p.x = along;
          p.y = -beyond;
          break;
        case kAbove:
          p.x = along;
          p.y = 481.0f + beyond;
          break;
      }
      p.a = 255;
      p.oow = 1.0f / (1.0f + wild.pick(0, 100));
      p.tmuvtx[0].sow = wild(0, 256) * p.oow;
      p.tmuvtx[0].tow = wild(0, 256) * p.oow;
    }
    if (clipped)
      guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
    else
      grDrawTriangle(&v[0], &v[1], &v[2]);
  }
  const std::vector<FxU32> pixels = readBackBuffer();
  ASSERT_FALSE(pixels.empty());
  const long lit = std::count_if(pixels.begin(), pixels.end(), [](FxU32 p) { return p != 0; });
  EXPECT_EQ(lit, 0) << "pixels drawn by triangles that lie wholly off the screen";
}

std::string offscreenName(const ::testing::TestParamInfo<std::tuple<Side, bool>>& info) {
  static const char* const names[] = {"Left", "Right", "Below", "Above"};
  return std::string(names[std::get<0>(info.param)]) + (std::get<1>(info.param) ? "Clipped" : "Unclipped");
}

INSTANTIATE_TEST_SUITE_P(EveryEdge, OffscreenTriangles,
                         ::testing::Combine(::testing::Values(kLeft, kRight, kBelow, kAbove), ::testing::Bool()),
                         offscreenName);

// A corner that is not a number, or three corners on one line, enclose no
// area: whatever the other values, nothing may be drawn.
TEST_F(TriangleStress, TrianglesWithoutAreaDrawNothing) {
  grBufferClear(0, 0, 0xffff);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  grCullMode(GR_CULL_DISABLE);
  guTexSource(whiteTexture());
  WildFloat wild(5u);
  for (int i = 0; i < 20000; ++i) {
    GrVertex v[3] = {};
    for (GrVertex& p : v) {
      p.x = static_cast<float>(wild.pick(-100, 740));
      p.y = static_cast<float>(wild.pick(-100, 580));
      p.a = 255;
      p.oow = 1.0f;
      p.tmuvtx[0].sow = 128;
      p.tmuvtx[0].tow = 128;
    }
    if (i % 2 == 0) {
      (i % 4 == 0 ? v[wild.pick(0, 2)].x : v[wild.pick(0, 2)].y) = kNaN;
    } else {
      // The third corner on the line through the first two.
      const float f = static_cast<float>(wild.pick(-4, 4)) * 0.5f;
      v[2].x = v[0].x + f * (v[1].x - v[0].x);
      v[2].y = v[0].y + f * (v[1].y - v[0].y);
    }
    if (i % 3 == 0)
      guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
    else
      grDrawTriangle(&v[0], &v[1], &v[2]);
  }
  const std::vector<FxU32> pixels = readBackBuffer();
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(std::count_if(pixels.begin(), pixels.end(), [](FxU32 p) { return p != 0; }), 0);
}

}  // namespace
}  // namespace hardening
