// The fast pixel paths (portable, SSE2, AVX2 and AVX-512; WebAssembly SIMD
// in the web build) must give exactly the reference path's colours and
// depths: the same random textured scene is drawn by each and compared pixel
// by pixel, the fast ones in a caller's floating-point state unlike the
// reference's.
#include "glide_fixture.h"
#include "tests/support/kernel_scene.h"

namespace glidetest {
namespace {

using kernelscene::kCases;
using kernelscene::Picture;
using kernelscene::SceneCase;

class FastPath : public ::testing::TestWithParam<SceneCase> {};

TEST_P(FastPath, AgreesWithTheReferenceToTheBit) {
  const Picture reference = drawScene(GetParam(), kernelscene::kReferencePath);
  size_t drawn = 0;
  for (FxU32 pixel : reference.colour) drawn += pixel != 0;
  for (const kernelscene::PixelPath& path : kernelscene::kFastPaths) {
    const Picture fast = drawScene(GetParam(), path, 0, kernelscene::hostileFloatState);
    for (size_t i = 0; i < reference.colour.size(); ++i) {
      ASSERT_EQ(fast.colour[i], reference.colour[i]) << path.name << ", pixel " << i;
      ASSERT_EQ(fast.depth[i], reference.depth[i]) << path.name << " depth, pixel " << i;
    }
  }
  EXPECT_GT(drawn, 10000u);
  // The slivers reach both ends of rows (they are too near for GEQUAL to
  // let them through the cleared depth).
  if (GetParam().depthFunction == GR_CMP_GEQUAL) return;
  const size_t width = size_t(kWidth) * size_t(GetParam().scale);
  size_t leftEnds = 0, rightEnds = 0;
  for (size_t row = 0; row < reference.colour.size() / width; ++row) {
    leftEnds += reference.colour[row * width] != 0;
    rightEnds += reference.colour[row * width + width - 1] != 0;
  }
  EXPECT_GT(leftEnds, 50u);
  EXPECT_GT(rightEnds, 50u);
}

INSTANTIATE_TEST_SUITE_P(
    States, FastPath,
    ::testing::ValuesIn(kCases));

}  // namespace
}  // namespace glidetest
