// A random textured scene in the plug-in's render state (texel x iterated
// alpha, additive blend, chroma key, W-buffer) with the shapes that reach
// every branch of the fast pixel kernels: small and large perspective
// triangles, slivers ending at both ends of rows, flat triangles magnified
// and minified, backdrops whose texel rows are a span's own, and texture
// coordinates beyond float range. Drawn by one pixel path, for comparing
// each with the reference to the bit (the native and the Windows suites).
#pragma once

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include <glide.h>
#include <glideutl.h>
#include <velmo_glide.h>

namespace kernelscene {

constexpr int kWidth = 640, kHeight = 480;

struct SceneCase {
  GrCmpFnc_t depthFunction;
  bool wBuffer, chroma, clamp, mipmapped, addAlpha;
  GrOriginLocation_t origin = GR_ORIGIN_LOWER_LEFT;
  int scale = 1;
};

struct Picture {
  std::vector<FxU32> colour;
  std::vector<FxU16> depth;
};

// Sets an environment variable for the library (which reads it at
// grGlideInit); a null value removes it.
inline void setSetting(const char* name, const char* value) {
#if defined(_WIN32)
  _putenv_s(name, value ? value : "");
#else
  if (value)
    setenv(name, value, 1);
  else
    unsetenv(name);
#endif
}

// The paths a scene is drawn by: the reference path, then each fast kernel
// by its VELMO_GLIDE_KERNEL name (capped at what the processor runs), then
// the library's own choice.
struct PixelPath {
  const char* name;
  bool reference;
  const char* kernel;  // VELMO_GLIDE_KERNEL, or null for the library's choice
};
constexpr PixelPath kReferencePath = {"reference", true, nullptr};
constexpr PixelPath kFastPaths[] = {{"portable", false, "portable"}, {"sse2", false, "sse2"}, {"avx2", false, "avx2"}, {"avx512", false, "avx512"}, {"fastest", false, nullptr}};

struct SceneTriangle {
  GrVertex v[3];
  bool clip;  // drawn by guDrawTriangleWithClip, else grDrawTriangle
};

// The scene's triangles, made once (so in the floating-point state of the
// first call).
inline const std::vector<SceneTriangle>& sceneTriangles() {
  static const std::vector<SceneTriangle> scene = [] {
    std::vector<SceneTriangle> triangles;
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> x(-100, 740), y(-100, 580), w(0.6f, 300), st(-300, 600),
        a(-20, 280);
    for (int i = 0; i < 300; ++i) {
      GrVertex v[3];
      for (GrVertex& vertex : v) {
        vertex = GrVertex{};
        vertex.x = std::round(x(rng) * 16) / 16;
        vertex.y = std::round(y(rng) * 16) / 16;
        vertex.a = a(rng);
        vertex.oow = 1.0f / w(rng);
        vertex.tmuvtx[0].sow = st(rng) * vertex.oow;
        vertex.tmuvtx[0].tow = st(rng) * vertex.oow;
      }
      // Mostly small triangles, some large.
      if (i % 10) {
        for (int k = 1; k < 3; ++k) {
          v[k].x = v[0].x + (v[k].x - v[0].x) / 12;
          v[k].y = v[0].y + (v[k].y - v[0].y) / 12;
        }
      }
      triangles.push_back({{v[0], v[1], v[2]}, true});
    }
    // Slivers along the left and right edges: spans that end at the first
    // and last pixels of their rows.
    for (int i = 0; i < 40; ++i) {
      GrVertex v[3];
      const float edge = i % 2 ? 639.5f + float(i % 7) / 16 : -0.5f - float(i % 5) / 16;
      const float inward = i % 2 ? -1.0f : 1.0f;
      const float top = float(i * 12);
      const float corners[3][2] = {{edge, top}, {edge + inward * float(3 + i % 9), top + 5.3f}, {edge, top + 11.7f}};
      for (int k = 0; k < 3; ++k) {
        v[k] = GrVertex{};
        v[k].x = corners[k][0];
        v[k].y = corners[k][1];
        v[k].a = float(40 + i * 5);
        v[k].oow = 1.0f / (1.5f + float(k));
        v[k].tmuvtx[0].sow = float(i * 11 + k * 30) * v[k].oow;
        v[k].tmuvtx[0].tow = float(i * 7 + k * 20) * v[k].oow;
      }
      triangles.push_back({{v[0], v[1], v[2]}, true});
    }
    // Flat triangles (one w): magnified, minified by up to 128 times, and
    // with texture coordinates beyond float range at one corner.
    for (int i = 0; i < 24; ++i) {
      GrVertex v[3];
      const float scale = float(1 << (i % 8)) / 2.0f;
      const float left = float(i % 6) * 100.0f, top = float(i / 6) * 110.0f;
      const float corners[3][2] = {{left + 3.2f, top + 1.1f}, {left + 97.3f, top + 20.6f}, {left + 40.9f, top + 104.4f}};
      const float oow = 1.0f / (1.0f + float(i));
      for (int k = 0; k < 3; ++k) {
        v[k] = GrVertex{};
        v[k].x = corners[k][0];
        v[k].y = corners[k][1];
        v[k].a = 90.0f;
        v[k].oow = oow;
        v[k].tmuvtx[0].sow = (corners[k][0] * scale) * oow;
        v[k].tmuvtx[0].tow = (corners[k][1] * scale * 0.7f) * oow;
      }
      if (i == 23) v[2].tmuvtx[0].sow = 3e38f;
      triangles.push_back({{v[0], v[1], v[2]}, true});
    }
    // Backdrops: flat, with t changing only from row to row (the rows of
    // texels are a span's own), magnified and minified, mirrored, and one
    // with s beyond float range at a corner.
    for (int i = 0; i < 16; ++i) {
      const float left = float(i % 4) * 160.0f + 1.3f, top = float(i / 4) * 120.0f + 0.7f;
      const float oow = 1.0f / (2.0f + float(i) * 7.0f), sScale = float(1 << (i % 6)) / 4.0f;
      const float corners[3][3] = {{left, top, 5.0f}, {left + 150.0f, top, 5.0f}, {left, top + 110.0f, 5.0f + 40.0f * float(i - 8)}};
      GrVertex v[3];
      for (int k = 0; k < 3; ++k) {
        v[k] = GrVertex{};
        v[k].x = corners[k][0];
        v[k].y = corners[k][1];
        v[k].a = 30.0f + float(k * 40);
        v[k].oow = oow;
        v[k].tmuvtx[0].sow = (corners[k][0] - left) * sScale * (i % 2 ? -1.0f : 1.0f) * oow;
        v[k].tmuvtx[0].tow = corners[k][2] * oow;
      }
      if (i == 15) v[1].tmuvtx[0].sow = 3e38f;
      triangles.push_back({{v[0], v[1], v[2]}, false});
    }
    return triangles;
  }();
  return scene;
}

// A caller's floating-point state the library must not depend on, for
// drawScene's `around`: SSE rounding toward zero with denormals flushed
// (as audio code may leave it), and on 32-bit x86 the x87 unit at 24 bits
// (as the plug-in leaves it).
inline void hostileFloatState(bool drawing) {
#if defined(__SSE2__)
  static unsigned saved = 0;
  if (drawing) {
    saved = _mm_getcsr();
    _mm_setcsr(0x1F80 | 0x6000 | 0x8000 | 0x0040);
  } else {
    _mm_setcsr(saved);
  }
#endif
#if defined(__i386__)
  static unsigned short savedX87 = 0;
  if (drawing) {
    __asm__ volatile("fnstcw %0"
                     : "=m"(savedX87));
    const unsigned short single = savedX87 & ~0x300;
    __asm__ volatile("fldcw %0"
                     :
                     : "m"(single));
  } else {
    __asm__ volatile("fldcw %0"
                     :
                     : "m"(savedX87));
  }
#endif
  (void)drawing;
}

// Draws the scene by `path` on `threads` threads (0: the library's count).
// `around`, when given, is called with true before the first triangle and
// with false once the picture is read.
inline Picture drawScene(const SceneCase& c, const PixelPath& path, int threads = 0,
                         void (*around)(bool drawing) = nullptr) {
  setSetting("VELMO_GLIDE_REFERENCE", path.reference ? "1" : nullptr);
  setSetting("VELMO_GLIDE_KERNEL", path.kernel);
  grGlideInit();
  vglSetThreads(threads);
  GrHwConfiguration hw;
  grSstQueryHardware(&hw);
  vglSetScale(c.scale);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA, c.origin, 2, 0);
  guTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_ADD);
  grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_LOCAL_ALPHA,
                 GR_COMBINE_LOCAL_CONSTANT, GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
  grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, c.addAlpha ? GR_BLEND_ONE : GR_BLEND_ZERO);
  grChromakeyMode(c.chroma ? GR_CHROMAKEY_ENABLE : GR_CHROMAKEY_DISABLE);
  grChromakeyValue(0);
  grDepthBufferMode(c.wBuffer ? GR_DEPTHBUFFER_WBUFFER : GR_DEPTHBUFFER_DISABLE);
  grDepthBufferFunction(c.depthFunction);
  grDepthMask(FXTRUE);
  grBufferClear(0x00000000, 0, 0x8000);

  // A 64 x 64 map (all levels down to 1 x 1) with black cells for the key.
  std::vector<FxU16> texels;
  for (int size = 64; size >= 1; size /= 2)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        texels.push_back(((x / 4 + y / 4) % 5 == 0) ? 0 : FxU16((x * 977 + y * 131 + size * 17) & 0xFFFF));
  GrMipMapId_t id = guTexAllocateMemory(
      GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 64, 64, GR_TEXFMT_RGB_565,
      c.mipmapped ? GR_MIPMAP_NEAREST : GR_MIPMAP_DISABLE, c.mipmapped ? GR_LOD_1 : GR_LOD_64,
      GR_LOD_64, GR_ASPECT_1x1, c.clamp ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP,
      c.clamp ? GR_TEXTURECLAMP_CLAMP : GR_TEXTURECLAMP_WRAP, GR_TEXTUREFILTER_BILINEAR,
      GR_TEXTUREFILTER_BILINEAR, 0, 0);
  guTexDownloadMipMap(id, texels.data(), nullptr);
  guTexSource(id);

  if (around) around(true);
  for (const SceneTriangle& t : sceneTriangles()) {
    if (t.clip)
      guDrawTriangleWithClip(&t.v[0], &t.v[1], &t.v[2]);
    else
      grDrawTriangle(&t.v[0], &t.v[1], &t.v[2]);
  }
  const int width = kWidth * c.scale, height = kHeight * c.scale;
  Picture picture;
  picture.colour.resize(size_t(width) * height);
  picture.depth.resize(size_t(width) * height);
  vglReadFrame(GR_BUFFER_BACKBUFFER, picture.colour.data(), width);
  grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, width, height, width * 2, picture.depth.data());
  if (around) around(false);
  grGlideShutdown();
  vglSetScale(1);
  vglSetThreads(0);
  setSetting("VELMO_GLIDE_REFERENCE", nullptr);
  setSetting("VELMO_GLIDE_KERNEL", nullptr);
  return picture;
}

// The states compared: the plug-in's first.
inline const SceneCase kCases[] = {
    SceneCase{GR_CMP_LESS, true, true, false, true, false},  // the plug-in's
    SceneCase{GR_CMP_LESS, true, true, false, true, true},
    SceneCase{GR_CMP_ALWAYS, false, false, false, true, false},
    SceneCase{GR_CMP_GEQUAL, true, false, true, true, true},
    SceneCase{GR_CMP_NOTEQUAL, true, true, true, false, false},
    SceneCase{GR_CMP_LEQUAL, true, true, false, false, true},
    SceneCase{GR_CMP_LESS, true, true, false, true, true, GR_ORIGIN_UPPER_LEFT},
    SceneCase{GR_CMP_LESS, true, true, false, true, false, GR_ORIGIN_LOWER_LEFT, 3}};

}  // namespace kernelscene
