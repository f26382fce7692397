// Rotation helpers, projection and sub-pixel snapping shared by the
// three-dimensional elements.
#include "scene/geometry.h"

#include <cmath>

const float focalLength = 320.0f;

static const float snapBias = 786432.0f;  // 3 * 2^18: sums land where floats are 1/16 apart

float snapCoordinate(float v) {
  // The value and the sum must each be rounded to single precision before the
  // bias comes off; stores through volatile floats force that even when x87
  // registers run at extended precision.
  volatile float value = v;
  volatile float biased = value + snapBias;
  return biased - snapBias;
}

// One rotation in the (u, v) plane of every point; the plane is chosen by the
// member pointers so the five helpers share one loop.
static void rotatePlane(ScenePoint* points, int count, float angle, float ScenePoint::*u,
                        float ScenePoint::*v) {
  const float c = (float)std::cos((double)angle);
  const float s = (float)std::sin((double)angle);
  if (count <= 0) return;
  for (int i = 0; i < count; i++) {
    ScenePoint& p = points[i];
    const float oldU = p.*u;
    const float oldV = p.*v;
    const float cu = c * oldU, sv = s * oldV;
    const float cv = c * oldV, su = s * oldU;
    p.*u = cu + sv;
    p.*v = cv - su;
  }
}

void rotateXY(ScenePoint* points, float angle, int triangles) {
  rotatePlane(points, triangles > 0 ? triangles * 3 : 0, angle, &ScenePoint::x, &ScenePoint::y);
}

void rotateYZ(ScenePoint* points, float angle, int triangles) {
  rotatePlane(points, triangles > 0 ? triangles * 3 : 0, angle, &ScenePoint::y, &ScenePoint::z);
}

void rotateXZ(ScenePoint* points, float angle, int triangles) {
  rotatePlane(points, triangles > 0 ? triangles * 3 : 0, angle, &ScenePoint::x, &ScenePoint::z);
}

void rotatePointsYZ(ScenePoint* points, float angle, int count) {
  rotatePlane(points, count, angle, &ScenePoint::y, &ScenePoint::z);
}

void rotatePointsXZ(ScenePoint* points, float angle, int count) {
  rotatePlane(points, count, angle, &ScenePoint::x, &ScenePoint::z);
}

void projectToScreen(const ScenePoint& p, float cx, float cy, float* sx, float* sy) {
  const float qx = p.x / p.z, qy = p.y / p.z;
  const float px = qx * focalLength, py = qy * focalLength;
  *sx = snapCoordinate(px + cx);
  *sy = snapCoordinate(py + cy);
}

void projectPoint(const ScenePoint& p, float cx, float cy, float s, float t, GrVertex* out) {
  projectToScreen(p, cx, cy, &out->x, &out->y);
  out->z = p.z;
  const float oow = 1.0f / p.z;
  out->oow = oow;
  out->tmuvtx[0].sow = s * oow;
  out->tmuvtx[0].tow = t * oow;
}
