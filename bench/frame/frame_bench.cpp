// Whole frames per second: the plug-in's render call, loaded as a host loads
// it, drawing through our software Glide with no presenter, at 1x, 2x and 4x
// scale, on a moving spectrum, with Glide drawing on every processor
// (threads:0) and on one thread. Frames per second are counted in wall-clock
// time: the workers' time does not show in the caller's processor time.
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
  vglSetThreads((int)state.range(1));
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
  vglSetThreads(0);
  state.counters["fps"] = benchmark::Counter((double)frame, benchmark::Counter::kIsRate);
}

BENCHMARK(renderFrames)
    ->ArgsProduct({{1, 2, 4}, {0, 1}})
    ->ArgNames({"scale", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
