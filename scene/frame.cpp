// The frame composer: drawing order of one frame, the per-band peak state and
// the back spectrum of small markers at the held peaks.
#include "scene/scene.h"

int heldLevel[sceneChannels][sceneBands];
int fallingLevel[sceneChannels][sceneBands];
int holdCount[sceneBands];
GrVertex backVertex[3];

float platformSpin, platformRoll, platformTilt;
float logoAngles[3];

enum { holdFrames = 10,
       heldFall = 4 };
static const float fallingStep = 6.5f;
static const float markerOow = 0.008f;  // w = 125, behind the cones

// One channel's pass over its bands: peak bookkeeping, and the markers when
// the back spectrum is shown. The marker drawn at a band is the one placed
// last, before this band moves it, so it trails by one placed band.
static void updateChannel(int channel) {
  backVertex[0].a = channel == 0 ? 50.0f : 55.0f;
  backVertex[1].a = 55.0f;
  backVertex[2].a = 55.0f;

  for (int band = 0; band < sceneBands; band++) {
    const int level = bandLevel[channel][band];
    holdCount[band]++;

    int& falling = fallingLevel[channel][band];
    if (level > falling) {
      falling = level;
    } else {
      const int fallen = (int)((float)falling - fallingStep);
      falling = fallen < 0 ? 0 : fallen;
    }

    if (DisplayBackSpec) grDrawTriangle(&backVertex[0], &backVertex[1], &backVertex[2]);

    int& held = heldLevel[channel][band];
    if (holdCount[band] >= holdFrames) {
      held -= heldFall;
      if (held < 0) held = 0;
    }
    if (level > held) {
      held = level;
      holdCount[band] = 0;
    }

    if (held != 0) {
      const float x = (float)(29 + 17 * band);
      const float y = (float)(held + 240 * channel);
      backVertex[0].x = x - 4.0f;
      backVertex[0].y = y;
      backVertex[1].x = x;
      backVertex[1].y = y;
      backVertex[2].x = x - 2.0f;
      backVertex[2].y = y - 3.0f;
      for (int i = 0; i < 3; i++) {
        backVertex[i].a = (float)(held + 40);
        backVertex[i].oow = markerOow;
      }
    }
  }
}

void drawFrame() {
  frameCount++;
  grBufferClear(0, 0, 0xffff);

  guTexSource(barTexture);
  updateChannel(0);
  updateChannel(1);

  drawConeRow();
  grCullMode(GR_CULL_DISABLE);
  platformSpin += 0.017f;

  if (RotateLogo) {
    logoAngles[1] -= 0.018f;
    drawLogo(55.0f, 15.0f, 0.0f, 0.0f, 0.0f, 2.5f, logoAngles, 1.0f);
  } else {
    drawLogo(45.0f, 12.0f, 0.0f, 0.0f, 0.0f, 2.5f, logoAngles, 1.0f);
  }

  if (DisplaySong) revealTitle();
  if (DisplayPlatform) drawPlatform();
  if (DisplaySong) drawText(320.0f, 480.0f, displayTitle, titleFade);
  if (DisplayTime) drawText(600.0f, 22.0f, timeText, 100);
  grBufferSwap(1);
}
