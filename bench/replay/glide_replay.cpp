// Replays a stream of the plug-in's Glide calls kept by
// `replay_bench --save=FILE` through the Glide this program is linked with,
// and prints its frames per second (wall clock, the best of a few passes
// over all the frames). Built for Linux and for Windows alike, so the same
// stream measures libglide2x.so and glide2x.dll (under Wine) side by side:
// see windows_side_by_side.sh.
//
//   glide_replay STREAM TEXTURE_FOLDER [--threads=N] [--scale=N] [--runs=N]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <glide.h>
#include <velmo_glide.h>

#include "glide_stream.h"

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
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    replay::replayThroughGlide(stream, stream.frameStarts.front(), stream.framesEnd, textures);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (frames / seconds > best) best = frames / seconds;
  }
  replay::replayThroughGlide(stream, stream.framesEnd, stream.calls.size(), textures);
  std::printf("%.1f\n", best);
  return 0;
}
