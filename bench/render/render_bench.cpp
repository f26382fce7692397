// Render-to-video speed: seconds of the demo track written per second of
// wall time ("x_realtime"), at 640x480 and at 2x scale, and the plug-in's
// frames alone (no encoding) to show where the time goes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include <velmo_glide.h>

#include "audio/demo_track.h"
#include "audio/pcm_history.h"
#include "commands/render_job.h"
#include "vis/plugin_folder.h"
#include "vis/vis_picture.h"

namespace {

constexpr double kSeconds = 4.0;

void BM_RenderDemoToVideo(benchmark::State& state) {
  velmo::RenderJob job;
  job.pluginPath = velmo::defaultPluginPath();
  job.output = "/tmp/velmo-bench-" + std::to_string(getpid()) + ".mp4";
  job.scale = static_cast<int>(state.range(0));
  job.maxSeconds = kSeconds;
  job.progress = false;
  job.force = true;  // each run writes over the last
  for (auto _ : state) {
    if (velmo::runRenderJob(job) != 0) {
      state.SkipWithError("render failed");
      break;
    }
  }
  unlink(job.output.c_str());
  state.counters["x_realtime"] = benchmark::Counter(kSeconds * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDemoToVideo)->Arg(1)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

// The plug-in's frames through our Glide, with the spectrum, and nothing else.
void BM_PluginFramesOnly(benchmark::State& state) {
  velmo::FixedControls controls;
  velmo::VisPicture picture;
  std::string error;
  if (!picture.open(velmo::defaultPluginPath(), static_cast<int>(state.range(0)), false, &controls, &error) ||
      !picture.session().start(44100, 2, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::unique_ptr<velmo::AudioSource> demo = velmo::openDemoTrack();
  velmo::PcmHistory history(1 << 16);
  std::vector<float> block(2 * 8820);
  demo->seek(20 * velmo::kDemoSampleRate);  // a busy part of the track
  demo->read(block.data(), 8820);
  history.push(block.data(), 2, 8820);
  int64_t frame = 0;
  for (auto _ : state) picture.renderAt(history, 600 * (frame++ % 10) + 1000);
  picture.session().stop();
  vglSetScale(1);
  state.counters["x_realtime"] = benchmark::Counter(state.iterations() / 75.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PluginFramesOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
