// The one Glide context: render state, buffers and settings, owned by the
// state setters and read by every later stage of the pipeline.
#pragma once

#include <cstdint>
#include <vector>

#include "velmo_glide.h"

namespace glide {

constexpr int kMaxScale = 4;

struct CombineState {
  GrCombineFunction_t function;
  GrCombineFactor_t factor;
  GrCombineLocal_t local;
  GrCombineOther_t other;
  bool invert;
};

struct RenderState {
  CombineState color;
  CombineState alpha;
  GrColor_t constantColor;  // 0xAARRGGBB
  GrTextureCombineFnc_t textureCombine;
  GrAlphaBlendFnc_t rgbSrc, rgbDst, alphaSrc, alphaDst;
  bool chromaKey;
  GrColor_t chromaValue;
  GrCullMode_t cull;
  GrDepthBufferMode_t depthMode;
  GrCmpFnc_t depthFunction;
  bool depthMask;
  GrMipMapId_t textureSource;
};

bool operator==(const CombineState& a, const CombineState& b);
bool operator==(const RenderState& a, const RenderState& b);
inline bool operator!=(const RenderState& a, const RenderState& b) { return !(a == b); }

RenderState defaultRenderState();

// The fast pixel kernels from slowest to fastest; a setting caps the choice
// at one of them (the processor may cap it lower). The 128-bit level is SSE2
// on x86 and WebAssembly SIMD in the web page.
enum class KernelLevel { portable,
                         vector128,
                         avx2,
                         avx512 };

struct Settings {
  int scale = 1;
  bool autoScale = false;   // scale chosen at grSstWinOpen from the size the picture opens at
  bool window = true;       // Windows: show the picture in the library's own window
  bool fullScreen = false;  // ... and open that window full screen
  bool dither = false;
  FxU32 textureMemory = 2u * 1024u * 1024u;
  bool noBoard = false;
  bool strictAux = false;                         // honour "no aux buffer" literally: no depth test
  bool referencePath = false;                     // always the reference pixel path (for tests)
  KernelLevel kernelLimit = KernelLevel::avx512;  // the fastest kernel allowed
  int threads = 0;                                // drawing threads; 0: one per processor
  int tileWidth = 0, tileHeight = 0;              // screen tile in pixels; 0: our choice
};

constexpr int kMaxThreads = 64;
constexpr int kMinTileSize = 8, kMaxTileSize = 1024;

struct Context {
  bool initialised = false;
  bool open = false;
  Settings settings;
  RenderState state = defaultRenderState();

  // Frame buffer, rows stored top row of the picture first. Colour pixels
  // are 0xAARRGGBB with the destination alpha in the top byte.
  int width = 0, height = 0;
  bool originLowerLeft = true;
  GrColorFormat_t colorFormat = GR_COLORFORMAT_ARGB;
  bool hasDepth = false;
  std::vector<FxU32> colour[2];
  int back = 0;  // index of the back buffer in colour[]
  std::vector<FxU16> depth;
  std::vector<FxU32> presentBuffer;  // frame handed to presenters, alpha cleared
  FxU32 frameCount = 0;
  // Set by every change of what the pixel path reads (render state, texture
  // source, back buffer, dither): the next triangle takes a new snapshot.
  bool drawStateChanged = true;

  VglPresentFn presenter = nullptr;
  void* presenterUser = nullptr;

  FxU32* backBuffer() { return colour[back].data(); }
  FxU32* frontBuffer() { return colour[back ^ 1].data(); }
  // The front or back colour buffer; null for any other buffer.
  FxU32* colourBuffer(GrBuffer_t buffer) {
    if (buffer == GR_BUFFER_FRONTBUFFER) return frontBuffer();
    if (buffer == GR_BUFFER_BACKBUFFER) return backBuffer();
    return nullptr;
  }
  // Memory row of a screen row in the origin the window was opened with.
  int memoryRow(int screenY) const { return originLowerLeft ? height - 1 - screenY : screenY; }
};

Context& context();

// True when a window is open, i.e. drawing has somewhere to go.
inline bool drawingEnabled() { return context().open; }

// A GrColor_t in the window's colour format as 0xAARRGGBB.
FxU32 toArgb(GrColor_t value);

// Reads glide2x.ini, then the environment, which overrides it, once per
// grGlideInit.
void readEnvironment(Settings& settings);

}  // namespace glide
