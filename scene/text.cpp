// Text overlay: bitmap-font glyphs, centred lines, and the song title that is
// revealed a letter at a time and then fades out.
#include "scene/scene.h"

char displayTitle[displayTitleSize];
int revealLen = 1;
int titleFade = 180;
bool revealDone;

static const float glyphWidth = 15.0f, glyphHeight = 20.0f, glyphAdvance = 9.0f;
static const int fontCell = 16;  // texel units per cell, 16 cells to a row
static const int titleBrightness = 180;

void drawGlyph(float x, float y, unsigned char code, int brightness) {
  const float s0 = (float)(fontCell * (code % 16)), s1 = s0 + (float)fontCell;
  const float t0 = (float)(fontCell * (code / 16)), t1 = t0 + (float)fontCell;
  const float a = (float)brightness;

  GrVertex topLeft = {}, bottomLeft = {}, bottomRight = {};
  GrVertex* corners[3] = {&topLeft, &bottomLeft, &bottomRight};
  const float position[3][4] = {
      {x, y, s0, t0},
      {x, y - glyphHeight, s0, t1},
      {x + glyphWidth, y - glyphHeight, s1, t1},
  };
  for (int i = 0; i < 3; i++) {
    GrVertex& v = *corners[i];
    v.x = position[i][0];
    v.y = position[i][1];
    v.z = 1.0f;
    v.a = a;
    v.oow = 1.0f;
    v.tmuvtx[0].sow = position[i][2] * v.oow;
    v.tmuvtx[0].tow = position[i][3] * v.oow;
  }
  guTexSource(fontTexture);
  grDrawTriangle(&topLeft, &bottomRight, &bottomLeft);

  GrVertex& topRight = bottomLeft;
  topRight.x = x + glyphWidth;
  topRight.y = y;
  topRight.tmuvtx[0].sow = s1 * topRight.oow;
  topRight.tmuvtx[0].tow = t0 * topRight.oow;
  guDrawTriangleWithClip(&topLeft, &topRight, &bottomRight);
}

void drawText(float x, float y, const char* text, int brightness) {
  grChromakeyMode(GR_CHROMAKEY_ENABLE);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
  int n = 0;
  while (text[n]) n++;
  const float x0 = x - (float)(n * 9) * 0.5f;
  for (int i = 0; i < n; i++)
    drawGlyph(x0 + glyphAdvance * (float)i, y, (unsigned char)text[i], brightness);
}

void revealTitle() {
  int len = 0;
  while (len < (int)sizeof songTitle - 1 && songTitle[len]) len++;

  if (!revealDone) {
    titleFade = titleBrightness;
    // displayTitle holds 79 characters: a longer title keeps its reveal timing
    // but shows only its first 79.
    int shown = revealLen;
    if (shown > displayTitleSize - 1) shown = displayTitleSize - 1;
    if (shown < 0) shown = 0;
    int i = 0;
    for (; i < shown && i < len; i++) displayTitle[i] = songTitle[i];
    for (; i <= shown; i++) displayTitle[i] = 0;

    if (frameCount % 10 == 0) revealLen++;
    if (revealLen <= len) return;
    revealDone = true;
  }
  titleFade--;
  if (titleFade < 0) {
    revealDone = false;
    revealLen = 1;
  }
}
