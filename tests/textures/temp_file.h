// Helpers for the texture tests: a private temporary folder, writing raw files,
// and loading a 3DF file the way the plug-in's texture loader does.
#pragma once

#include <glide.h>
#include <glideutl.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmo_test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

using Bytes = std::vector<uint8_t>;

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);

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
