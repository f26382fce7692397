// The scene's own share of a frame: band analysis and every element's
// geometry and Glide calls, with no Glide window open, so nothing is
// rasterized. Set against frame_bench, it shows where a frame's time goes.
#include <benchmark/benchmark.h>

#include <cstring>

#include "analysis/analyzer.h"
#include "plugin/lifecycle.h"
#include "scene/scene.h"
#include "tests/scene/scene_input.h"

namespace {

void sceneWithoutRasterizing(benchmark::State& state) {
  static unsigned char spectra[360][2][576];
  for (int f = 0; f < 360; f++) fillSceneSpectrum(spectra[f], SceneInput::sweep, f);
  std::strcpy(songTitle, "7. Velmo Test Band - Glow In The Dark ");
  std::strcpy(timeText, "[1:23]");
  buildCone(coneVertices, coneIndices, coneSides, coneRadius, 10.0f);
  long frame = 0;
  for (auto _ : state) {
    std::memcpy(pluginModule.spectrumData, spectra[frame % 360], sizeof pluginModule.spectrumData);
    analyzeSpectrum(&pluginModule);
    drawFrame();
    frame++;
  }
  state.counters["fps"] = benchmark::Counter((double)frame, benchmark::Counter::kIsRate);
}
BENCHMARK(sceneWithoutRasterizing)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
