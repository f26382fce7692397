// Fitting the picture into a window or a screen, aspect kept.
#include "picture_fit.h"

#include <cstddef>
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

int halvingsFor(int frameWidth, int frameHeight, const PictureRect& shown, int maxHalvings) {
  int halvings = 0;
  while (halvings < maxHalvings && shown.width > 0 && shown.height > 0 &&
         2 * (frameWidth >> halvings) >= 3 * shown.width && 2 * (frameHeight >> halvings) >= 3 * shown.height)
    ++halvings;
  return halvings;
}

void halvePicture(const FxU32* from, int width, int height, FxU32* to) {
  const int outWidth = width / 2, outHeight = height / 2;
  for (int y = 0; y < outHeight; ++y) {
    const FxU32* top = from + std::size_t(2 * y) * std::size_t(width);
    const FxU32* bottom = top + width;
    FxU32* out = to + std::size_t(y) * std::size_t(outWidth);
    for (int x = 0; x < outWidth; ++x) {
      const FxU32 a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
      // Red and blue side by side, ten bits each, then green: exact sums.
      const FxU32 redBlue = (a & 0xFF00FFu) + (b & 0xFF00FFu) + (c & 0xFF00FFu) + (d & 0xFF00FFu) + 0x20002u;
      const FxU32 green = (a & 0xFF00u) + (b & 0xFF00u) + (c & 0xFF00u) + (d & 0xFF00u) + 0x200u;
      out[x] = ((redBlue >> 2) & 0xFF00FFu) | ((green >> 2) & 0xFF00u);
    }
  }
}

}  // namespace glide
