// Drawing on worker threads, binned into screen tiles, gives the one-thread
// path's pixels to the bit; each case aims at what breaks in such renderers:
// edges on tile borders, state and texels changing between queued
// triangles, reads in the middle of a frame, full bins, shutting down with
// work queued, threads left behind.
#include <dirent.h>

#include <cstdlib>
#include <functional>
#include <random>

#include "glide_fixture.h"
#include "tests/support/plugin_draw_state.h"

namespace glidetest {
namespace {

struct Picture {
  std::vector<FxU32> colour;
  std::vector<FxU16> depth;
  bool operator==(const Picture& o) const { return colour == o.colour && depth == o.depth; }
};

Picture readBack() {
  Picture p;
  p.colour.resize(size_t(kWidth) * kHeight);
  p.depth.resize(size_t(kWidth) * kHeight);
  EXPECT_TRUE(vglReadFrame(GR_BUFFER_BACKBUFFER, p.colour.data(), kWidth));
  EXPECT_TRUE(grLfbReadRegion(GR_BUFFER_AUXBUFFER, 0, 0, kWidth, kHeight, kWidth * 2, p.depth.data()));
  return p;
}

int threadsOfThisProcess() {
  int count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
  return count;
}

// Opens a window drawing with `threads` threads and tiles of `tile` ("" for
// the library's choice), runs the scene, and returns every picture it read.
using Scene = std::function<void(std::vector<Picture>&)>;

std::vector<Picture> drawWith(int threads, const char* tile, const Scene& scene,
                              GrOriginLocation_t origin = GR_ORIGIN_LOWER_LEFT) {
  if (*tile) setenv("VELMO_GLIDE_TILE", tile, 1);
  vglSetThreads(threads);
  grGlideInit();
  GrHwConfiguration hw;
  grSstQueryHardware(&hw);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB, origin, 2, 1);
  EXPECT_EQ(vglGetThreads(), threads);
  grDepthBufferMode(GR_DEPTHBUFFER_WBUFFER);
  grDepthBufferFunction(GR_CMP_LESS);
  grDepthMask(FXTRUE);
  grBufferClear(0, 0, 0xFFFF);
  std::vector<Picture> pictures;
  scene(pictures);
  pictures.push_back(readBack());
  grGlideShutdown();
  unsetenv("VELMO_GLIDE_TILE");
  vglSetThreads(0);
  return pictures;
}

// The scene drawn with one thread, then with several thread counts and tile
// shapes (odd ones included), must read back the same pictures.
void expectSameOnEveryThreadCount(const Scene& scene, GrOriginLocation_t origin = GR_ORIGIN_LOWER_LEFT) {
  const std::vector<Picture> direct = drawWith(1, "", scene, origin);
  struct Setting {
    int threads;
    const char* tile;
  };
  for (const Setting& s : {Setting{2, ""}, Setting{3, "32"}, Setting{8, "24x40"}, Setting{3, "640x8"}}) {
    const std::vector<Picture> binned = drawWith(s.threads, s.tile, scene, origin);
    ASSERT_EQ(binned.size(), direct.size());
    for (size_t i = 0; i < direct.size(); ++i)
      EXPECT_TRUE(binned[i] == direct[i]) << s.threads << " threads, tiles " << s.tile << ", read " << i;
  }
}

// True when every pixel is the clear colour or an RGB565 colour widened back
// to 8 bits (the low bits repeat the high ones), as the dither leaves it.
bool clearOrWidened565(const std::vector<FxU32>& pixels, FxU32 clear) {
  for (FxU32 p : pixels) {
    const FxU32 r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
    if (p != clear && ((r & 7) != r >> 5 || (g & 3) != g >> 6 || (b & 7) != b >> 5)) return false;
  }
  return true;
}

void useFlatColour() {
  grColorCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
  grAlphaCombine(GR_COMBINE_FUNCTION_LOCAL, GR_COMBINE_FACTOR_NONE, GR_COMBINE_LOCAL_ITERATED,
                 GR_COMBINE_OTHER_NONE, FXFALSE);
}

// A 64 x 64 RGB565 map with every level, its texels from `seed`.
GrMipMapId_t makeTexture(int seed) {
  std::vector<FxU16> texels;
  for (int size = 64; size >= 1; size /= 2)
    for (int i = 0; i < size * size; ++i) texels.push_back(FxU16((i * 2654435761u + seed * 977u) >> 7));
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 64, 64, GR_TEXFMT_RGB_565,
                                        GR_MIPMAP_NEAREST, GR_LOD_1, GR_LOD_64, GR_ASPECT_1x1,
                                        GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                                        GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0, 0);
  guTexDownloadMipMap(id, texels.data(), nullptr);
  return id;
}

GrVertex texturedVertex(float x, float y, float w, float s, float t, float a = 120.0f) {
  GrVertex v = vertex(x, y, a, 1.0f / w);
  v.tmuvtx[0].sow = s / w;
  v.tmuvtx[0].tow = t / w;
  return v;
}

TEST(Threads, EdgesOnTileBordersAndCornersCoverEachPixelOnce) {
  // Quads split into triangles whose edges run along the borders of 32-pixel
  // tiles, through their corners, and slivers a pixel wide beside them,
  // added up: every pixel of the grid is covered exactly once.
  auto scene = [](std::vector<Picture>&) {
    useFlatColour();
    grDepthBufferMode(GR_DEPTHBUFFER_DISABLE);
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
    for (int row = 0; row < 8; ++row)
      for (int col = 0; col < 12; ++col) {
        const float x0 = 32.0f * col + 16, y0 = 32.0f * row + 16, x1 = x0 + 32, y1 = y0 + 32;
        // Blue counts the coverage; red and green vary across each quad.
        auto corner = [](float x, float y) { return coloured(x, y, x / 2, y / 2 + 7, 1); };
        GrVertex a = corner(x0, y0), b = corner(x1, y0), c = corner(x1, y1), d = corner(x0, y1);
        grDrawTriangle(&a, &b, &c);
        grDrawTriangle(&a, &c, &d);
      }
    for (int k = 1; k < 12; ++k) {  // slivers across tile borders, off the grid
      const float x = 32.0f * k + 0.5f;
      GrVertex a = coloured(x, 300, 1, 0, 0), b = coloured(x + 1, 300, 1, 0, 0),
               c = coloured(x + 1, 470, 1, 0, 0), d = coloured(x, 470, 1, 0, 0);
      grDrawTriangle(&a, &b, &c);
      grDrawTriangle(&a, &c, &d);
      GrVertex e = coloured(400, 32.0f * k - 0.75f, 0, 1, 0), f = coloured(630, 32.0f * k + 0.25f, 0, 1, 0),
               g = coloured(400, 32.0f * k + 0.75f, 0, 1, 0);
      grDrawTriangle(&e, &f, &g);
    }
  };
  const Picture picture = drawWith(3, "32", scene).back();
  for (int y = 16; y < 16 + 8 * 32; ++y)
    for (int x = 16; x < 16 + 12 * 32; ++x)
      ASSERT_EQ(picture.colour[size_t(kHeight - 1 - y) * kWidth + x] & 0xFFu, 1u) << x << "," << y;
  expectSameOnEveryThreadCount(scene);
}

TEST(Threads, StateAndTextureChangesBetweenQueuedTriangles) {
  auto scene = [](std::vector<Picture>& pictures) {
    usePluginDrawState();
    const GrMipMapId_t first = makeTexture(1), second = makeTexture(2);
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> x(-40, 680), y(-40, 520), offset(-90, 90), w(1, 40), st(0, 300);
    auto randomTriangle = [&] {
      const float cx = x(rng), cy = y(rng);
      GrVertex v[3];
      for (GrVertex& vertex : v)
        vertex = texturedVertex(cx + offset(rng), cy + offset(rng), w(rng), st(rng), st(rng));
      guDrawTriangleWithClip(&v[0], &v[1], &v[2]);
    };
    for (int round = 0; round < 6; ++round) {
      guTexSource(round % 2 ? first : second);
      for (int i = 0; i < 40; ++i) randomTriangle();
      // New texels for the map queued triangles read, a state the fast
      // path does not take, a clear that keeps the depth buffer.
      guTexDownloadMipMap(first, std::vector<FxU16>(5461, FxU16(round * 3001)).data(), nullptr);
      grAlphaBlendFunction(GR_BLEND_SRC_ALPHA, GR_BLEND_ONE_MINUS_SRC_ALPHA, GR_BLEND_ONE, GR_BLEND_ZERO);
      grDepthBufferFunction(round % 2 ? GR_CMP_GREATER : GR_CMP_LESS);
      for (int i = 0; i < 20; ++i) randomTriangle();
      usePluginDrawState();
      grChromakeyMode(round % 3 ? GR_CHROMAKEY_ENABLE : GR_CHROMAKEY_DISABLE);
      if (round == 3) {
        grDepthMask(FXFALSE);
        grBufferClear(0x00203040, 0x80, 0);
        grDepthMask(FXTRUE);
      }
      if (round == 4) pictures.push_back(readBack());  // a read in the middle of the frame
    }
  };
  expectSameOnEveryThreadCount(scene);
}

TEST(Threads, FramesDrawnByTheWorkersWhileTexelsAndSettingsChange) {
  // No presenter: each swapped frame is drawn by the workers while the next
  // one is binned, and the texels it reads are replaced right after the
  // swap. Upper-left origin, dither for a frame, and a change of the thread
  // count with work queued.
  auto scene = [](std::vector<Picture>& pictures) {
    usePluginDrawState();
    const GrMipMapId_t texture = makeTexture(4);
    guTexSource(texture);
    const GrVertex away = texturedVertex(-50, -50, 3, 0, 0), awayB = texturedVertex(-40, -50, 3, 9, 0),
                   awayC = texturedVertex(-50, -40, 3, 0, 9);
    for (int frame = 0; frame < 5; ++frame) {
      grBufferClear(0x00102030, 0, 0xFFFF);
      grDrawTriangle(&away, &awayB, &awayC);  // off the screen, with the state as it was
      vglSetDither(frame == 3);               // in the middle of the frame
      for (int i = 0; i < 12; ++i) {
        const float x = float(i * 53), y = float(i * 37 % 400);
        GrVertex a = texturedVertex(x, y, 3, 0, 0), b = texturedVertex(x + 200, y + 20, 5, 200, 10),
                 c = texturedVertex(x + 30, y + 90, 8, 20, 180);
        grDrawTriangle(&a, &b, &c);
      }
      if (frame == 2) vglSetThreads(vglGetThreads() == 1 ? 1 : 5);
      grBufferSwap(1);
      guTexDownloadMipMap(texture, std::vector<FxU16>(5461, FxU16(frame * 7919 + 1)).data(), nullptr);
      if (frame == 3 || frame == 4) {
        pictures.push_back(Picture{});
        pictures.back().colour.resize(size_t(kWidth) * kHeight);
        EXPECT_TRUE(vglReadFrame(GR_BUFFER_FRONTBUFFER, pictures.back().colour.data(), kWidth));
        // Dithered triangles in the one frame, on the undithered clear.
        EXPECT_EQ(clearOrWidened565(pictures.back().colour, 0x102030), frame == 3) << "frame " << frame;
      }
    }
  };
  expectSameOnEveryThreadCount(scene, GR_ORIGIN_UPPER_LEFT);
}

TEST(Threads, MoreTrianglesThanABinHolds) {
  auto scene = [](std::vector<Picture>&) {
    useFlatColour();
    grAlphaBlendFunction(GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE, GR_BLEND_ONE);
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> x(0, 640), y(0, 480);
    for (int i = 0; i < 30000; ++i) {
      const float x0 = x(rng), y0 = y(rng);
      GrVertex a = coloured(x0, y0, 1, 2, 3), b = coloured(x0 + 9, y0 + 1, 1, 2, 3),
               c = coloured(x0 + 2, y0 + 7, 1, 2, 3);
      grDrawTriangle(&a, &b, &c);
    }
    for (int i = 0; i < 5000; ++i) {  // thin and long: many tiles each, few pixels
      const float y0 = y(rng), y1 = y(rng);
      GrVertex a = coloured(0, y0, 9, 9, 9), b = coloured(640, y1, 9, 9, 9), c = coloured(0, y0 + 2, 9, 9, 9);
      grDrawTriangle(&a, &b, &c);
    }
  };
  expectSameOnEveryThreadCount(scene);
}

TEST(Threads, ShutdownWithWorkQueuedAndInitCyclesLeaveNoThread) {
  // The count after the first cycle is the baseline: a sanitizer's runtime
  // may start a thread of its own with the first thread.
  int baseline = -1;
  for (int cycle = 0; cycle < 20; ++cycle) {
    const int threads = cycle % 2 ? 4 : 2;
    vglSetThreads(threads);
    grGlideInit();
    GrHwConfiguration hw;
    grSstQueryHardware(&hw);
    grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT, 2, 1);
    if (baseline >= 0) {
      EXPECT_EQ(threadsOfThisProcess(), baseline + threads - 1) << "workers while open, cycle " << cycle;
    }
    useFlatColour();
    GrVertex a = coloured(0, 0, 200, 0, 0), b = coloured(320, 0, 200, 0, 0), c = coloured(0, 240, 200, 0, 0);
    for (int i = 0; i < 20; ++i) grDrawTriangle(&a, &b, &c);
    if (cycle % 3 == 0) {
      grBufferSwap(1);  // drawn by the workers while the next triangle is queued
      grDrawTriangle(&a, &b, &c);
    }
    if (cycle % 5 == 0) vglSetThreads(3);  // a change of threads with work queued
    grGlideShutdown();                     // with work queued
    if (baseline < 0) baseline = threadsOfThisProcess();
    EXPECT_EQ(threadsOfThisProcess(), baseline) << "after shutdown, cycle " << cycle;
  }
  vglSetThreads(0);
}

// Hands frames to the workers and ends the process at once.
void exitWhileAFrameIsDrawn() {
  vglSetThreads(2);
  grGlideInit();
  GrHwConfiguration hw;
  grSstQueryHardware(&hw);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_LOWER_LEFT, 2, 1);
  usePluginDrawState();
  guTexSource(makeTexture(3));
  const GrVertex a = texturedVertex(0, 0, 2, 0, 0), b = texturedVertex(640, 0, 2, 900, 0),
                 c = texturedVertex(0, 480, 9, 0, 900);
  for (int frame = 0; frame < 3; ++frame) {
    grBufferClear(0, 0, 0xFFFF);
    for (int i = 0; i < 100; ++i) grDrawTriangle(&a, &b, &c);
    grBufferSwap(1);
  }
  std::exit(7);
}

// A host may end the process without grGlideShutdown while the workers
// still draw the frame it handed over: they must not draw into freed memory
// (the sanitizer build sees it).
TEST(ThreadsDeathTest, ProcessEndsWhileAFrameIsDrawn) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(exitWhileAFrameIsDrawn(), ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace glidetest
