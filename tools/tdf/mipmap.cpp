#include "mipmap.h"

#include <algorithm>

namespace velmo::tools {

Image halve(const Image& image) {
  const int width = std::max(1, image.width / 2);
  const int height = std::max(1, image.height / 2);
  const int stepX = image.width / width;  // 1 or 2
  const int stepY = image.height / height;
  const int count = stepX * stepY;
  Image result(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int dy = 0; dy < stepY; ++dy)
        for (int dx = 0; dx < stepX; ++dx) {
          uint32_t p = image.at(x * stepX + dx, y * stepY + dy);
          for (int c = 0; c < 4; ++c) sum[c] += p >> (8 * c) & 0xFF;
        }
      uint32_t packed = 0;
      for (int c = 0; c < 4; ++c) packed |= (sum[c] + count / 2) / count << (8 * c);
      result.at(x, y) = packed;
    }
  }
  return result;
}

std::vector<Image> mipmapChain(const Image& image, int smallestSide) {
  std::vector<Image> chain{image};
  while (std::max(chain.back().width, chain.back().height) > smallestSide)
    chain.push_back(halve(chain.back()));
  return chain;
}

}  // namespace velmo::tools
