// Encoding 0xAARRGGBB pixels into the texel formats that mk3df writes.
#pragma once

#include <glide.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "texture_format.h"

namespace velmo::tools {

// The formats we can write: every format without a table (rgb332, a8, i8,
// ai44, argb8332, rgb565, argb1555, argb4444, ai88) and argb8888.
struct WritableFormat {
  const char* name;  // as in a 3DF header
  GrTextureFormat_t format;
};
const std::vector<WritableFormat>& writableFormats();
std::optional<GrTextureFormat_t> writableFormatByName(const std::string& name);
const char* formatName(GrTextureFormat_t format);

// One texel, rounded to nearest; the value fits texelBytes(format) bytes.
// Intensity is the mean of red, green and blue.
uint32_t encodeTexel(GrTextureFormat_t format, uint32_t argb);

}  // namespace velmo::tools
