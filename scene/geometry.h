// Scene space, the five rotation helpers and the projection shared by the
// three-dimensional elements (cone row, platform, logo).
//
// Scene space: viewer at the origin looking along +z, x right, y up.
// Screen space: 640 x 480 pixels, origin at the lower-left corner.
#pragma once

#include <glide.h>

// A point of an element's working geometry; only x, y, z are ever rotated or
// projected, s and t ride along as texel coordinates.
struct ScenePoint {
  float x, y, z, s, t;
};

extern const float focalLength;  // 320

// Rotations about the scene origin. A positive angle turns +v towards +u in
// the helper's (u, v) plane. The triangle helpers count triangles (3 points
// each), the point helpers count points. A count of 0 or less does nothing.
void rotateXY(ScenePoint* points, float angle, int triangles);
void rotateYZ(ScenePoint* points, float angle, int triangles);
void rotateXZ(ScenePoint* points, float angle, int triangles);
void rotatePointsYZ(ScenePoint* points, float angle, int count);
void rotatePointsXZ(ScenePoint* points, float angle, int count);

// Rounds a screen coordinate to the nearest 1/16 pixel, ties to even, by way
// of the 786432 bias (exact for |v| < 262144).
float snapCoordinate(float v);

// Snapped screen position of p projected around the screen centre (cx, cy):
// quotient, product by focalLength, sum, snap.
void projectToScreen(const ScenePoint& p, float cx, float cy, float* sx, float* sy);

// Perspective projection of p around the screen centre (cx, cy): snapped
// screen x and y, oow = 1/z, and the texel coordinates (s, t) premultiplied
// by oow into the first texture unit, and z = depth. Sets nothing else.
void projectPoint(const ScenePoint& p, float cx, float cy, float s, float t, GrVertex* out);
