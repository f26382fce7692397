// Generators of the plug-in's four textures. Each returns the full-size picture;
// mk3df turns it into a 3DF file with its mipmap chain.
#pragma once

#include <string>

#include "tdf/image.h"

namespace velmo::art {

// Light.3df: 256x256, a soft light pattern that repeats seamlessly.
tools::Image makeLight();

// Velmo1.3df: 256x256, a bar-meter colour ramp, hot at the top (texel (0, 0) is
// the bright colour of the back-spectrum markers), with LED segments every 16 rows.
tools::Image makeBars();

// VelmoFont.3df: 256x256, 16x16 cells, code c in column c % 16, row c / 16, on
// black. Codes 128-255 follow Windows-1252.
tools::Image makeFontSheet(const std::string& fontPath);

// VelmoLogo.3df: 256x128, the logo in rows 0..124, rows 125..127 black.
tools::Image makeLogo(const std::string& fontPath);

}  // namespace velmo::art
