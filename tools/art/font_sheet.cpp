// VelmoFont.3df: one character per 16x16 cell, code c in column c % 16 and row
// c / 16, on black (the plug-in keys black out). A cell is drawn 15 pixels wide
// and 20 high, so the glyphs are rendered 4:3 wider than tall to look upright
// on screen. Codes 128-255 follow Windows-1252, the code page of song titles
// on Western Windows; control codes, space and undefined codes stay black.
#include <cmath>

#include "art.h"
#include "font_face.h"
#include "paint.h"

namespace velmo::art {

namespace {

constexpr int cell = 16;
constexpr int baseline = 12;  // rows 0..11 above it, 12..15 for descenders

// Unicode of each Windows-1252 code from 0x80 to 0x9F; 0 where the code page
// has no character.
constexpr uint32_t cp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

uint32_t unicodeOf(int code) {
  if (code <= 0x20 || code == 0x7F || code == 0xA0) return 0;
  if (code >= 0x80 && code < 0xA0) return cp1252High[code - 0x80];
  return static_cast<uint32_t>(code);
}

}  // namespace

tools::Image makeFontSheet(const std::string& fontPath) {
  FontFace face(fontPath);
  face.setEmSize(16.0, 12.5);
  tools::Image image(16 * cell, 16 * cell);
  const Colour top{255, 255, 255}, bottom{185, 210, 255};

  for (int code = 0; code < 256; ++code) {
    const uint32_t unicode = unicodeOf(code);
    if (unicode == 0 || !face.hasChar(unicode)) continue;
    const GlyphMask glyph = face.render(unicode);
    if (glyph.empty()) continue;
    const int cellX = (code % 16) * cell, cellY = (code / 16) * cell;
    const int penX = static_cast<int>(std::lround((cell - glyph.advance) / 2));
    for (int gy = 0; gy < glyph.height; ++gy) {
      const int y = baseline - glyph.top + gy;
      if (y < 0 || y >= cell) continue;
      const Colour shade = mix(top, bottom, y / double(cell - 1));
      for (int gx = 0; gx < glyph.width; ++gx) {
        const int x = penX + glyph.left + gx;
        if (x < 0 || x >= cell) continue;
        const double coverage = glyph.coverage[static_cast<size_t>(gy) * glyph.width + gx] / 255.0;
        if (coverage > 0) image.at(cellX + x, cellY + y) = toPixel(scale(shade, std::pow(coverage, 0.8)));
      }
    }
  }
  return image;
}

}  // namespace velmo::art
