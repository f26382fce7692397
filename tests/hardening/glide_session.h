// A Glide context opened with the render state the plug-in sets up, and the
// textures it draws with, for tests that throw triangles at our Glide.
#pragma once

#include <string>
#include <vector>

#include <glide.h>

namespace hardening {

struct StressTexture {
  std::string name;
  GrMipMapId_t id;
};

// grGlideInit .. grSstWinOpen(0, 640x480, 75 Hz, RGBA, lower-left, 2, 0) and
// the fixed combine, depth and chroma-key state of the plug-in's display.
// Returns false when no board is reported.
bool openPluginContext();

// The plug-in's four textures from the build's output folder (those present)
// and synthetic ones covering every aspect class and table-carrying formats.
std::vector<StressTexture> loadStressTextures();

// A 256 x 256 opaque white texture with its full mipmap chain.
GrMipMapId_t whiteTexture();

// Bytes of a mipmap chain of 8- or 16-bit texels.
FxU32 chainBytes(int texelBytes, GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect);

// The whole back buffer as 0x00RRGGBB, top row first.
std::vector<FxU32> readBackBuffer();

}  // namespace hardening
