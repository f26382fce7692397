// Frame buffer operations: clear, swap (and present), read-back, and the
// settings of our extension header.
#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "context.h"
#include "pixel_math.h"
#include "present.h"
#include "record.h"
#include "renderer.h"

using glide::context;

namespace {

// The picture as presenters and readers take it, 0x00RRGGBB. Sixteen bytes a step: the
// buffer was just drawn on other cores, and wide loads keep more of it in
// flight than one pixel at a time.
void copyWithoutAlpha(const FxU32* from, FxU32* to, size_t count) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i rgb = _mm_set1_epi32(0xFFFFFF);
  for (; i + 4 <= count; i += 4) {
    const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_and_si128(pixels, rgb));
  }
#endif
  for (; i < count; ++i) to[i] = from[i] & 0xFFFFFFu;
}

}  // namespace

extern "C" {

FX_ENTRY void FX_CALL grBufferClear(GrColor_t color, GrAlpha_t alpha, FxU16 depth) {
  GLIDE_RECORD("grBufferClear", double(color), double(alpha), double(depth));
  auto& ctx = context();
  if (!ctx.open) return;
  FxU32 argb = glide::toArgb(color);
  int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  if (ctx.settings.dither) {
    // The board's 16-bit buffer holds the nearest colour, undithered.
    FxU32 rgb = glide::dither565(r, g, b, 0, 0) & 0xFFFFFF;
    r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  }
  FxU32 value = (FxU32(alpha) << 24) | (FxU32(r) << 16) | (FxU32(g) << 8) | FxU32(b);
  glide::clearBuffers(value, depth, ctx.state.depthMask);
}

FX_ENTRY void FX_CALL grBufferSwap(int interval) {
  GLIDE_RECORD("grBufferSwap", double(interval));
  auto& ctx = context();
  if (!ctx.open) return;
  const bool pictureWanted = glide::framesWanted();
  glide::handOverFrame(pictureWanted);
  ctx.back ^= 1;
  ctx.drawStateChanged = true;  // another back buffer
  ++ctx.frameCount;
  if (!pictureWanted) return;
  FxU32* out = ctx.presentBuffer.data();
  copyWithoutAlpha(ctx.frontBuffer(), out, size_t(ctx.width) * size_t(ctx.height));
  glide::presentFrame(out, ctx.width, ctx.height, interval);
}

FX_ENTRY FxBool FX_CALL grLfbReadRegion(GrBuffer_t buffer, FxU32 x, FxU32 y, FxU32 width,
                                        FxU32 height, FxU32 dstStride, void* dst) {
  GLIDE_RECORD("grLfbReadRegion", double(buffer), double(x), double(y), double(width),
               double(height), double(dstStride));
  auto& ctx = context();
  if (!ctx.open || !dst) return FXFALSE;
  if (x >= FxU32(ctx.width) || y >= FxU32(ctx.height) || width > FxU32(ctx.width) - x ||
      height > FxU32(ctx.height) - y || dstStride < width * 2u)
    return FXFALSE;
  glide::finishDrawing();
  unsigned char* out = static_cast<unsigned char*>(dst);
  if (buffer == GR_BUFFER_AUXBUFFER || buffer == GR_BUFFER_DEPTHBUFFER) {
    if (!ctx.hasDepth) return FXFALSE;
    for (FxU32 row = 0; row < height; ++row) {
      const FxU16* src = ctx.depth.data() + size_t(ctx.memoryRow(int(y + row))) * ctx.width + x;
      FxU16* line = reinterpret_cast<FxU16*>(out + size_t(row) * dstStride);
      std::copy(src, src + width, line);
    }
    return FXTRUE;
  }
  const FxU32* colour = ctx.colourBuffer(buffer);
  if (!colour) return FXFALSE;
  // Rows in the window's coordinates (y per its origin), pixels RGB565.
  for (FxU32 row = 0; row < height; ++row) {
    const FxU32* src = colour + size_t(ctx.memoryRow(int(y + row))) * ctx.width + x;
    FxU16* line = reinterpret_cast<FxU16*>(out + size_t(row) * dstStride);
    for (FxU32 i = 0; i < width; ++i) {
      FxU32 p = src[i];
      line[i] = FxU16(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
    }
  }
  return FXTRUE;
}

FX_ENTRY void FX_CALL vglSetPresenter(VglPresentFn fn, void* user) {
  context().presenter = fn;
  context().presenterUser = user;
}

FX_ENTRY void FX_CALL vglSetScale(int factor) {
  if (factor >= 1 && factor <= glide::kMaxScale) {
    context().settings.scale = factor;
    context().settings.autoScale = false;
  }
}

FX_ENTRY int FX_CALL vglGetScale(void) { return context().settings.scale; }

FX_ENTRY void FX_CALL vglSetDither(int enable) {
  context().settings.dither = enable != 0;
  context().drawStateChanged = true;
}

FX_ENTRY void FX_CALL vglSetThreads(int threads) {
  auto& ctx = context();
  ctx.settings.threads = threads > 0 ? (threads < glide::kMaxThreads ? threads : glide::kMaxThreads) : 0;
  if (!ctx.open) return;
  glide::finishDrawing();
  glide::startRenderer(ctx);
}

FX_ENTRY int FX_CALL vglGetThreads(void) { return glide::drawingThreads(); }

FX_ENTRY void FX_CALL vglSetTextureMemory(FxU32 bytes) {
  if (bytes > 0) context().settings.textureMemory = bytes;
}

FX_ENTRY void FX_CALL vglGetFrameSize(int* width, int* height) {
  auto& ctx = context();
  if (width) *width = ctx.open ? ctx.width : 0;
  if (height) *height = ctx.open ? ctx.height : 0;
}

FX_ENTRY FxBool FX_CALL vglReadFrame(GrBuffer_t buffer, FxU32* dst, FxU32 dstStride) {
  auto& ctx = context();
  if (!ctx.open || !dst || dstStride < FxU32(ctx.width)) return FXFALSE;
  glide::finishDrawing();
  const FxU32* colour = ctx.colourBuffer(buffer);
  if (!colour) return FXFALSE;
  for (int row = 0; row < ctx.height; ++row)
    copyWithoutAlpha(colour + size_t(row) * ctx.width, dst + size_t(row) * dstStride, size_t(ctx.width));
  return FXTRUE;
}

FX_ENTRY FxU32 FX_CALL vglFrameCount(void) { return context().frameCount; }

}  // extern "C"
