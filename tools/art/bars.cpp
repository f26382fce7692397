// Velmo1.3df: the bar texture. Rows run from hot colours at the top to cool
// ones at the bottom, so a taller cone (which samples rows further up) glows
// hotter at its tip. A dark line every 16 rows marks one unit of cone height,
// like the segments of an LED meter; faint columns every 32 texels give the
// full-screen backdrop a grid.
#include "art.h"
#include "paint.h"

namespace velmo::art {

tools::Image makeBars() {
  constexpr int size = 256;
  static const RampStop stops[] = {
      {0.00, {255, 64, 96}},  // texel (0, 0): the colour of the back-spectrum markers
      {0.20, {255, 140, 40}},
      {0.45, {250, 230, 60}},
      {0.70, {80, 230, 90}},
      {1.00, {30, 140, 200}},
  };
  tools::Image image(size, size);
  for (int y = 0; y < size; ++y) {
    const Colour row = ramp(stops, y / double(size - 1));
    const int inSegment = y % 16;
    const double segment = inSegment == 15 ? 0.3 : inSegment == 14 ? 0.75
                                                                   : 1.0;
    for (int x = 0; x < size; ++x) {
      const double column = x % 32 == 31 ? 0.7 : 1.0;
      image.at(x, y) = toPixel(scale(row, segment * column));
    }
  }
  // The markers sample coordinate (0, 0): with bilinear filtering and wrapping
  // that point lies between the four corner texels, so all four get its colour.
  const uint32_t marker = toPixel(stops[0].colour);
  for (int y : {0, size - 1})
    for (int x : {0, size - 1}) image.at(x, y) = marker;
  return image;
}

}  // namespace velmo::art
