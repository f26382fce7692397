// The Glide context and its defaults.
#include "context.h"

#include <cstdlib>
#include <cstring>

#include "ini_settings.h"

namespace glide {

RenderState defaultRenderState() {
  RenderState s{};
  s.color = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
             GR_COMBINE_OTHER_ITERATED, false};
  s.alpha = {GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_ITERATED,
             GR_COMBINE_OTHER_ITERATED, false};
  s.constantColor = 0xFFFFFFFFu;
  s.textureCombine = GR_TEXTURECOMBINE_DECAL;
  s.rgbSrc = GR_BLEND_ONE;
  s.rgbDst = GR_BLEND_ZERO;
  s.alphaSrc = GR_BLEND_ONE;
  s.alphaDst = GR_BLEND_ZERO;
  s.chromaKey = false;
  s.chromaValue = 0;
  s.cull = GR_CULL_DISABLE;
  s.depthMode = GR_DEPTHBUFFER_DISABLE;
  s.depthFunction = GR_CMP_LESS;
  s.depthMask = false;
  s.textureSource = GR_NULL_MIPMAP_HANDLE;
  return s;
}

bool operator==(const CombineState& a, const CombineState& b) {
  return a.function == b.function && a.factor == b.factor && a.local == b.local &&
         a.other == b.other && a.invert == b.invert;
}

bool operator==(const RenderState& a, const RenderState& b) {
  return a.color == b.color && a.alpha == b.alpha && a.constantColor == b.constantColor &&
         a.textureCombine == b.textureCombine && a.rgbSrc == b.rgbSrc && a.rgbDst == b.rgbDst &&
         a.alphaSrc == b.alphaSrc && a.alphaDst == b.alphaDst && a.chromaKey == b.chromaKey &&
         a.chromaValue == b.chromaValue && a.cull == b.cull && a.depthMode == b.depthMode &&
         a.depthFunction == b.depthFunction && a.depthMask == b.depthMask &&
         a.textureSource == b.textureSource;
}

// Lives as long as the process: a frame the workers are still drawing when
// the process ends without grGlideShutdown keeps its buffers to the end.
Context& context() {
  static Context* const instance = new Context;
  return *instance;
}

FxU32 toArgb(GrColor_t v) {
  FxU32 b0 = v & 0xFF, b1 = (v >> 8) & 0xFF, b2 = (v >> 16) & 0xFF, b3 = v >> 24;
  switch (context().colorFormat) {
    case GR_COLORFORMAT_ABGR: return (b3 << 24) | (b0 << 16) | (b1 << 8) | b2;
    case GR_COLORFORMAT_RGBA: return (b0 << 24) | (b3 << 16) | (b2 << 8) | b1;
    case GR_COLORFORMAT_BGRA: return (b0 << 24) | (b1 << 16) | (b2 << 8) | b3;
    default: return v;
  }
}

static bool envFlag(const char* name) {
  const char* value = std::getenv(name);
  return value && *value && std::strcmp(value, "0") != 0;
}

// VELMO_GLIDE_KERNEL: portable, sse2 (or simd128), avx2 or avx512; anything
// else leaves the choice to the processor.
static KernelLevel kernelLimitNamed(const char* name) {
  if (!name) return KernelLevel::avx512;
  if (std::strcmp(name, "portable") == 0) return KernelLevel::portable;
  if (std::strcmp(name, "sse2") == 0 || std::strcmp(name, "simd128") == 0) return KernelLevel::vector128;
  if (std::strcmp(name, "avx2") == 0) return KernelLevel::avx2;
  return KernelLevel::avx512;
}

void readEnvironment(Settings& settings) {
  applyIniSettings(iniFileText(), settings);
  settings.noBoard = envFlag("VELMO_GLIDE_NO_BOARD");
  settings.strictAux = envFlag("VELMO_GLIDE_STRICT_AUX");
  settings.referencePath = envFlag("VELMO_GLIDE_REFERENCE");
  settings.kernelLimit = kernelLimitNamed(std::getenv("VELMO_GLIDE_KERNEL"));
  if (const char* tile = std::getenv("VELMO_GLIDE_TILE")) {
    // "W" for W x W pixels, or "WxH".
    char* end = nullptr;
    const long width = std::strtol(tile, &end, 10);
    const long height = (end && *end == 'x') ? std::strtol(end + 1, nullptr, 10) : width;
    auto fits = [](long n) { return n >= kMinTileSize && n <= kMaxTileSize; };
    if (fits(width) && fits(height)) {
      settings.tileWidth = int(width);
      settings.tileHeight = int(height);
    }
  }
  // The settings a user also has in glide2x.ini, by the file's rules.
  static const char* const kFileKeys[][2] = {{"VELMO_GLIDE_SCALE", "Scale"},
                                             {"VELMO_GLIDE_THREADS", "Threads"},
                                             {"VELMO_GLIDE_DITHER", "Dither"},
                                             {"VELMO_GLIDE_WINDOW", "Window"},
                                             {"VELMO_GLIDE_FULLSCREEN", "FullScreen"}};
  for (const auto& [variable, key] : kFileKeys)
    if (const char* value = std::getenv(variable)) applyIniSetting(key, value, settings);
  if (const char* mem = std::getenv("VELMO_GLIDE_TEXMEM")) {
    char* end = nullptr;
    unsigned long long bytes = std::strtoull(mem, &end, 10);
    if (end != mem && bytes > 0 && bytes <= 0xFFFFFFFFull) settings.textureMemory = FxU32(bytes);
  }
}

}  // namespace glide
