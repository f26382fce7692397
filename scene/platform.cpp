// The platform: a textured square below the eye line that turns slowly and
// fades out towards its far side.
#include "scene/scene.h"

float platformOffsetX, platformOffsetY, platformOffsetZ;

static const float platformCorners[6][3] = {
    {-23.0f, 0.0f, -23.0f},
    {23.0f, 0.0f, -23.0f},
    {23.0f, 0.0f, 23.0f},
    {-23.0f, 0.0f, -23.0f},
    {-23.0f, 0.0f, 23.0f},
    {23.0f, 0.0f, 23.0f},
};

// Texel coordinates of each corner: the light texture repeats four times
// along each edge (the textures wrap).
static const float platformTexel[6][2] = {
    {0.0f, 0.0f},
    {0.0f, 1020.0f},
    {1020.0f, 1020.0f},
    {0.0f, 0.0f},
    {1020.0f, 0.0f},
    {1020.0f, 1020.0f},
};

static const float platformNearest = 0.0000001f;

void drawPlatform() {
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  platformOffsetX = 0.0f;
  platformOffsetY = -7.0f;

  ScenePoint points[6];
  for (int i = 0; i < 6; i++) {
    points[i].x = platformCorners[i][0];
    points[i].y = platformCorners[i][1];
    points[i].z = platformCorners[i][2];
    points[i].s = 0.0f;
    points[i].t = 0.0f;
  }
  rotateXY(points, platformRoll, 2);
  rotateYZ(points, platformTilt, 2);
  rotateXZ(points, platformSpin, 2);

  for (int i = 0; i < 6; i++) {
    points[i].x = points[i].x + platformOffsetX;
    points[i].y = points[i].y + platformOffsetY;
    points[i].z = points[i].z + platformOffsetZ;
    // Behind the viewer, on the eye plane or not a number: pull the point just
    // in front of the eye so the divide stays finite; clipping does the rest.
    if (!(points[i].z > 0.0f)) points[i].z = platformNearest;
  }

  GrVertex v[3] = {};
  for (int tri = 0; tri < 2; tri++) {
    for (int k = 0; k < 3; k++) {
      const int i = 3 * tri + k;
      projectPoint(points[i], 320.0f, 125.0f, platformTexel[i][0], platformTexel[i][1], &v[k]);
      float a = 165.0f - 2.5f * points[i].z;
      if (a < 0.0f) a = 0.0f;
      if (a > 255.0f) a = 255.0f;
      v[k].a = a;
    }
    guTexSource(lightTexture);
    guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
  }
}
