// Where the picture goes in a window or on a screen: the frame's shape kept,
// black bars around it, and the scale a frame is drawn at to fill it.
#pragma once

#include "glide.h"

namespace glide {

struct PictureRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The largest rectangle of the frame's shape centred in an area (an empty
// one for an empty area or frame).
PictureRect fitPicture(int frameWidth, int frameHeight, int areaWidth, int areaHeight);

// A window's picture size: the frame's, made smaller with its shape kept
// until it fits the area (never larger than the frame).
PictureRect shrinkToFit(int frameWidth, int frameHeight, int areaWidth, int areaHeight);

// The smallest scale, 1 to maxScale, whose frame (width × height times the
// scale) covers every pixel of the picture fitted into the area.
int scaleToCover(int width, int height, int areaWidth, int areaHeight, int maxScale);

// How many times a frame is halved (2×2 pixels averaged into one) before it
// is stretched to shown: while it is at least 1.5 times as large both ways,
// at most maxHalvings. Stretching then drops no more than a third of the
// pixels, or repeats some: every pixel of the frame counts in the picture.
int halvingsFor(int frameWidth, int frameHeight, const PictureRect& shown, int maxHalvings);

// Averages each 2×2 block of a 0x00RRGGBB picture (rounded to nearest), into
// (width / 2) × (height / 2) pixels; an odd last column or row is left out.
void halvePicture(const FxU32* from, int width, int height, FxU32* to);

}  // namespace glide
