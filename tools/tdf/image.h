// A picture in memory: 0xAARRGGBB pixels, row by row from the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmo::tools {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  Image() = default;
  Image(int w, int h, uint32_t fill = 0xFF000000u)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline uint32_t packArgb(int a, int r, int g, int b) {
  return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 |
         static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

}  // namespace velmo::tools
