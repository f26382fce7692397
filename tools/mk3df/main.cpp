// mk3df: turns a PNG picture into a 3DF texture file with its mipmap chain.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "tdf/mipmap.h"
#include "tdf/png_io.h"
#include "tdf/tdf_writer.h"
#include "tdf/texel_encode.h"

namespace {

std::string formatList() {
  std::string list;
  for (const auto& entry : velmo::tools::writableFormats())
    list += (list.empty() ? "" : ", ") + std::string(entry.name);
  return list;
}

bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "mk3df: writes a Glide 3DF texture file from a PNG picture.\n"
      "The picture's sides must be powers of two, at most 256, and neither more\n"
      "than 8 times the other. Smaller levels are made by averaging 2x2 texels."};
  std::string input, output, formatName = "rgb565";
  int smallest = 1;
  bool noMipmaps = false;
  app.add_option("input", input, "PNG picture")->required();
  app.add_option("output", output, "3DF file to write")->required();
  app.add_option("-f,--format", formatName, "texel format: " + formatList())
      ->capture_default_str();
  app.add_option("-s,--smallest", smallest, "larger side of the smallest level (1..256)")
      ->capture_default_str();
  app.add_flag("--no-mipmaps", noMipmaps, "write the full-size level only");
  CLI11_PARSE(app, argc, argv);

  auto format = velmo::tools::writableFormatByName(formatName);
  if (!format) {
    std::fprintf(stderr, "mk3df: unknown format '%s' (one of: %s)\n", formatName.c_str(),
                 formatList().c_str());
    return 1;
  }
  if (!isPowerOfTwo(smallest) || smallest > 256) {
    std::fprintf(stderr, "mk3df: --smallest must be a power of two from 1 to 256\n");
    return 1;
  }
  try {
    velmo::tools::Image picture = velmo::tools::readPng(input);
    std::string problem = velmo::tools::textureSizeProblem(picture.width, picture.height);
    if (!problem.empty()) {
      std::fprintf(stderr, "mk3df: %s: %s\n", input.c_str(), problem.c_str());
      return 1;
    }
    int largeSide = std::max(picture.width, picture.height);
    if (noMipmaps) smallest = largeSide;
    if (smallest > largeSide) {
      std::fprintf(stderr, "mk3df: --smallest %d is larger than the picture\n", smallest);
      return 1;
    }
    velmo::tools::write3df(output, velmo::tools::mipmapChain(picture, smallest), *format);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mk3df: %s\n", error.what());
    return 1;
  }
  return 0;
}
