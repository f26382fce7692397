// The cone row: backdrop, then 30 cones standing on the base plane and their
// mirror image hanging below it, lit by how squarely each face meets the eye.
#include <cmath>

#include "scene/scene.h"

float tiltAngle, turnAngle;
bool spinDirection;
ScenePoint conePoints[coneVertexCount];
ScenePoint coneScreen[coneVertexCount];

enum { coneRowBands = 30 };

static const float coneDepth = 45.0f;
static const float coneCentreX = 320.0f, coneCentreY = 125.0f;
static const float backdropDepth = 310.0f;

static float coneLift;  // height of the base plane this frame, 1 to 19

// Steps the tilt and turn and returns the lift of the figure.
static float advanceConeMotion() {
  float tiltStep, turnStep;
  if (SpinToBeat) {
    const int beat = heldLevel[0][0];
    if (beat > 200) {
      spinDirection = !spinDirection;
      tiltStep = 0.0f;
      turnStep = 0.0f;
    } else {
      // One rounding, of the product: 0.000625 is no single-precision
      // constant, and rounding it first puts 59 of the 201 steps one unit
      // in the last place off.
      tiltStep = (float)((double)beat * 0.000625);
      turnStep = 0.011f;
    }
  } else {
    tiltStep = 0.0097f;
    turnStep = 0.0074f;
  }

  const bool forward = spinDirection;
  if (forward) {
    tiltAngle = tiltAngle + tiltStep;
    turnAngle = turnAngle + turnStep;
  } else {
    tiltAngle = tiltAngle - tiltStep;
    turnAngle = turnAngle - turnStep;
  }
  // Rock back once the turn passes just under a quarter turn either way.
  if (SpinToBeat && std::fabs((double)turnAngle) > 0.7853975) spinDirection = !forward;

  const float rise = (float)std::sin((double)tiltAngle);
  return rise * 9.0f + 10.0f;
}

static void drawBackdrop() {
  const float oow = 1.0f / backdropDepth;
  static const float corner[4][5] = {
      // x, y, a, s, t
      {0.0f, 0.0f, 40.0f, 0.0f, 255.0f},
      {0.0f, 480.0f, 115.0f, 0.0f, 0.0f},
      {640.0f, 480.0f, 40.0f, 255.0f, 0.0f},
      {640.0f, 0.0f, 10.0f, 255.0f, 255.0f},
  };
  GrVertex v[4] = {};
  for (int i = 0; i < 4; i++) {
    v[i].x = corner[i][0];
    v[i].y = corner[i][1];
    v[i].z = backdropDepth;
    v[i].a = corner[i][2];
    v[i].oow = oow;
    v[i].tmuvtx[0].sow = corner[i][3] * oow;
    v[i].tmuvtx[0].tow = corner[i][4] * oow;
  }
  guTexSource(barTexture);
  grDrawTriangle(&v[0], &v[1], &v[2]);
  grDrawTriangle(&v[0], &v[2], &v[3]);
}

// Brightness of the face (q0, q1, q2): 227 times the cosine between its
// outward normal and the direction towards the viewer.
static float faceBrightness(const ScenePoint& q0, const ScenePoint& q1, const ScenePoint& q2,
                            bool mirrored) {
  const float ux = q0.x - q1.x, uy = q0.y - q1.y, uz = q0.z - q1.z;
  const float vx = q2.x - q1.x, vy = q2.y - q1.y, vz = q2.z - q1.z;
  const float nx = uy * vz - uz * vy;
  const float ny = uz * vx - ux * vz;
  const float nz = ux * vy - uy * vx;
  const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0.0f)) return 0.0f;  // no area, no light (and no 0/0)
  const float facing = (mirrored ? -nz : nz) / length;
  return facing > 0.0f ? 227.0f * facing : 0.0f;
}

static void drawCone(GrVertex* work, bool mirrored) {
  for (int k = 0; k < coneVertexCount; k++) {
    const GrVertex& m = coneVertices[k];
    ScenePoint& p = conePoints[k];
    p.x = m.x;
    p.y = m.y;
    p.z = m.z;
    p.s = m.tmuvtx[0].sow;
    p.t = m.tmuvtx[0].tow;
  }
  rotatePointsYZ(conePoints, tiltAngle, coneVertexCount);
  rotatePointsXZ(conePoints, turnAngle, coneVertexCount);

  for (int k = 0; k < coneVertexCount; k++) {
    ScenePoint& p = conePoints[k];
    p.y = p.y + coneLift;
    p.z = p.z + coneDepth;
    projectToScreen(p, coneCentreX, coneCentreY, &coneScreen[k].x, &coneScreen[k].y);
    coneScreen[k].z = p.z;
  }

  for (int tri = 0; tri < 3 * coneSides; tri++) {
    const int* index = coneIndices + 3 * tri;
    for (int q = 0; q < 3; q++) {
      const ScenePoint& screen = coneScreen[index[q]];
      const ScenePoint& scene = conePoints[index[q]];
      GrVertex& v = work[q];
      v.x = screen.x;
      v.y = screen.y;
      v.z = screen.z;
      v.oow = 1.0f / screen.z;
      v.tmuvtx[0].sow = scene.s * v.oow;
      v.tmuvtx[0].tow = scene.t * v.oow;
    }
    const float a = faceBrightness(conePoints[index[0]], conePoints[index[1]],
                                   conePoints[index[2]], mirrored);
    work[0].a = work[1].a = work[2].a = a;
    guDrawTriangleWithClip(&work[0], &work[1], &work[2]);
  }
}

void drawConeRow() {
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ZERO);
  coneLift = advanceConeMotion();
  drawBackdrop();

  GrVertex work[3] = {};
  for (int pass = 0; pass < 2; pass++) {
    const bool mirrored = pass == 1;
    buildCone(coneVertices, coneIndices, coneSides, coneRadius,
              (float)fallingLevel[0][0] * 0.0625f);
    const float rowStart = 30.0f * coneRadius;
    for (int k = 0; k < coneVertexCount; k++) coneVertices[k].x = coneVertices[k].x - rowStart;

    for (int band = 0; band < coneRowBands; band++) {
      int level;
      if (mirrored) {
        grCullMode(GR_CULL_NEGATIVE);
        guTexSource(lightTexture);
        level = -fallingLevel[1][band];
      } else {
        grCullMode(GR_CULL_POSITIVE);
        guTexSource(barTexture);
        level = fallingLevel[0][band];
      }
      const int height = (int)((float)level * 0.0625f);
      shapeCone(coneVertices, coneSides, height, mirrored);
      drawCone(work, mirrored);
    }
  }
}
