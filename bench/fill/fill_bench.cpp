// Fill rate of the software Glide: full-screen textured, bilinear, additive
// triangles, and a frame's worth of small ones (1,800 of about 30 pixels).
// The argument picks the pixel path: 0 the fastest available, 1 the
// reference path.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "glide.h"
#include "plugin_draw_state.h"
#include "velmo_glide.h"

namespace {

void openWithPluginState(bool reference) {
  if (reference)
    setenv("VELMO_GLIDE_REFERENCE", "1", 1);
  else
    unsetenv("VELMO_GLIDE_REFERENCE");
  grGlideInit();
  GrHwConfiguration hw;
  grSstQueryHardware(&hw);
  grSstSelect(0);
  grSstWinOpen(0, GR_RESOLUTION_640x480, GR_REFRESH_75Hz, GR_COLORFORMAT_RGBA,
               GR_ORIGIN_LOWER_LEFT, 2, 0);
  usePluginDrawState();

  // A 256 x 256 RGB565 map with every level: a colourful, never black pattern.
  std::vector<FxU16> texels;
  for (int size = 256; size >= 1; size /= 2)
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        texels.push_back(FxU16(((x * 31 / size) << 11) | ((y * 63 / size) << 5) | 8));
  GrMipMapId_t id = guTexAllocateMemory(GR_TMU0, GR_MIPMAPLEVELMASK_BOTH, 256, 256,
                                        GR_TEXFMT_RGB_565, GR_MIPMAP_NEAREST, GR_LOD_1, GR_LOD_256,
                                        GR_ASPECT_1x1, GR_TEXTURECLAMP_WRAP, GR_TEXTURECLAMP_WRAP,
                                        GR_TEXTUREFILTER_BILINEAR, GR_TEXTUREFILTER_BILINEAR, 0, 0);
  guTexDownloadMipMap(id, texels.data(), nullptr);
  guTexSource(id);
}

GrVertex corner(float x, float y, float w, float s, float t) {
  GrVertex v{};
  v.x = x;
  v.y = y;
  v.a = 60;
  v.oow = 1.0f / w;
  v.tmuvtx[0].sow = s * v.oow;
  v.tmuvtx[0].tow = t * v.oow;
  return v;
}

void FullScreenTexturedBilinearAdditive(benchmark::State& state) {
  openWithPluginState(state.range(0) != 0);
  // A floor-like quad: depth from 2 (bottom) to 20 (top), the texture
  // repeated twice across.
  GrVertex v[4] = {corner(0, 0, 2, 0, 0), corner(640, 0, 2, 512, 0),
                   corner(640, 480, 20, 512, 512), corner(0, 480, 20, 0, 512)};
  for (auto _ : state) {
    grBufferClear(0, 0, 0xFFFF);
    grDrawTriangle(&v[0], &v[1], &v[2]);
    grDrawTriangle(&v[0], &v[2], &v[3]);
  }
  state.counters["Mpixels/s"] =
      benchmark::Counter(307200.0 * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  grGlideShutdown();
}
BENCHMARK(FullScreenTexturedBilinearAdditive)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The plug-in's backdrop: flat (one w), the texture upright and magnified,
// alpha fading across the screen (the cone row's first two triangles).
void Backdrop(benchmark::State& state) {
  openWithPluginState(state.range(0) != 0);
  const float oow = 1.0f / 310.0f;
  auto corner = [oow](float x, float y, float a, float s, float t) {
    GrVertex v{};
    v.x = x;
    v.y = y;
    v.a = a;
    v.oow = oow;
    v.tmuvtx[0].sow = s * oow;
    v.tmuvtx[0].tow = t * oow;
    return v;
  };
  GrVertex p0 = corner(0, 0, 40, 0, 255), p1 = corner(0, 480, 115, 0, 0),
           p2 = corner(640, 480, 40, 255, 0), p3 = corner(640, 0, 10, 255, 255);
  for (auto _ : state) {
    grBufferClear(0, 0, 0xFFFF);
    grDrawTriangle(&p0, &p1, &p2);
    grDrawTriangle(&p0, &p2, &p3);
  }
  state.counters["Mpixels/s"] =
      benchmark::Counter(307200.0 * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
  grGlideShutdown();
}
BENCHMARK(Backdrop)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void SmallTrianglesOfAFrame(benchmark::State& state) {
  openWithPluginState(state.range(0) != 0);
  // 1,800 right triangles with legs of 8 pixels (32 pixels each), spread
  // over the screen at random depths.
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> x(0, 630), y(0, 470), w(10, 60);
  std::vector<GrVertex> vertices;
  for (int i = 0; i < 1800; ++i) {
    float x0 = x(rng), y0 = y(rng), depth = w(rng);
    vertices.push_back(corner(x0, y0, depth, 0, 0));
    vertices.push_back(corner(x0 + 8, y0, depth, 32, 0));
    vertices.push_back(corner(x0, y0 + 8, depth, 0, 32));
  }
  for (auto _ : state) {
    grBufferClear(0, 0, 0xFFFF);
    for (size_t i = 0; i < vertices.size(); i += 3)
      grDrawTriangle(&vertices[i], &vertices[i + 1], &vertices[i + 2]);
  }
  state.counters["Mpixels/s"] = benchmark::Counter(1800.0 * 32.0 * double(state.iterations()) / 1e6,
                                                   benchmark::Counter::kIsRate);
  grGlideShutdown();
}
BENCHMARK(SmallTrianglesOfAFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
