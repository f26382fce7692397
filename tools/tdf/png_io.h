// Reading and writing PNG files through libpng. Errors throw std::runtime_error
// with a message that names the file.
#pragma once

#include <string>

#include "image.h"

namespace velmo::tools {

// Any PNG (grey, palette, 16-bit, with or without alpha) becomes 8-bit ARGB.
Image readPng(const std::string& path);

void writePng(const std::string& path, const Image& image);

}  // namespace velmo::tools
