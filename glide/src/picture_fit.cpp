// Fitting the picture into a window or a screen, aspect kept.
#include "picture_fit.h"

#include <cstdint>

namespace glide {

PictureRect fitPicture(int frameWidth, int frameHeight, int areaWidth, int areaHeight) {
  if (frameWidth <= 0 || frameHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
  PictureRect r;
  // Compared in 64 bits: a 4x frame times a large screen passes 2^31.
  if (int64_t(areaWidth) * frameHeight <= int64_t(areaHeight) * frameWidth) {
    r.width = areaWidth;
    r.height = int((int64_t(areaWidth) * frameHeight + frameWidth / 2) / frameWidth);
  } else {
    r.height = areaHeight;
    r.width = int((int64_t(areaHeight) * frameWidth + frameHeight / 2) / frameHeight);
  }
  if (r.width < 1) r.width = 1;
  if (r.height < 1) r.height = 1;
  r.x = (areaWidth - r.width) / 2;
  r.y = (areaHeight - r.height) / 2;
  return r;
}

PictureRect shrinkToFit(int frameWidth, int frameHeight, int areaWidth, int areaHeight) {
  if (frameWidth <= areaWidth && frameHeight <= areaHeight) return {0, 0, frameWidth, frameHeight};
  PictureRect r = fitPicture(frameWidth, frameHeight, areaWidth, areaHeight);
  r.x = r.y = 0;
  return r;
}

int scaleToCover(int width, int height, int areaWidth, int areaHeight, int maxScale) {
  const PictureRect shown = fitPicture(width, height, areaWidth, areaHeight);
  for (int scale = 1; scale < maxScale; ++scale)
    if (width * scale >= shown.width && height * scale >= shown.height) return scale;
  return maxScale;
}

}  // namespace glide
