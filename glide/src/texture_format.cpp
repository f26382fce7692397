// Texel formats of Glide 2: level sizes, memory sizes and decoding to 32-bit ARGB.
#include "texture_format.h"

#include <algorithm>

namespace glide {

namespace {

constexpr FxU32 opaque = 0xFF000000u;

FxU32 argb(FxU32 a, FxU32 r, FxU32 g, FxU32 b) { return a << 24 | r << 16 | g << 8 | b; }

FxU32 grey(FxU32 alpha, FxU32 intensity) { return argb(alpha, intensity, intensity, intensity); }

FxU32 rgb332(FxU32 texel) {
  return argb(0xFF, expandBits(texel >> 5 & 7, 3), expandBits(texel >> 2 & 7, 3),
              expandBits(texel & 3, 2));
}

FxU32 rgb565(FxU32 texel) {
  return argb(0xFF, expandBits(texel >> 11 & 31, 5), expandBits(texel >> 5 & 63, 6),
              expandBits(texel & 31, 5));
}

FxU32 argb1555(FxU32 texel) {
  return argb(texel & 0x8000 ? 0xFF : 0, expandBits(texel >> 10 & 31, 5),
              expandBits(texel >> 5 & 31, 5), expandBits(texel & 31, 5));
}

FxU32 argb4444(FxU32 texel) {
  return argb(expandBits(texel >> 12 & 15, 4), expandBits(texel >> 8 & 15, 4),
              expandBits(texel >> 4 & 15, 4), expandBits(texel & 15, 4));
}

FxU32 withAlpha(FxU32 colour, FxU32 alpha) { return (colour & 0x00FFFFFFu) | alpha << 24; }

// One decoder per texel width; the per-texel rule is a small function object.
template <typename Texel, typename Rule>
void decodeEach(const void* texels, int count, FxU32* out, Rule rule) {
  const Texel* in = static_cast<const Texel*>(texels);
  for (int i = 0; i < count; ++i) out[i] = rule(in[i]);
}

}  // namespace

void levelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (lod < GR_LOD_256 || lod > GR_LOD_1 || aspect < GR_ASPECT_8x1 || aspect > GR_ASPECT_1x8)
    return;
  int side = 256 >> lod;
  // Aspect 3 is square; each step away halves the smaller side.
  int ratio = 1 << (aspect < GR_ASPECT_1x1 ? GR_ASPECT_1x1 - aspect : aspect - GR_ASPECT_1x1);
  int smaller = std::max(1, side / ratio);
  *width = aspect <= GR_ASPECT_1x1 ? side : smaller;
  *height = aspect <= GR_ASPECT_1x1 ? smaller : side;
}

int texelBytes(GrTextureFormat_t format) {
  switch (format) {
    case GR_TEXFMT_RGB_332:
    case GR_TEXFMT_YIQ_422:
    case GR_TEXFMT_ALPHA_8:
    case GR_TEXFMT_INTENSITY_8:
    case GR_TEXFMT_ALPHA_INTENSITY_44:
    case GR_TEXFMT_P_8:
      return 1;
    case GR_TEXFMT_ARGB_8332:
    case GR_TEXFMT_AYIQ_8422:
    case GR_TEXFMT_RGB_565:
    case GR_TEXFMT_ARGB_1555:
    case GR_TEXFMT_ARGB_4444:
    case GR_TEXFMT_ALPHA_INTENSITY_88:
    case GR_TEXFMT_AP_88:
      return 2;
    case VGL_TEXFMT_ARGB_8888:
      return 4;
    default:
      return 0;
  }
}

bool usesNccTable(GrTextureFormat_t format) {
  return format == GR_TEXFMT_YIQ_422 || format == GR_TEXFMT_AYIQ_8422;
}

bool usesPalette(GrTextureFormat_t format) {
  return format == GR_TEXFMT_P_8 || format == GR_TEXFMT_AP_88;
}

FxU32 mipmapBytes(GrTextureFormat_t format, GrLOD_t smallLod, GrLOD_t largeLod,
                  GrAspectRatio_t aspect) {
  int bytes = texelBytes(format);
  if (bytes == 0 || largeLod < GR_LOD_256 || smallLod > GR_LOD_1 || largeLod > smallLod ||
      aspect < GR_ASPECT_8x1 || aspect > GR_ASPECT_1x8)
    return 0;
  FxU32 total = 0;
  for (GrLOD_t lod = largeLod; lod <= smallLod; ++lod) {
    int width, height;
    levelSize(lod, aspect, &width, &height);
    total += static_cast<FxU32>(width * height * bytes);
  }
  return total;
}

FxU32 nccColor(const GuNccTable& table, FxU8 texel) {
  int y = table.yRGB[texel >> 4];
  const FxI16* i = table.iRGB[texel >> 2 & 3];
  const FxI16* q = table.qRGB[texel & 3];
  auto channel = [&](int c) { return static_cast<FxU32>(std::clamp(y + i[c] + q[c], 0, 255)); };
  return argb(0xFF, channel(0), channel(1), channel(2));
}

bool decodeTexels(GrTextureFormat_t format, const void* texels, const GuTexTable* table,
                  int width, int height, FxU32* out) {
  if (!texels || !out || width <= 0 || height <= 0) return false;
  if ((usesNccTable(format) || usesPalette(format)) && !table) return false;
  const int count = width * height;
  switch (format) {
    case GR_TEXFMT_RGB_332:
      decodeEach<FxU8>(texels, count, out, rgb332);
      return true;
    case GR_TEXFMT_YIQ_422:
      decodeEach<FxU8>(texels, count, out, [&](FxU8 t) { return nccColor(table->nccTable, t); });
      return true;
    case GR_TEXFMT_ALPHA_8:
      // The board repeats an alpha-only texel into the colour channels as well.
      decodeEach<FxU8>(texels, count, out, [](FxU8 t) { return grey(t, t); });
      return true;
    case GR_TEXFMT_INTENSITY_8:
      decodeEach<FxU8>(texels, count, out, [](FxU8 t) { return grey(0xFF, t); });
      return true;
    case GR_TEXFMT_ALPHA_INTENSITY_44:
      decodeEach<FxU8>(texels, count, out, [](FxU8 t) {
        return grey(expandBits(t >> 4, 4), expandBits(t & 15, 4));
      });
      return true;
    case GR_TEXFMT_P_8:
      decodeEach<FxU8>(texels, count, out,
                       [&](FxU8 t) { return table->palette.data[t] | opaque; });
      return true;
    case GR_TEXFMT_ARGB_8332:
      decodeEach<FxU16>(texels, count, out,
                        [](FxU16 t) { return withAlpha(rgb332(t & 0xFF), t >> 8); });
      return true;
    case GR_TEXFMT_AYIQ_8422:
      decodeEach<FxU16>(texels, count, out, [&](FxU16 t) {
        return withAlpha(nccColor(table->nccTable, static_cast<FxU8>(t & 0xFF)), t >> 8);
      });
      return true;
    case GR_TEXFMT_RGB_565:
      decodeEach<FxU16>(texels, count, out, rgb565);
      return true;
    case GR_TEXFMT_ARGB_1555:
      decodeEach<FxU16>(texels, count, out, argb1555);
      return true;
    case GR_TEXFMT_ARGB_4444:
      decodeEach<FxU16>(texels, count, out, argb4444);
      return true;
    case GR_TEXFMT_ALPHA_INTENSITY_88:
      decodeEach<FxU16>(texels, count, out, [](FxU16 t) { return grey(t >> 8, t & 0xFF); });
      return true;
    case GR_TEXFMT_AP_88:
      decodeEach<FxU16>(texels, count, out, [&](FxU16 t) {
        return withAlpha(table->palette.data[t & 0xFF], t >> 8);
      });
      return true;
    case VGL_TEXFMT_ARGB_8888:
      decodeEach<FxU32>(texels, count, out, [](FxU32 t) { return t; });
      return true;
    default:
      return false;
  }
}

}  // namespace glide
