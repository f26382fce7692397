// Writing 3DF texture files: the four header lines, then every level's texels,
// largest first, row by row from the top, 16- and 32-bit texels big-endian.
#pragma once

#include <glide.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

namespace velmo::tools {

// Checks that a picture can be a Glide texture: both sides powers of two,
// at most 256, and neither more than 8 times the other. Returns an empty
// string when it can, else the reason.
std::string textureSizeProblem(int width, int height);

// The whole file for a chain of levels made by mipmapChain (all must be
// consecutive halvings). Throws std::invalid_argument for a chain or format
// that cannot be written.
std::vector<uint8_t> encode3df(const std::vector<Image>& levels, GrTextureFormat_t format);

// encode3df, then writes the file; throws std::runtime_error naming the file.
void write3df(const std::string& path, const std::vector<Image>& levels, GrTextureFormat_t format);

}  // namespace velmo::tools
