// velmo render against its encoder alone. Renders a clip of the demo track to
// MP4 and times it; times x264 encoding the very same frames, read back from a
// raw file, through the same encoder (preset, quality, size, rate, and the
// same BGR0 to YUV 4:2:0 conversion), without sound; prints both and their
// ratio. Also the frames per second of a render to PNG frames (which also
// gives the raw frames, PNG being lossless) and of a snapshot at the clip's end.
//
//   encoder_ratio_bench [--seconds S] [--runs N] [--scale N]
//
// The render is timed twice: with frames queued for the writer thread, and
// with each frame written as it is drawn (queue depth 0).
//
// Runs are interleaved (render, encoder, snapshot, render, ...) so that the
// load of other programs weighs on all of them alike; the best of each counts.
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands/render_job.h"
#include "output/video_encoder.h"
#include "temp_folder.h"
#include "vis/plugin_folder.h"

namespace {

struct Timing {
  double wall = 0;  // seconds
  double cpu = 0;   // processor seconds of every thread of the process
};

double processorSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs `work`; the wall time, or a negative one when it failed.
Timing timed(const std::function<bool()>& work) {
  const double cpuStart = processorSeconds();
  const auto start = std::chrono::steady_clock::now();
  const bool done = work();
  Timing timing;
  timing.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  timing.cpu = processorSeconds() - cpuStart;
  if (!done) timing.wall = -1;
  return timing;
}

std::string loadText() {
  double load[3] = {};
  getloadavg(load, 3);
  char text[64];
  std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
  return text;
}

// The PNG frames of a render, in order, as one raw file of 0x00RRGGBB pixels.
// The number of frames, 0 when any could not be read.
long pngFramesToRaw(const std::string& folder, const std::string& rawPath, int width, int height) {
  FILE* raw = std::fopen(rawPath.c_str(), "wb");
  if (!raw) return 0;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  long count = 0;
  for (;; ++count) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06ld.png", count);
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, (folder + name).c_str())) break;
    image.format = PNG_FORMAT_BGRA;  // B, G, R, 255 in memory: 0x00RRGGBB as the encoder reads it (the fourth byte unused)
    const bool read = image.width == static_cast<unsigned>(width) && image.height == static_cast<unsigned>(height) &&
                      png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    png_image_free(&image);
    if (!read || std::fwrite(pixels.data(), 1, pixels.size(), raw) != pixels.size()) count = -1;
    if (count < 0) break;
  }
  return std::fclose(raw) == 0 && count > 0 ? count : 0;
}

// x264 alone: the raw frames read and encoded as a render encodes them.
bool encodeRaw(const std::string& rawPath, const std::string& video, const velmo::RenderJob& job, long frames) {
  velmo::VideoSettings settings;
  settings.width = 640 * job.scale;
  settings.height = 480 * job.scale;
  settings.fps = job.fps;
  settings.sampleRate = 0;
  settings.preset = job.preset;
  velmo::VideoEncoder encoder;
  std::string error;
  FILE* raw = std::fopen(rawPath.c_str(), "rb");
  if (!raw) return false;
  std::vector<uint32_t> pixels(static_cast<size_t>(settings.width) * settings.height);
  bool ok = encoder.open(video, video, settings, &error);
  for (long i = 0; ok && i < frames; ++i) {
    ok = std::fread(pixels.data(), sizeof pixels[0], pixels.size(), raw) == pixels.size() &&
         encoder.addFrame(pixels.data(), settings.width, &error);
  }
  std::fclose(raw);
  ok = ok && encoder.finish(&error);
  if (!error.empty()) std::fprintf(stderr, "encoder: %s\n", error.c_str());
  return ok;
}

void printRow(const char* what, const std::vector<Timing>& runs, long frames) {
  std::printf("%-34s", what);
  double best = 1e30;
  for (const Timing& run : runs) {
    std::printf(" %7.2f s (cpu %5.2f)", run.wall, run.cpu);
    if (run.wall >= 0) best = std::min(best, run.wall);
  }
  std::printf("   best %.2f s, %.0f frames/s\n", best, frames / best);
}

double best(const std::vector<Timing>& runs) {
  double value = 1e30;
  for (const Timing& run : runs)
    if (run.wall >= 0) value = std::min(value, run.wall);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 20;
  int runs = 3;
  velmo::RenderJob job;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--scale")) job.scale = std::clamp(std::atoi(argv[i + 1]), 1, 4);
  }
  velmo_test::TempFolder folder("velmo-encoder-ratio");
  job.pluginPath = velmo::defaultPluginPath();
  job.maxSeconds = seconds;
  job.progress = false;
  job.force = true;  // each run writes over the last
  const std::string loadBefore = loadText();

  velmo::RenderJob pngJob = job;
  pngJob.output = folder.path("frames/");
  const Timing png = timed([&] { return velmo::runRenderJob(pngJob) == 0; });
  const std::string raw = folder.path("frames.raw");
  const long frames = png.wall < 0 ? 0 : pngFramesToRaw(pngJob.output, raw, 640 * job.scale, 480 * job.scale);
  std::filesystem::remove_all(pngJob.output);
  if (frames == 0) {
    std::fprintf(stderr, "could not render or read back the PNG frames\n");
    return 1;
  }

  velmo::RenderJob videoJob = job;
  videoJob.output = folder.path("render.mp4");
  velmo::RenderJob directJob = videoJob;
  directJob.queueDepth = 0;  // each frame converted and encoded on the drawing thread
  velmo::RenderJob snapshotJob = job;
  snapshotJob.snapshotAt = (frames - 1.0) / job.fps;  // the last frame of the clip
  snapshotJob.output = folder.path("snapshot.png");
  std::vector<Timing> render, direct, encoder, snapshot;
  for (int run = 0; run < runs; ++run) {
    render.push_back(timed([&] { return velmo::runRenderJob(videoJob) == 0; }));
    direct.push_back(timed([&] { return velmo::runRenderJob(directJob) == 0; }));
    encoder.push_back(timed([&] { return encodeRaw(raw, folder.path("encoder.mp4"), job, frames); }));
    snapshot.push_back(timed([&] { return velmo::runRenderJob(snapshotJob) == 0; }));
  }

  std::printf("clip: the demo track, %g s at %dx%d, %d frames/s, preset %s: %ld frames\n", seconds, 640 * job.scale,
              480 * job.scale, job.fps, job.preset.c_str(), frames);
  std::printf("load average before: %s, after: %s (%ld processors)\n", loadBefore.c_str(), loadText().c_str(),
              sysconf(_SC_NPROCESSORS_ONLN));
  printRow("velmo render to MP4 (with AAC)", render, frames);
  printRow("  the same, no queue", direct, frames);
  printRow("x264 alone from raw frames", encoder, frames);
  printRow("velmo snapshot at the last frame", snapshot, frames);
  printRow("velmo render to PNG frames", {png}, frames);
  std::printf("render / encoder: %.3f (best against best)", best(render) / best(encoder));
  for (int run = 0; run < runs; ++run) std::printf("%s%.3f", run ? ", " : "; by run: ", render[run].wall / encoder[run].wall);
  std::printf("\n");
  return 0;
}
