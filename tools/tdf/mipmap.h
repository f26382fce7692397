// Mipmap chains by box filtering: each level averages 2x2 texels of the one
// above (2x1 once a side has reached one texel), rounding to nearest.
#pragma once

#include <vector>

#include "image.h"

namespace velmo::tools {

// The next smaller level; a 1x1 image stays as it is.
Image halve(const Image& image);

// The image and its halvings until the larger side is smallestSide (1, 2, ... ,
// a power of two not above the image's larger side).
std::vector<Image> mipmapChain(const Image& image, int smallestSide);

}  // namespace velmo::tools
