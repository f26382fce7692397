#include "temp_file.h"

#include <fstream>
#include <stdexcept>

#include "texture_format.h"

namespace velmo_test {

void writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

LoadedTexture loadTexture(const std::string& path) {
  LoadedTexture texture;
  if (!gu3dfGetInfo(path.c_str(), &texture.info)) return texture;
  texture.storage.assign((texture.info.mem_required + 3) / 4, 0);
  texture.info.data = texture.storage.data();
  texture.ok = gu3dfLoad(path.c_str(), &texture.info) == FXTRUE;
  return texture;
}

std::vector<uint32_t> decodeLevel(const LoadedTexture& texture, int index, int* width,
                                  int* height) {
  const Gu3dfHeader& header = texture.info.header;
  const auto* bytes = static_cast<const uint8_t*>(texture.info.data);
  GrLOD_t lod = header.large_lod;
  for (int i = 0; i < index; ++i, ++lod) {
    glide::levelSize(lod, header.aspect_ratio, width, height);
    bytes += *width * *height * glide::texelBytes(header.format);
  }
  glide::levelSize(lod, header.aspect_ratio, width, height);
  std::vector<uint32_t> pixels(static_cast<size_t>(*width * *height));
  if (!glide::decodeTexels(header.format, bytes, &texture.info.table, *width, *height,
                           pixels.data()))
    pixels.clear();
  return pixels;
}

std::vector<uint32_t> decodeLargestLevel(const LoadedTexture& texture) {
  int width, height;
  return decodeLevel(texture, 0, &width, &height);
}

}  // namespace velmo_test
