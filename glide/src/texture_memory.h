// Texture memory of the one texture unit: allocation against the board's
// budget and the decoded mipmaps that the sampler reads.
#pragma once

#include <cstdint>
#include <vector>

#include "glide.h"

namespace glide {

constexpr int kMaxLevels = 9;  // 256 down to 1
constexpr int kSpareTexels = 16;

struct MipLevel {
  const FxU32* texels;  // 0xAARRGGBB, row by row
  int width, height;    // powers of two
  int widthShift, heightShift;
};

struct Mipmap {
  GrTextureFormat_t format;
  GrLOD_t smallLod, largeLod;
  GrAspectRatio_t aspect;
  GrMipMapMode_t mipmapMode;
  int evenOddMask;  // which levels this allocation holds
  bool clampS, clampT;
  bool bilinearMin, bilinearMag;
  float lodBias;
  FxU32 bytes;  // texture memory taken
  bool downloaded;
  int levelCount;  // largeLod..smallLod
  // Level 0 texels per s (or t) unit: the larger side over 256.
  float texelsPerUnit;
  MipLevel levels[kMaxLevels];
  // Texel offset of each level from levels[0].texels (for vector gathers).
  alignas(32) int32_t levelOffset[16];
  std::vector<FxU32> storage;
};

// The mipmap a handle names, or null for an unknown handle.
Mipmap* findMipmap(GrMipMapId_t id);

// Forgets every mipmap and frees the budget (grGlideInit, grGlideShutdown).
void resetTextureMemory();

}  // namespace glide
