// Draws the dialog's title picture (bitmap 109): a glowing row of spectrum
// cones under the name, written as a 230 x 80 Windows BMP with 8 bits per
// pixel and a 256-entry palette. Runs on the build host.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 230;
constexpr int kHeight = 80;

// 5 x 7 capitals, one row per byte, bit 4 leftmost.
struct Glyph {
  char letter;
  std::array<std::uint8_t, 7> rows;
};
constexpr Glyph kGlyphs[] = {
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph& glyphFor(char letter) {
  for (const Glyph& glyph : kGlyphs) {
    if (glyph.letter == letter) return glyph;
  }
  return kGlyphs[sizeof kGlyphs / sizeof kGlyphs[0] - 1];
}

// Brightness 0..1 per pixel, top row first.
using Canvas = std::vector<float>;

void plot(Canvas& canvas, int x, int y, float value) {
  if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
  float& pixel = canvas[y * kWidth + x];
  pixel = std::max(pixel, value);
}

void writeText(Canvas& canvas, const std::string& text, int left, int top, int scale,
               float value) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph& glyph = glyphFor(text[i]);
    const int glyphLeft = left + static_cast<int>(i) * 6 * scale;
    for (int row = 0; row < 7; ++row) {
      for (int column = 0; column < 5; ++column) {
        if (!(glyph.rows[row] & (0x10 >> column))) continue;
        for (int dy = 0; dy < scale; ++dy)
          for (int dx = 0; dx < scale; ++dx)
            plot(canvas, glyphLeft + column * scale + dx, top + row * scale + dy, value);
      }
    }
  }
}

int textWidth(const std::string& text, int scale) {
  return static_cast<int>(text.size()) * 6 * scale - scale;
}

// A row of upright cones whose heights follow a made-up spectrum, and the
// dimmer mirrored row under them.
void drawCones(Canvas& canvas) {
  constexpr int kCones = 22;
  constexpr int kBase = 66;
  const float step = static_cast<float>(kWidth - 10) / kCones;
  for (int cone = 0; cone < kCones; ++cone) {
    const float centre = 5.0f + step * (cone + 0.5f);
    const float level = 0.35f + 0.3f * std::sin(cone * 0.7f) + 0.25f * std::sin(cone * 1.9f + 1.0f);
    const int height = static_cast<int>(8 + 26 * std::clamp(level, 0.0f, 1.0f));
    const float halfWidth = step * 0.42f;
    for (int up = 0; up < height; ++up) {
      const float reach = halfWidth * (1.0f - static_cast<float>(up) / height);
      for (int x = static_cast<int>(centre - reach); x <= static_cast<int>(centre + reach); ++x) {
        const float edge = 1.0f - std::fabs(x - centre) / (reach + 1.0f);
        plot(canvas, x, kBase - up, 0.25f + 0.45f * edge);
        if (up < height / 2) plot(canvas, x, kBase + 1 + up / 2, 0.12f + 0.2f * edge);
      }
    }
  }
}

// Soft glow: a few passes of a 3 x 3 box blur added back under the sharp image.
Canvas glow(const Canvas& canvas) {
  Canvas blurred = canvas;
  for (int pass = 0; pass < 4; ++pass) {
    Canvas next(blurred.size(), 0.0f);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        float sum = 0.0f;
        int count = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            const int sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= kWidth || sy >= kHeight) continue;
            sum += blurred[sy * kWidth + sx];
            ++count;
          }
        }
        next[y * kWidth + x] = sum / count;
      }
    }
    blurred.swap(next);
  }
  Canvas result(canvas.size());
  for (std::size_t i = 0; i < canvas.size(); ++i)
    result[i] = std::min(1.0f, std::max(canvas[i], canvas[i] * 0.6f + blurred[i] * 1.4f));
  return result;
}

// Black through deep blue and violet to cyan and white, as the scene glows.
std::array<std::uint8_t, 4> paletteEntry(int index) {
  const float t = index / 255.0f;
  const float red = std::clamp(1.6f * t * t + 0.35f * std::sin(t * 3.1416f), 0.0f, 1.0f);
  const float green = std::clamp(1.4f * t * t * t + 0.5f * t * t, 0.0f, 1.0f);
  const float blue = std::clamp(0.15f + 1.8f * t, 0.0f, 1.0f) * std::min(1.0f, t * 6.0f + 0.1f);
  auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(v * 255.0f)); };
  return {byte(blue), byte(green), byte(red), 0};  // RGBQUAD order
}

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> encodeBmp(const Canvas& canvas) {
  const int rowBytes = (kWidth + 3) & ~3;
  const std::uint32_t pixelBytes = rowBytes * kHeight;
  const std::uint32_t pixelOffset = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  putLe(out, pixelOffset + pixelBytes, 4);
  putLe(out, 0, 4);
  putLe(out, pixelOffset, 4);
  putLe(out, 40, 4);  // BITMAPINFOHEADER
  putLe(out, kWidth, 4);
  putLe(out, kHeight, 4);  // positive: bottom-up rows
  putLe(out, 1, 2);
  putLe(out, 8, 2);
  putLe(out, 0, 4);  // BI_RGB
  putLe(out, pixelBytes, 4);
  putLe(out, 2835, 4);
  putLe(out, 2835, 4);
  putLe(out, 256, 4);
  putLe(out, 0, 4);
  for (int i = 0; i < 256; ++i) {
    for (std::uint8_t byte : paletteEntry(i)) out.push_back(byte);
  }
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) {
      const float value = std::clamp(canvas[y * kWidth + x], 0.0f, 1.0f);
      out.push_back(static_cast<std::uint8_t>(std::lround(value * 255.0f)));
    }
    for (int pad = kWidth; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
    return 2;
  }
  Canvas canvas(kWidth * kHeight, 0.0f);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) canvas[y * kWidth + x] = 0.06f * y / kHeight;
  }
  drawCones(canvas);
  const std::string name = "VELMO";
  writeText(canvas, name, (kWidth - textWidth(name, 4)) / 2, 3, 4, 1.0f);
  const std::string subtitle = "SPECTRUM";
  writeText(canvas, subtitle, (kWidth - textWidth(subtitle, 1)) / 2, 71, 1, 0.8f);
  const std::vector<std::uint8_t> bmp = encodeBmp(glow(canvas));

  std::ofstream file(argv[1], std::ios::binary);
  file.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  file.close();
  if (!file) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
