// Whole frames per second: the plug-in's render call, loaded as a host loads
// it, drawing through our software Glide with no presenter, at 1x, 2x and 4x
// scale, on a moving spectrum.
#include <benchmark/benchmark.h>

#include <cstring>

#include <glide.h>
#include <velmo_glide.h>

#include "plugin_host.h"
#include "tests/scene/scene_input.h"

namespace {

// Spectra are made up front so the loop times the plug-in and Glide only.
struct Spectra {
  static const int count = 360;
  unsigned char data[count][2][576];
  Spectra() {
    for (int f = 0; f < count; f++) fillSceneSpectrum(data[f], SceneInput::sweep, f);
  }
};

void renderFrames(benchmark::State& state) {
  static Spectra spectra;
  vglSetScale((int)state.range(0));
  hardening::PluginHost host;
  if (!host.ready()) {
    state.SkipWithError(host.why().c_str());
    return;
  }
  VisModule* module = host.module();
  module->init(module);
  vglSetPresenter(nullptr, nullptr);
  long frame = 0;
  for (auto _ : state) {
    std::memcpy(module->spectrumData, spectra.data[frame % Spectra::count], sizeof module->spectrumData);
    module->render(module);
    frame++;
  }
  module->quit(module);
  vglSetScale(1);
  state.counters["fps"] = benchmark::Counter((double)frame, benchmark::Counter::kIsRate);
}

BENCHMARK(renderFrames)->Arg(1)->Arg(2)->Arg(4)->ArgName("scale")->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
