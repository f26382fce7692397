// The shared cone mesh: a ring prism closed by a fan, reshaped for every band.
#include <cmath>

#include "scene/scene.h"

GrVertex coneVertices[coneVertexCount];
int coneIndices[coneIndexCount];
const float coneRadius = 1.0f;

void buildCone(GrVertex* vertices, int* indices, int sides, float radius, float height) {
  const float pi = 3.14159274f;
  const float angleStep = (pi + pi) / (float)sides;
  const float sStep = 255.0f / (float)(sides + 1);  // never reaches 255: the seam is visible

  for (int i = 0; i < 2 * sides; i++) {
    GrVertex& v = vertices[i];
    const float angle = angleStep * (float)i;
    const bool upper = i >= sides;
    v.x = (float)std::cos((double)angle) * radius;
    v.z = (float)std::sin((double)angle) * radius;
    v.y = upper ? height : 0.0f;
    v.tmuvtx[0].sow = sStep * (float)(i % sides);
    v.tmuvtx[0].tow = upper ? 0.0f : 255.0f;
  }
  GrVertex& centre = vertices[2 * sides];
  centre.x = 0.0f;
  centre.y = height + 2.0f;
  centre.z = 0.0f;
  centre.tmuvtx[0].sow = 128.0f;
  centre.tmuvtx[0].tow = 128.0f;

  for (int i = 0; i < sides; i++) {
    const int k = (i + 1) % sides;
    int* side = indices + 6 * i;
    side[0] = i;
    side[1] = sides + i;
    side[2] = k;
    side[3] = sides + i;
    side[4] = sides + k;
    side[5] = k;
  }
  for (int j = 0; j < sides; j++) {
    int* cap = indices + 6 * sides + 3 * j;
    cap[0] = sides + (j + 1) % sides;
    cap[1] = sides + j;
    cap[2] = 2 * sides;
  }
}

void shapeCone(GrVertex* vertices, int sides, int height, bool flip) {
  const float shift = coneRadius + coneRadius;
  for (int i = 0; i < 2 * sides; i++) {
    GrVertex& v = vertices[i];
    v.x = v.x + shift;
    if (i < sides) {
      v.y = 0.0f;
    } else {
      v.y = (float)height;
      v.tmuvtx[0].tow = (float)(255 - 16 * height);
    }
  }
  int point = 0;
  if (PointedEnds) point = flip ? -2 : 2;
  GrVertex& centre = vertices[2 * sides];
  centre.x = centre.x + shift;
  centre.y = (float)(height + point);
  centre.z = 0.0f;
  centre.tmuvtx[0].tow = (float)(315 - 16 * height);
}
