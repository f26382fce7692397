// guTexAllocateMemory, guTexDownloadMipMap and guTexSource: texture memory
// against a per-unit budget, decoded once at download into 32-bit texels.
#include "texture_memory.h"

#include <memory>

#include "context.h"
#include "record.h"
#include "renderer.h"
#include "texture_format.h"

namespace glide {
namespace {

// Texture memory is carved in 8-byte units, as on the board.
constexpr FxU32 kAlignment = 8;
// Allocations are never freed singly (Glide 2 has no call for it), so the
// count is bounded by the budget; this caps pathological callers.
constexpr size_t kMaxMipmaps = 4096;

struct TextureUnit {
  FxU32 used = 0;
  std::vector<std::unique_ptr<Mipmap>> mipmaps;
};
// Lives as long as the process: queued triangles read its texels from the
// worker threads, which may still be drawing when the process ends.
TextureUnit& unit0() {
  static TextureUnit* const instance = new TextureUnit;
  return *instance;
}

int log2Exact(int n) {
  int shift = 0;
  while ((1 << shift) < n) ++shift;
  return shift;
}

}  // namespace

Mipmap* findMipmap(GrMipMapId_t id) {
  if (id == GR_NULL_MIPMAP_HANDLE || id >= unit0().mipmaps.size()) return nullptr;
  return unit0().mipmaps[id].get();
}

void resetTextureMemory() {
  unit0().used = 0;
  unit0().mipmaps.clear();
  context().state.textureSource = GR_NULL_MIPMAP_HANDLE;
  context().drawStateChanged = true;
}

}  // namespace glide

using namespace glide;

extern "C" {

FX_ENTRY GrMipMapId_t FX_CALL guTexAllocateMemory(
    GrChipID_t tmu, FxU8 evenOddMask, int width, int height, GrTextureFormat_t format,
    GrMipMapMode_t mipmapMode, GrLOD_t smallLod, GrLOD_t largeLod, GrAspectRatio_t aspect,
    GrTextureClampMode_t sClamp, GrTextureClampMode_t tClamp, GrTextureFilterMode_t minFilter,
    GrTextureFilterMode_t magFilter, float lodBias, FxBool trilinear) {
  GLIDE_RECORD("guTexAllocateMemory", double(tmu), double(evenOddMask), double(width),
               double(height), double(format), double(mipmapMode), double(smallLod),
               double(largeLod), double(aspect), double(sClamp), double(tClamp),
               double(minFilter), double(magFilter), double(lodBias), double(trilinear));
  auto& ctx = context();
  if (!ctx.initialised || tmu != GR_TMU0) return GR_NULL_MIPMAP_HANDLE;
  if (largeLod < GR_LOD_256 || smallLod > GR_LOD_1 || largeLod > smallLod)
    return GR_NULL_MIPMAP_HANDLE;
  if (aspect < GR_ASPECT_8x1 || aspect > GR_ASPECT_1x8) return GR_NULL_MIPMAP_HANDLE;
  if (texelBytes(format) == 0 || (evenOddMask & GR_MIPMAPLEVELMASK_BOTH) == 0)
    return GR_NULL_MIPMAP_HANDLE;
  int levelWidth = 0, levelHeight = 0;
  levelSize(largeLod, aspect, &levelWidth, &levelHeight);
  if (levelWidth != width || levelHeight != height) return GR_NULL_MIPMAP_HANDLE;

  // Only the levels the mask keeps take memory (the split for trilinear).
  FxU32 bytes = 0;
  for (GrLOD_t lod = largeLod; lod <= smallLod; ++lod) {
    int levelMask = (lod % 2 == 0) ? GR_MIPMAPLEVELMASK_EVEN : GR_MIPMAPLEVELMASK_ODD;
    if (evenOddMask & levelMask) bytes += mipmapBytes(format, lod, lod, aspect);
  }
  bytes = (bytes + kAlignment - 1) / kAlignment * kAlignment;
  FxU32 budget = ctx.settings.textureMemory;
  if (bytes > budget || unit0().used > budget - bytes || unit0().mipmaps.size() >= kMaxMipmaps)
    return GR_NULL_MIPMAP_HANDLE;

  auto mipmap = std::make_unique<Mipmap>();
  mipmap->format = format;
  mipmap->smallLod = smallLod;
  mipmap->largeLod = largeLod;
  mipmap->aspect = aspect;
  mipmap->mipmapMode = mipmapMode;
  mipmap->evenOddMask = evenOddMask & GR_MIPMAPLEVELMASK_BOTH;
  mipmap->clampS = sClamp == GR_TEXTURECLAMP_CLAMP;
  mipmap->clampT = tClamp == GR_TEXTURECLAMP_CLAMP;
  mipmap->bilinearMin = minFilter == GR_TEXTUREFILTER_BILINEAR;
  mipmap->bilinearMag = magFilter == GR_TEXTUREFILTER_BILINEAR;
  mipmap->lodBias = (lodBias == lodBias) ? lodBias : 0.0f;
  mipmap->bytes = bytes;
  mipmap->downloaded = false;
  mipmap->levelCount = smallLod - largeLod + 1;
  mipmap->texelsPerUnit = float(width > height ? width : height) / 256.0f;

  size_t texels = 0;
  for (int i = 0; i < mipmap->levelCount; ++i) {
    int w = 0, h = 0;
    levelSize(largeLod + i, aspect, &w, &h);
    texels += size_t(w) * size_t(h);
  }
  // Spare texels after the last level: a vector kernel may load a whole
  // vector's width past a texel it reads (and uses none of them).
  mipmap->storage.assign(texels + kSpareTexels, 0);
  size_t offset = 0;
  for (int32_t& levelOffset : mipmap->levelOffset) levelOffset = 0;
  for (int i = 0; i < mipmap->levelCount; ++i) {
    mipmap->levelOffset[i] = int32_t(offset);
    MipLevel& level = mipmap->levels[i];
    levelSize(largeLod + i, aspect, &level.width, &level.height);
    level.widthShift = log2Exact(level.width);
    level.heightShift = log2Exact(level.height);
    level.texels = mipmap->storage.data() + offset;
    offset += size_t(level.width) * size_t(level.height);
  }

  unit0().used += bytes;
  unit0().mipmaps.push_back(std::move(mipmap));
  return GrMipMapId_t(unit0().mipmaps.size() - 1);
}

FX_ENTRY void FX_CALL guTexDownloadMipMap(GrMipMapId_t id, const void* src,
                                          const GuNccTable* table) {
  GLIDE_RECORD("guTexDownloadMipMap", double(id));
  Mipmap* mipmap = findMipmap(id);
  if (!mipmap || !src) return;
  // The caller's table is an NCC table or, for the palette formats, the
  // palette that shares its storage (Gu3dfInfo.table).
  const GuTexTable* texTable = reinterpret_cast<const GuTexTable*>(table);
  if ((usesNccTable(mipmap->format) || usesPalette(mipmap->format)) && !texTable) return;
  // Triangles still queued read the texels as they were.
  textureWillChange(*mipmap);
  const unsigned char* texels = static_cast<const unsigned char*>(src);
  int bytesPerTexel = texelBytes(mipmap->format);
  for (int i = 0; i < mipmap->levelCount; ++i) {
    // The source holds only the levels the allocation's mask keeps.
    int lod = mipmap->largeLod + i;
    int levelMask = (lod % 2 == 0) ? GR_MIPMAPLEVELMASK_EVEN : GR_MIPMAPLEVELMASK_ODD;
    if (!(mipmap->evenOddMask & levelMask)) continue;
    MipLevel& level = mipmap->levels[i];
    decodeTexels(mipmap->format, texels, texTable, level.width, level.height,
                 const_cast<FxU32*>(level.texels));
    texels += size_t(level.width) * size_t(level.height) * size_t(bytesPerTexel);
  }
  mipmap->downloaded = true;
}

FX_ENTRY void FX_CALL guTexSource(GrMipMapId_t id) {
  GLIDE_RECORD("guTexSource", double(id));
  // An unknown handle selects nothing: texture reads then give white.
  auto& ctx = context();
  const GrMipMapId_t source = findMipmap(id) ? id : GR_NULL_MIPMAP_HANDLE;
  if (ctx.state.textureSource == source) return;
  ctx.state.textureSource = source;
  ctx.drawStateChanged = true;
}

}  // extern "C"
