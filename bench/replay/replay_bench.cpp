// The plug-in's own Glide calls, recorded once (300 frames of a moving
// spectrum), replayed through our Glide and through Mesa's llvmpipe (OSMesa)
// at 1x, 2x and 4x scale, on every processor and on one thread. Prints
// frames per second (wall clock, the best of a few runs of all the frames)
// and the ratios, then the processor time per frame of those runs (every
// thread's, so what a frame costs whatever else the machine is doing). Each
// measurement runs in a fresh child process.
//
//   replay_bench [--frames=300] [--runs=3] [--scales=1,2,4] [--dump=DIR] [--ours]
//                [--save=FILE]
//
// --ours measures our Glide alone (for trying settings such as
// VELMO_GLIDE_TILE quickly).
// --save keeps the recorded stream in FILE for glide_replay and measures
// nothing.
// --dump writes each renderer's last frame as a PPM image into DIR, to see
// that both draw the same scene.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <glide.h>
#include <velmo_glide.h>

#include "glide_stream.h"
#if defined(VELMO_REPLAY_OSMESA)
#include "gl_replay.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int frames = 300;
  int runs = 3;
  std::vector<int> scales = {1, 2, 4};
  std::string dumpFolder;
  std::string saveFile;
  bool oursOnly = false;
};

void writePpm(const std::string& path, const std::vector<uint32_t>& pixels, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  for (uint32_t p : pixels) {
    const unsigned char rgb[3] = {(unsigned char)(p >> 16), (unsigned char)(p >> 8), (unsigned char)p};
    std::fwrite(rgb, 1, 3, file);
  }
  std::fclose(file);
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char* name) -> const char* {
      const size_t n = std::strlen(name);
      return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
    };
    if (const char* v = value("--frames="))
      o.frames = std::atoi(v);
    else if (const char* v = value("--runs="))
      o.runs = std::atoi(v);
    else if (const char* v = value("--dump="))
      o.dumpFolder = v;
    else if (const char* v = value("--save="))
      o.saveFile = v;
    else if (arg == "--ours")
      o.oursOnly = true;
    else if (const char* v = value("--scales=")) {
      o.scales.clear();
      for (const char* p = v; *p;) {
        o.scales.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p == ',') ++p;
      }
    } else {
      std::fprintf(stderr, "usage: replay_bench [--frames=N] [--runs=N] [--scales=1,2,4] [--dump=DIR] [--ours] [--save=FILE]\n");
      std::exit(2);
    }
  }
  return o;
}

struct Rate {
  double framesPerSecond = -1;  // negative: the measurement failed
  double cpuMsPerFrame = 0;
};

// Runs `measure` in a child process and returns what it reports.
Rate inChild(const std::function<Rate()>& measure) {
  int fds[2];
  if (pipe(fds) != 0) return Rate{};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    const Rate result = measure();
    if (write(fds[1], &result, sizeof result) != sizeof result) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  Rate result;
  if (child < 0 || read(fds[0], &result, sizeof result) != sizeof result) result = Rate{};
  close(fds[0]);
  int status = 0;
  if (child > 0) waitpid(child, &status, 0);
  return result;
}

double processSeconds() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Frames per second of the best of `runs` passes over every frame, and the
// processor time of all of them per frame.
Rate bestRate(const replay::GlideStream& stream, int runs,
              const std::function<void(size_t, size_t)>& play) {
  const size_t first = stream.frameStarts.front(), last = stream.framesEnd;
  const double frames = double(stream.frameStarts.size());
  Rate best;
  const double cpuStart = processSeconds();
  for (int run = 0; run < runs; ++run) {
    const Clock::time_point start = Clock::now();
    play(first, last);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (frames / seconds > best.framesPerSecond) best.framesPerSecond = frames / seconds;
  }
  best.cpuMsPerFrame = (processSeconds() - cpuStart) * 1000.0 / (frames * runs);
  return best;
}

Rate oursRate(const replay::GlideStream& stream, const Options& o, int scale, int threads) {
  vglSetScale(scale);
  vglSetThreads(threads);
  replay::replayThroughGlide(stream, 0, stream.frameStarts.front(), VELMO_OUTPUT_DIR);
  const Rate rate = bestRate(stream, o.runs, [&](size_t first, size_t last) {
    replay::replayThroughGlide(stream, first, last, VELMO_OUTPUT_DIR);
  });
  if (!o.dumpFolder.empty() && threads == 0) {
    std::vector<uint32_t> pixels(size_t(640 * scale) * size_t(480 * scale));
    vglReadFrame(GR_BUFFER_FRONTBUFFER, pixels.data(), FxU32(640 * scale));
    writePpm(o.dumpFolder + "/ours-" + std::to_string(scale) + "x.ppm", pixels, 640 * scale, 480 * scale);
  }
  replay::replayThroughGlide(stream, stream.framesEnd, stream.calls.size(), VELMO_OUTPUT_DIR);
  return rate;
}

#if defined(VELMO_REPLAY_OSMESA)
// threads 0: llvmpipe's own choice (one per processor); otherwise the count
// (LP_NUM_THREADS=0 rasterizes on the calling thread alone).
Rate llvmpipeRate(const replay::GlideStream& stream, const Options& o, int scale, bool oneThread) {
  if (oneThread)
    setenv("LP_NUM_THREADS", "0", 1);
  else
    unsetenv("LP_NUM_THREADS");
  replay::GlReplay gl;
  std::string why;
  if (!gl.open(640 * scale, 480 * scale, &why)) {
    std::fprintf(stderr, "llvmpipe: %s\n", why.c_str());
    return Rate{};
  }
  gl.replay(stream, 0, stream.frameStarts.front(), VELMO_OUTPUT_DIR);
  const Rate rate = bestRate(stream, o.runs, [&](size_t first, size_t last) {
    gl.replay(stream, first, last, VELMO_OUTPUT_DIR);
  });
  if (!o.dumpFolder.empty() && !oneThread)
    writePpm(o.dumpFolder + "/llvmpipe-" + std::to_string(scale) + "x.ppm", gl.picture(), 640 * scale,
             480 * scale);
  return rate;
}
#endif

void printValue(double value, const char* format) {
  if (value < 0)
    std::printf(" %12s", "-");
  else
    std::printf(format, value);
}

void printRatio(double a, double b) {
  if (a < 0 || b <= 0)
    std::printf(" %10s", "-");
  else
    std::printf(" %10.2f", a / b);
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parse(argc, argv);
  replay::GlideStream stream;
  std::string why;
  if (!replay::recordPluginStream(options.frames, &stream, &why)) {
    std::fprintf(stderr, "cannot run the plug-in: %s\n", why.c_str());
    return 1;
  }
  grGlideShutdown();
  if (!options.saveFile.empty()) {
    if (replay::saveStream(stream, options.saveFile)) return 0;
    std::fprintf(stderr, "cannot write %s\n", options.saveFile.c_str());
    return 1;
  }
  size_t triangles = 0;
  for (size_t i = stream.frameStarts.front(); i < stream.framesEnd; ++i)
    triangles += stream.calls[i].op == replay::Op::drawTriangle ||
                 stream.calls[i].op == replay::Op::drawTriangleWithClip;
  std::printf("the plug-in's Glide calls: %zu frames, %zu calls, %zu triangles; %ld processors\n",
              stream.frameStarts.size(), stream.framesEnd - stream.frameStarts.front(), triangles,
              sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("frames/s, best of %d runs over all frames\n\n", options.runs);
  std::printf("%-6s %12s %12s %12s %12s %10s %10s\n", "scale", "ours all", "ours 1", "llvmpipe all",
              "llvmpipe 1", "ratio all", "ratio 1");
  std::vector<std::vector<Rate>> rates;
  for (int scale : options.scales) {
    std::vector<Rate> row = {inChild([&] { return oursRate(stream, options, scale, 0); }),
                             inChild([&] { return oursRate(stream, options, scale, 1); })};
#if defined(VELMO_REPLAY_OSMESA)
    if (!options.oursOnly) {
      row.push_back(inChild([&] { return llvmpipeRate(stream, options, scale, false); }));
      row.push_back(inChild([&] { return llvmpipeRate(stream, options, scale, true); }));
    }
#endif
    row.resize(4);
    std::printf("%-6s", (std::to_string(scale) + "x").c_str());
    for (const Rate& rate : row) printValue(rate.framesPerSecond, " %12.1f");
    printRatio(row[0].framesPerSecond, row[2].framesPerSecond);
    printRatio(row[1].framesPerSecond, row[3].framesPerSecond);
    std::printf("\n");
    std::fflush(stdout);
    rates.push_back(row);
  }
  std::printf("\nprocessor time per frame (ms, all threads)\n");
  for (size_t i = 0; i < rates.size(); ++i) {
    std::printf("%-6s", (std::to_string(options.scales[i]) + "x").c_str());
    for (const Rate& rate : rates[i])
      printValue(rate.framesPerSecond < 0 ? -1 : rate.cpuMsPerFrame, " %12.2f");
    std::printf("\n");
  }
#if !defined(VELMO_REPLAY_OSMESA)
  std::printf("\n(built without OSMesa: install libosmesa6-dev for the llvmpipe columns)\n");
#endif
  return 0;
}
