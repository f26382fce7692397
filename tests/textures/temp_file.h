// Helpers for the texture tests: writing raw files, and loading a 3DF file
// the way the plug-in's texture loader does. Temporary folders come from
// tests/support.
#pragma once

#include <glide.h>
#include <glideutl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "temp_folder.h"

namespace velmo_test {

using Bytes = std::vector<uint8_t>;

void writeBytes(const std::string& path, const Bytes& bytes);

// A loaded texture: info filled by gu3dfGetInfo and gu3dfLoad, texels in storage.
struct LoadedTexture {
  bool ok = false;
  Gu3dfInfo info{};
  std::vector<uint32_t> storage;  // word-aligned room for info.mem_required bytes
};

LoadedTexture loadTexture(const std::string& path);

// The largest level decoded to 0xAARRGGBB.
std::vector<uint32_t> decodeLargestLevel(const LoadedTexture& texture);

// Decodes level `index` (0 = largest) of a loaded texture; sets width and height.
std::vector<uint32_t> decodeLevel(const LoadedTexture& texture, int index, int* width, int* height);

}  // namespace velmo_test
