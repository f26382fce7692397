// Snapping and projection on the 32-bit build, whose x87 unit may run at any
// precision: the plug-in's single precision, and the runtime's default.
#include <float.h>

#include "support.h"
#include "scene/geometry.h"

namespace {

void checkSnapAndProjection(const char* precision) {
  std::printf("precision: %s\n", precision);
  CHECK_EQ(snapCoordinate(100.03f), 100.0f);
  CHECK_EQ(snapCoordinate(100.04f), 100.0625f);
  CHECK_EQ(snapCoordinate(100.03125f), 100.0f);
  CHECK_EQ(snapCoordinate(100.09375f), 100.125f);
  CHECK_EQ(snapCoordinate(-3.03125f), -3.0f);
  // A value that is only a tie after rounding to single precision: 100.03125
  // plus less than half a float step must still snap down.
  volatile double nearTie = 100.03125 + 1e-9;
  CHECK_EQ(snapCoordinate((float)nearTie), 100.0f);

  GrVertex v = {};
  projectPoint(ScenePoint{10.0f, 5.0f, 40.0f, 0.0f, 0.0f}, 320.0f, 125.0f, 0.0f, 0.0f, &v);
  CHECK_EQ(v.x, 400.0f);
  CHECK_EQ(v.y, 165.0f);
  CHECK_EQ(v.oow, 0.025f);
  // -27 / 45 * 320 + 320 = 128 and 10 / 45 * 320 + 125 = 196.11 -> 196.125
  projectPoint(ScenePoint{-27.0f, 10.0f, 45.0f, 0.0f, 0.0f}, 320.0f, 125.0f, 0.0f, 0.0f, &v);
  CHECK_EQ(v.x, 128.0f);
  CHECK_EQ(v.y, 196.125f);
}

}  // namespace

int main() {
  const unsigned original = _controlfp(0, 0);
  _controlfp(_PC_64, _MCW_PC);
  checkSnapAndProjection("64-bit");
  _controlfp(_PC_53, _MCW_PC);
  checkSnapAndProjection("53-bit");
  _controlfp(_PC_24, _MCW_PC);
  checkSnapAndProjection("24-bit");
  _controlfp(original, _MCW_PC);
  return check::finish();
}
