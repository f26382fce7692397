// The scene: every element of a frame and the state they keep between frames
// and between display runs.
#pragma once

#include <glide.h>
#include <glideutl.h>

#include "analysis/analyzer.h"
#include "display/display.h"
#include "plugin/lifecycle.h"
#include "scene/geometry.h"
#include "settings/settings.h"

enum { sceneBands = BAND_COUNT,
       sceneChannels = BAND_CHANNELS };

// ---- frame composer and back spectrum (scene/frame.cpp)

// Draws one whole frame: back spectrum, cone row, logo, platform, text, swap.
void drawFrame();

// Peak state derived from bandLevel each frame; visInit zeroes the first two.
extern int heldLevel[sceneChannels][sceneBands];
extern int fallingLevel[sceneChannels][sceneBands];
extern int holdCount[sceneBands];  // shared by both channels, never reset
extern GrVertex backVertex[3];     // the back-spectrum marker, kept between frames

// Scene angles kept by the frame composer, never reset.
extern float platformSpin, platformRoll, platformTilt;
extern float logoAngles[3];  // XY, YZ, XZ planes

// ---- cone mesh (scene/cone_mesh.cpp)

enum { coneSides = 10,
       coneVertexCount = 2 * coneSides + 1,
       coneIndexCount = 9 * coneSides };

extern GrVertex coneVertices[coneVertexCount];
extern int coneIndices[coneIndexCount];
extern const float coneRadius;  // 1.0

void buildCone(GrVertex* vertices, int* indices, int sides, float radius, float height);
void shapeCone(GrVertex* vertices, int sides, int height, bool flip);

// ---- cone row (scene/cone_row.cpp)

void drawConeRow();

extern float tiltAngle, turnAngle;
extern bool spinDirection;
extern ScenePoint conePoints[coneVertexCount];
extern ScenePoint coneScreen[coneVertexCount];

// ---- platform (scene/platform.cpp)

// visRender stores the keyboard adjustments here every frame:
// platformOffsetZ = platformDepthAdjust + 36, platformOffsetY = platformHeightAdjust.
extern float platformOffsetX, platformOffsetY, platformOffsetZ;

void drawPlatform();

// ---- logo (scene/logo.cpp)

void drawLogo(float screenX, float screenY, float modelX, float modelZ, float offsetY,
              float offsetZ, float* angles, float scale);

// ---- text overlay (scene/text.cpp)

enum { displayTitleSize = 80 };

extern char displayTitle[displayTitleSize];
extern int revealLen;
extern int titleFade;
extern bool revealDone;

void drawGlyph(float x, float y, unsigned char code, int brightness);
void drawText(float x, float y, const char* text, int brightness);
void revealTitle();
