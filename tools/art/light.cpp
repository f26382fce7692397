// Light.3df: a soft glow in the middle of each tile, crossed by a web of
// caustic lines. Every term is periodic over the 256 texels, so the picture
// repeats without a seam (the platform shows it four times along each edge).
#include <cmath>

#include "art.h"
#include "paint.h"

namespace velmo::art {

tools::Image makeLight() {
  constexpr int size = 256;
  tools::Image image(size, size);
  const Colour deep{10, 22, 60}, glow{70, 150, 255}, line{210, 240, 255};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double u = 2 * pi * x / size, v = 2 * pi * y / size;
      // Raised cosines: 1 in the middle of the tile, 0 along its edges.
      const double centre = std::pow((1 - std::cos(u)) * (1 - std::cos(v)) / 4, 1.3);
      // Whole numbers of waves across the tile keep the web seamless.
      const double wave = (std::cos(2 * u + v + 0.4) + std::cos(-u + 3 * v + 1.3) +
                           std::cos(3 * u - 2 * v + 2.1)) /
                          3;
      const double caustic = std::pow(1 - std::fabs(wave), 8);
      Colour c = mix(deep, glow, centre);
      c = mix(c, line, caustic * (0.35 + 0.5 * centre));
      image.at(x, y) = toPixel(c);
    }
  }
  return image;
}

}  // namespace velmo::art
