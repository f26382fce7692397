// VelmoLogo.3df: the word VELMO in gold over a magenta glow and a thin light
// line beneath. The plug-in shows texels 0..255 across and 0..124 down on a
// rectangle four times wider than tall, twice the texture's own proportion,
// so the letters are drawn half as wide as usual to look right on screen.
#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "font_face.h"
#include "paint.h"

namespace velmo::art {

namespace {

constexpr int width = 256, height = 128, usedRows = 125;

// A mask of coverage 0..1 over the logo area.
using Mask = std::vector<double>;

void boxBlur(Mask& mask, int radiusX, int radiusY) {
  Mask temp(mask.size());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double sum = 0;
      for (int dx = -radiusX; dx <= radiusX; ++dx) {
        int sx = x + dx;
        if (sx >= 0 && sx < width) sum += mask[y * width + sx];
      }
      temp[y * width + x] = sum / (2 * radiusX + 1);
    }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      double sum = 0;
      for (int dy = -radiusY; dy <= radiusY; ++dy) {
        int sy = y + dy;
        if (sy >= 0 && sy < height) sum += temp[sy * width + x];
      }
      mask[y * width + x] = sum / (2 * radiusY + 1);
    }
}

}  // namespace

tools::Image makeLogo(const std::string& fontPath) {
  const char word[] = "VELMO";
  FontFace face(fontPath);
  const double emDown = 118;
  double emAcross = emDown / 2;
  face.setEmSize(emAcross, emDown);
  double textWidth = 0;
  for (const char* c = word; *c; ++c) textWidth += face.render(static_cast<uint8_t>(*c)).advance;
  if (textWidth > 236) {  // keep a margin for the glow
    emAcross *= 236 / textWidth;
    face.setEmSize(emAcross, emDown);
    textWidth = 0;
    for (const char* c = word; *c; ++c) textWidth += face.render(static_cast<uint8_t>(*c)).advance;
  }

  const int baselineRow = 100;
  Mask letters(width * height, 0.0);
  double pen = (width - textWidth) / 2;
  for (const char* c = word; *c; ++c) {
    const GlyphMask glyph = face.render(static_cast<uint8_t>(*c));
    const int originX = static_cast<int>(std::lround(pen)) + glyph.left;
    for (int gy = 0; gy < glyph.height; ++gy)
      for (int gx = 0; gx < glyph.width; ++gx) {
        const int x = originX + gx, y = baselineRow - glyph.top + gy;
        if (x >= 0 && x < width && y >= 0 && y < usedRows)
          letters[y * width + x] = std::max(letters[y * width + x],
                                            glyph.coverage[gy * glyph.width + gx] / 255.0);
      }
    pen += glyph.advance;
  }

  Mask glow = letters;
  boxBlur(glow, 4, 8);
  boxBlur(glow, 4, 8);

  const Colour glowColour{230, 40, 150}, goldTop{255, 250, 190}, goldBottom{255, 130, 20},
      lineColour{255, 200, 120};
  tools::Image image(width, height);
  for (int y = 0; y < usedRows; ++y)
    for (int x = 0; x < width; ++x) {
      const double ink = letters[y * width + x];
      Colour c = scale(glowColour, std::min(1.0, 1.6 * glow[y * width + x]));
      // A thin light line under the word, brightest in the middle.
      const double across = std::sin(pi * x / (width - 1));
      const double line = std::exp(-std::pow((y - 110) / 2.0, 2)) * std::pow(across, 3);
      c = mix(c, lineColour, line);
      const double down = std::clamp((y - 20) / 80.0, 0.0, 1.0);
      c = mix(c, mix(goldTop, goldBottom, down), ink);
      image.at(x, y) = toPixel(c);
    }
  return image;
}

}  // namespace velmo::art
