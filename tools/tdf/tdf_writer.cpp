#include "tdf_writer.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "texel_encode.h"

namespace velmo::tools {

namespace {

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

std::string aspectText(int width, int height) {
  return width >= height ? std::to_string(width / height) + " 1" : "1 " + std::to_string(height / width);
}

}  // namespace

std::string textureSizeProblem(int width, int height) {
  std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (!isPowerOfTwo(width) || !isPowerOfTwo(height))
    return "size " + size + ": both sides must be powers of two";
  if (width > 256 || height > 256) return "size " + size + ": Glide textures are at most 256x256";
  if (width > 8 * height || height > 8 * width)
    return "size " + size + ": one side may be at most 8 times the other";
  return "";
}

std::vector<uint8_t> encode3df(const std::vector<Image>& levels, GrTextureFormat_t format) {
  const char* name = formatName(format);
  if (!name) throw std::invalid_argument("this texel format cannot be written");
  if (levels.empty()) throw std::invalid_argument("no levels to write");
  const Image& largest = levels.front();
  std::string problem = textureSizeProblem(largest.width, largest.height);
  if (!problem.empty()) throw std::invalid_argument(problem);
  for (size_t i = 1; i < levels.size(); ++i)
    if (levels[i].width != std::max(1, levels[i - 1].width / 2) ||
        levels[i].height != std::max(1, levels[i - 1].height / 2) ||
        std::max(levels[i - 1].width, levels[i - 1].height) == 1)
      throw std::invalid_argument("levels are not a mipmap chain");

  const int largeSide = std::max(largest.width, largest.height);
  const int smallSide = std::max(levels.back().width, levels.back().height);
  std::string header = "3df v1.1\n" + std::string(name) + "\nlod range: " + std::to_string(smallSide) +
                       " " + std::to_string(largeSide) + "\naspect ratio: " +
                       aspectText(largest.width, largest.height) + "\n";

  std::vector<uint8_t> bytes(header.begin(), header.end());
  const int texelSize = glide::texelBytes(format);
  for (const Image& level : levels)
    for (uint32_t pixel : level.pixels) {
      uint32_t texel = encodeTexel(format, pixel);
      for (int shift = 8 * (texelSize - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<uint8_t>(texel >> shift));
    }
  return bytes;
}

void write3df(const std::string& path, const std::vector<Image>& levels, GrTextureFormat_t format) {
  std::vector<uint8_t> bytes = encode3df(levels, format);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::remove(path.c_str());  // never leave a partial texture behind
    throw std::runtime_error(path + ": cannot write");
  }
}

}  // namespace velmo::tools
