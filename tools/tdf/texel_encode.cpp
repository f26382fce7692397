#include "texel_encode.h"

namespace velmo::tools {

namespace {

// An 8-bit channel narrowed to `bits`, rounded so that decoding by bit
// replication returns the nearest representable value.
uint32_t narrow(uint32_t value, int bits) {
  const uint32_t top = (1u << bits) - 1;
  return (value * top + 127) / 255;
}

uint32_t channel(uint32_t argb, int shift) { return argb >> shift & 0xFF; }

uint32_t intensity(uint32_t argb) {
  return (channel(argb, 16) + channel(argb, 8) + channel(argb, 0) + 1) / 3;
}

uint32_t rgb332(uint32_t argb) {
  return narrow(channel(argb, 16), 3) << 5 | narrow(channel(argb, 8), 3) << 2 |
         narrow(channel(argb, 0), 2);
}

}  // namespace

const std::vector<WritableFormat>& writableFormats() {
  static const std::vector<WritableFormat> formats = {
      {"rgb332", GR_TEXFMT_RGB_332},
      {"a8", GR_TEXFMT_ALPHA_8},
      {"i8", GR_TEXFMT_INTENSITY_8},
      {"ai44", GR_TEXFMT_ALPHA_INTENSITY_44},
      {"argb8332", GR_TEXFMT_ARGB_8332},
      {"rgb565", GR_TEXFMT_RGB_565},
      {"argb1555", GR_TEXFMT_ARGB_1555},
      {"argb4444", GR_TEXFMT_ARGB_4444},
      {"ai88", GR_TEXFMT_ALPHA_INTENSITY_88},
      {"argb8888", VGL_TEXFMT_ARGB_8888},
  };
  return formats;
}

std::optional<GrTextureFormat_t> writableFormatByName(const std::string& name) {
  for (const WritableFormat& entry : writableFormats())
    if (name == entry.name) return entry.format;
  return std::nullopt;
}

const char* formatName(GrTextureFormat_t format) {
  for (const WritableFormat& entry : writableFormats())
    if (format == entry.format) return entry.name;
  return nullptr;
}

uint32_t encodeTexel(GrTextureFormat_t format, uint32_t argb) {
  const uint32_t a = channel(argb, 24), r = channel(argb, 16), g = channel(argb, 8),
                 b = channel(argb, 0);
  switch (format) {
    case GR_TEXFMT_RGB_332: return rgb332(argb);
    case GR_TEXFMT_ALPHA_8: return a;
    case GR_TEXFMT_INTENSITY_8: return intensity(argb);
    case GR_TEXFMT_ALPHA_INTENSITY_44: return narrow(a, 4) << 4 | narrow(intensity(argb), 4);
    case GR_TEXFMT_ARGB_8332: return a << 8 | rgb332(argb);
    case GR_TEXFMT_RGB_565: return narrow(r, 5) << 11 | narrow(g, 6) << 5 | narrow(b, 5);
    case GR_TEXFMT_ARGB_1555:
      return (a >= 128 ? 0x8000u : 0u) | narrow(r, 5) << 10 | narrow(g, 5) << 5 | narrow(b, 5);
    case GR_TEXFMT_ARGB_4444:
      return narrow(a, 4) << 12 | narrow(r, 4) << 8 | narrow(g, 4) << 4 | narrow(b, 4);
    case GR_TEXFMT_ALPHA_INTENSITY_88: return a << 8 | intensity(argb);
    case VGL_TEXFMT_ARGB_8888: return argb;
    default: return 0;
  }
}

}  // namespace velmo::tools
