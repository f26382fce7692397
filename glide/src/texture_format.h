// Texel formats of Glide 2: level sizes, memory sizes and decoding to 32-bit ARGB.
//
// Texture coordinates and levels follow the board: a level's larger side is
// 256 >> lod, the smaller side that divided by the aspect ratio (never below 1).
// Decoded texels are 0xAARRGGBB; narrow channels are widened by repeating their
// high bits, so 0 stays 0 and the full value becomes 255.
#pragma once

#include <glide.h>
#include <velmo_glide.h>  // VGL_TEXFMT_ARGB_8888: 3DF "argb8888" files, our extension

namespace glide {

// Width and height of one level; both 0 for an lod or aspect out of range.
void levelSize(GrLOD_t lod, GrAspectRatio_t aspect, int* width, int* height);

// Bytes per texel: 1 for the 8-bit formats, 2 for the 16-bit ones, 4 for our
// ARGB8888 extension, 0 for anything else.
int texelBytes(GrTextureFormat_t format);

// True when the format carries an NCC table (yiq, ayiq8422) or a palette (p8, ap88).
bool usesNccTable(GrTextureFormat_t format);
bool usesPalette(GrTextureFormat_t format);

// Bytes of texels of the levels largeLod..smallLod (largeLod <= smallLod, the
// larger map has the smaller number). 0 when any argument is out of range.
FxU32 mipmapBytes(GrTextureFormat_t format, GrLOD_t smallLod, GrLOD_t largeLod,
                  GrAspectRatio_t aspect);

// Decodes width x height texels of one level into out (0xAARRGGBB, row by row).
// texels hold 8-bit texels as bytes, 16-bit ones as host-order FxU16 and 32-bit
// ones as host-order FxU32, as gu3dfLoad leaves them. table is the NCC table or
// palette of the formats that need one and may be null for the others.
// Returns false, writing nothing, for an unknown format or a missing table.
bool decodeTexels(GrTextureFormat_t format, const void* texels, const GuTexTable* table,
                  int width, int height, FxU32* out);

// The NCC colour of one 8-bit YIQ texel: Y[high 4 bits] + I[bits 3-2] + Q[bits 1-0]
// per channel, clamped to 0..255; alpha 0xFF.
FxU32 nccColor(const GuNccTable& table, FxU8 texel);

// Widens an n-bit channel value (1..8 bits) to 8 bits by repeating its high bits.
inline FxU32 expandBits(FxU32 value, int bits) {
  FxU32 result = 0;
  int filled = 0;
  while (filled < 8) {
    int shift = 8 - filled - bits;
    result |= shift >= 0 ? value << shift : value >> -shift;
    filled += bits;
  }
  return result & 0xFF;
}

}  // namespace glide
