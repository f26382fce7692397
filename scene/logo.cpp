// The logo: a small textured card near the lower-left corner, close to the
// viewer, that can tumble about its horizontal axis.
#include "scene/scene.h"

// Texel coordinates of the two triangles' corners; the top-right corner sits
// at t = 1 and the bottom-left at s = 1.
static const float logoTexel[6][2] = {
    {0.0f, 0.0f},
    {255.0f, 124.0f},
    {1.0f, 124.0f},
    {0.0f, 0.0f},
    {255.0f, 1.0f},
    {255.0f, 124.0f},
};

static const float logoBrightness = 100.0f;

void drawLogo(float screenX, float screenY, float modelX, float modelZ, float offsetY,
              float offsetZ, float* angles, float scale) {
  // Each product rounded once, as under the 24-bit control word.
  const float width = (float)(0.6 * (double)scale), height = (float)(0.15 * (double)scale);
  const float left = modelX - width / 2.0f, right = modelX + width / 2.0f;
  const float top = height / 2.0f, bottom = -height / 2.0f;

  ScenePoint points[6] = {
      {left, top, modelZ, 0.0f, 0.0f},
      {right, bottom, modelZ, 0.0f, 0.0f},
      {left, bottom, modelZ, 0.0f, 0.0f},
      {left, top, modelZ, 0.0f, 0.0f},
      {right, top, modelZ, 0.0f, 0.0f},
      {right, bottom, modelZ, 0.0f, 0.0f},
  };
  rotateXY(points, angles[0], 2);
  rotateYZ(points, angles[1], 2);
  rotateXZ(points, angles[2], 2);
  for (int i = 0; i < 6; i++) {
    points[i].y = points[i].y + offsetY;
    points[i].z = points[i].z + offsetZ;
  }

  GrVertex v[3] = {};
  for (int tri = 0; tri < 2; tri++) {
    for (int k = 0; k < 3; k++) {
      const int i = 3 * tri + k;
      projectPoint(points[i], screenX, screenY, logoTexel[i][0], logoTexel[i][1], &v[k]);
      v[k].a = logoBrightness;
    }
    guTexSource(logoTexture);
    guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
  }
}
