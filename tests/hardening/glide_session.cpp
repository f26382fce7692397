// Opens our Glide the way the plug-in's display does and loads textures.
#include "glide_session.h"

#include <cstdlib>
#include <cstring>

#include <glideutl.h>
#include <velmo_glide.h>
#include "plugin_draw_state.h"

namespace hardening {

bool openPluginContext() {
  grGlideInit();
  GrHwConfiguration hardware;
  std::memset(&hardware, 0, sizeof hardware);
  if (!grSstQueryHardware(&hardware)) return false;
  grSstSelect(0);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA, GR_ORIGIN_LOWER_LEFT,
               2, 0);
  usePluginDrawState();
  return true;
}

FxU32 chainBytes(int texelBytes, GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect) {
  FxU32 total = 0;
  for (int lod = largeLod; lod <= smallLod; ++lod) {
    const int side = 256 >> lod;
    int width = side, height = side;
    const int ratio = 1 << std::abs(aspect - GR_ASPECT_1x1);
    if (aspect < GR_ASPECT_1x1) height = side / ratio;
    if (aspect > GR_ASPECT_1x1) width = side / ratio;
    total += static_cast<FxU32>((width < 1 ? 1 : width) * (height < 1 ? 1 : height) * texelBytes);
  }
  return total;
}

namespace {

GrMipMapId_t download(GrTextureFormat_t format, int texelBytes, GrLOD_t smallLod, GrLOD_t largeLod,
                      GrAspectRatio_t aspect, const void* texels, const GuTexTable* table) {
  const int side = 256 >> largeLod;
  const int ratio = 1 << std::abs(aspect - GR_ASPECT_1x1);
  const int width = aspect > GR_ASPECT_1x1 ? side / ratio : side;
  const int height = aspect < GR_ASPECT_1x1 ? side / ratio : side;
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, width, height, format,
                                        GR_MIPMAP_NEAREST, smallLod, largeLod, aspect,
                                        GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                                        GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0.0f,
                                        FXFALSE);
  if (id != GR_NULL_MIPMAP_HANDLE) guTexDownloadMipMap(id, texels, &table->nccTable);
  (void)texelBytes;
  return id;
}

// Deterministic texel noise, so every run draws the same pictures.
std::vector<unsigned char> noise(FxU32 bytes, unsigned seed) {
  std::vector<unsigned char> out(bytes);
  for (auto& b : out) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<unsigned char>(seed >> 24);
  }
  return out;
}

}  // namespace

GrMipMapId_t whiteTexture() {
  static GrMipMapId_t id = [] {
    std::vector<FxU16> texels(chainBytes(2, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1) / 2, 0xFFFF);
    GuTexTable table;
    std::memset(&table, 0, sizeof table);
    return download(GR_TEXFMT_RGB_565, 2, GR_LOD_1, GR_LOD_256, GR_ASPECT_1x1, texels.data(), &table);
  }();
  return id;
}

std::vector<StressTexture> loadStressTextures() {
  std::vector<StressTexture> textures;
  for (const char* file : {"Light.3df", "Velmo1.3df", "VelmoFont.3df", "VelmoLogo.3df"}) {
    const std::string path = std::string(VELMO_OUTPUT_DIR) + "/" + file;
    Gu3dfInfo info;
    if (!gu3dfGetInfo(path.c_str(), &info)) continue;
    std::vector<unsigned char> texels(info.mem_required);
    info.data = texels.data();
    if (!gu3dfLoad(path.c_str(), &info)) continue;
    GrMipMapId_t id = guTexAllocateMemory(
        GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, info.header.width, info.header.height, info.header.format,
        GR_MIPMAP_NEAREST, info.header.small_lod, info.header.large_lod, info.header.aspect_ratio,
        GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
        GR_TEXTUREFILTER_BILINEAR, 0.0f, FXFALSE);
    if (id == GR_NULL_MIPMAP_HANDLE) continue;
    guTexDownloadMipMap(id, info.data, &info.table.nccTable);
    textures.push_back({file, id});
  }

  GuTexTable table;
  auto tableNoise = noise(sizeof table, 7);
  std::memcpy(&table, tableNoise.data(), sizeof table);
  textures.push_back({"white rgb565 256x256", whiteTexture()});
  auto wide = noise(chainBytes(2, GR_LOD_1, GR_LOD_256, GR_ASPECT_8x1), 1);
  textures.push_back({"argb4444 256x32",
                      download(GR_TEXFMT_ARGB_4444, 2, GR_LOD_1, GR_LOD_256, GR_ASPECT_8x1, wide.data(), &table)});
  auto tall = noise(chainBytes(1, GR_LOD_8, GR_LOD_64, GR_ASPECT_1x8), 2);
  textures.push_back({"p8 8x64", download(GR_TEXFMT_P_8, 1, GR_LOD_8, GR_LOD_64, GR_ASPECT_1x8, tall.data(), &table)});
  auto ncc = noise(chainBytes(1, GR_LOD_1, GR_LOD_16, GR_ASPECT_1x2), 3);
  textures.push_back({"yiq 8x16", download(GR_TEXFMT_YIQ_422, 1, GR_LOD_1, GR_LOD_16, GR_ASPECT_1x2, ncc.data(), &table)});
  auto single = noise(chainBytes(2, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1), 4);
  textures.push_back({"argb1555 1x1", download(GR_TEXFMT_ARGB_1555, 2, GR_LOD_1, GR_LOD_1, GR_ASPECT_1x1, single.data(), &table)});
  return textures;
}

std::vector<FxU32> readBackBuffer() {
  int width = 0, height = 0;
  vglGetFrameSize(&width, &height);
  std::vector<FxU32> pixels(static_cast<size_t>(width) * height);
  if (!pixels.empty()) vglReadFrame(GR_BUFFER_BACKBUFFER, pixels.data(), width);
  return pixels;
}

}  // namespace hardening
