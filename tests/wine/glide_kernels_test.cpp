// Every fast pixel kernel of glide2x.dll (portable, SSE2, AVX2, AVX-512,
// each forced by VELMO_GLIDE_KERNEL and capped at what the processor runs)
// draws the native suite's stress scene exactly as the reference path does,
// on one and two threads and whatever floating-point state the caller left:
// the vector kernels as this build's compiler made them, with its stack
// alignment, on the worker threads of workers_win32.
#include <windows.h>

#include <cstdio>

#include "support.h"
#include "tests/support/kernel_scene.h"

namespace {

using kernelscene::Picture;

// The first pixel that differs, or -1.
long firstDifference(const Picture& a, const Picture& b) {
  if (a.colour.size() != b.colour.size()) return 0;
  for (size_t i = 0; i < a.colour.size(); ++i)
    if (a.colour[i] != b.colour[i] || a.depth[i] != b.depth[i]) return long(i);
  return -1;
}

}  // namespace

int main() {
  int index = 0;
  for (const kernelscene::SceneCase& scene : kernelscene::kCases) {
    const Picture reference = kernelscene::drawScene(scene, kernelscene::kReferencePath, 1);
    long drawn = 0;
    for (FxU32 pixel : reference.colour) drawn += pixel != 0;
    CHECK(drawn > 10000);
    for (const kernelscene::PixelPath& path : kernelscene::kFastPaths) {
      for (int threads = 1; threads <= 2; ++threads) {
        const long differs = firstDifference(kernelscene::drawScene(scene, path, threads, kernelscene::hostileFloatState), reference);
        if (differs >= 0)
          std::printf("case %d, %s kernel, %d thread(s): pixel %ld differs\n", index, path.name, threads, differs);
        CHECK(differs < 0);
      }
    }
    ++index;
  }
  return check::finish();
}
