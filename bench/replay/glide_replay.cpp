// Replays a stream of the plug-in's Glide calls kept by
// `replay_bench --save=FILE` through the Glide this program is linked with,
// and prints its frames per second (wall clock, the best of a few passes
// over all the frames) and the processor time per frame of all the passes
// (every thread's, in ms: what a frame costs whatever else the machine
// runs). Built for Linux and for Windows alike, so the same
// stream measures libglide2x.so and glide2x.dll (under Wine) side by side:
// see windows_side_by_side.sh.
//
//   glide_replay STREAM TEXTURE_FOLDER [--threads=N] [--scale=N] [--runs=N]
#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <glide.h>
#include <velmo_glide.h>

#include "glide_stream.h"

namespace {

double processSeconds() {
#if defined(_WIN32)
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
  auto seconds = [](const FILETIME& t) {
    return double((unsigned long long)t.dwHighDateTime << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
#else
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: glide_replay STREAM TEXTURE_FOLDER [--threads=N] [--scale=N] [--runs=N]\n");
    return 2;
  }
  int threads = 1, scale = 1, runs = 3;
  for (int i = 3; i < argc; ++i) {
    if (std::strncmp(argv[i], "--threads=", 10) == 0)
      threads = std::atoi(argv[i] + 10);
    else if (std::strncmp(argv[i], "--scale=", 8) == 0)
      scale = std::atoi(argv[i] + 8);
    else if (std::strncmp(argv[i], "--runs=", 7) == 0)
      runs = std::atoi(argv[i] + 7);
  }
  replay::GlideStream stream;
  if (!replay::loadStream(argv[1], &stream)) {
    std::fprintf(stderr, "glide_replay: cannot read the stream %s\n", argv[1]);
    return 1;
  }
  const std::string textures = argv[2];
  vglSetScale(scale);
  vglSetThreads(threads);
  replay::replayThroughGlide(stream, 0, stream.frameStarts.front(), textures);
  const double frames = double(stream.frameStarts.size());
  double best = 0;
  const double cpuStart = processSeconds();
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    replay::replayThroughGlide(stream, stream.frameStarts.front(), stream.framesEnd, textures);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (frames / seconds > best) best = frames / seconds;
  }
  const double cpuMs = (processSeconds() - cpuStart) * 1000.0 / (frames * runs);
  replay::replayThroughGlide(stream, stream.framesEnd, stream.calls.size(), textures);
  std::printf("%.1f %.2f\n", best, cpuMs);
  return 0;
}
