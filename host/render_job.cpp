// Headless rendering to video, PNG frames or a snapshot.
#include "host/render_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <velmo_glide.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/audio_file.h"
#include "host/demo_track.h"
#include "host/pcm_history.h"
#include "host/png_writer.h"
#include "host/progress_bar.h"
#include "host/spectrum.h"
#include "host/video_encoder.h"
#include "host/vis_session.h"

namespace velmo {
namespace {

enum class OutputKind { Video, PngFolder, Snapshot };

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int fail(const std::string& message) {
  std::fprintf(stderr, "velmo: %s\n", message.c_str());
  return 1;
}

}  // namespace

int runRenderJob(const RenderJob& job) {
  std::string error;
  std::unique_ptr<AudioSource> source = job.input.empty() ? openDemoTrack() : openAudioFile(job.input, &error);
  if (!source) return fail(error);
  if (source->frameCount() == 0) return fail((job.input.empty() ? "the demo" : job.input) + ": holds no audio");
  const int rate = source->sampleRate();
  const int channels = source->channels();

  OutputKind kind = job.snapshotAt >= 0 ? OutputKind::Snapshot
                    : (isFolder(job.output) || (!job.output.empty() && job.output.back() == '/'))
                        ? OutputKind::PngFolder
                        : OutputKind::Video;
  if (kind == OutputKind::PngFolder && !isFolder(job.output) && mkdir(job.output.c_str(), 0777) != 0) {
    return fail(job.output + ": cannot create the folder");
  }

  double seconds = source->frameCount() >= 0 ? static_cast<double>(source->frameCount()) / rate : -1;
  if (job.maxSeconds >= 0 && (seconds < 0 || job.maxSeconds < seconds)) seconds = job.maxSeconds;
  if (kind == OutputKind::Snapshot) {
    if (seconds >= 0 && job.snapshotAt > seconds) {
      return fail("--at " + std::to_string(job.snapshotAt) + " lies beyond the end of the track (" +
                  std::to_string(seconds) + " s)");
    }
    seconds = job.snapshotAt;
  }
  // Frames to draw; -1 while the length is unknown (until the source ends).
  // A partial last frame still gets drawn: any sound at all shows.
  const int64_t frameTotal = seconds < 0                      ? -1
                             : kind == OutputKind::Snapshot ? static_cast<int64_t>(std::floor(seconds * job.fps)) + 1
                                                            : static_cast<int64_t>(std::ceil(seconds * job.fps - 1e-6));
  const int64_t audioTotal = seconds >= 0 ? static_cast<int64_t>(std::llround(seconds * rate)) : -1;

  // The play position the plug-in asks for is the time of the frame drawn.
  FixedControls controls;
  controls.positionMs = 0;
  controls.state = 1;
  controls.lengthSeconds = seconds >= 0 ? static_cast<int>(seconds) : -1;
  vglSetScale(job.scale);
  vglSetDither(job.dither ? 1 : 0);
  VisSession session;
  if (!session.open(job.pluginPath, &controls, &error)) return fail(error);
  const TrackInfo& info = source->info();
  session.setCaption(hostCaption(1, info.artist, info.title));

  VideoEncoder encoder;
  if (kind == OutputKind::Video) {
    VideoSettings settings;
    settings.width = 640 * job.scale;
    settings.height = 480 * job.scale;
    settings.fps = job.fps;
    settings.sampleRate = rate;
    settings.preset = job.preset;
    if (!encoder.open(job.output, settings, &error)) return fail(error);
  }

  int64_t frameIndex = 0;
  int64_t snapshotFrame = frameTotal - 1;
  bool written = false;
  std::string sinkError;
  session.onFrame([&](const Frame& frame) {
    if (!sinkError.empty()) return;
    switch (kind) {
      case OutputKind::Video:
        encoder.addFrame(frame.pixels, frame.stride, &sinkError);
        break;
      case OutputKind::PngFolder: {
        char name[32];
        std::snprintf(name, sizeof name, "/frame%06lld.png", static_cast<long long>(frameIndex));
        writePng(job.output + name, frame, &sinkError);
        break;
      }
      case OutputKind::Snapshot:
        if (frameIndex == snapshotFrame) written = writePng(job.output, frame, &sinkError);
        break;
    }
  });

  PcmHistory history(1 << 16);
  Spectrum spectrum;
  SpectrumBytes bytes = {};
  std::vector<float> block(4096 * channels);
  std::vector<float> stereo(4096 * 2);
  int64_t audioFed = 0;
  bool sourceEnded = false;
  auto readAudioUpTo = [&](int64_t end) {
    while (!sourceEnded && history.end() < end) {
      size_t got = source->read(block.data(), 4096);
      if (got == 0) {
        sourceEnded = true;
        break;
      }
      history.push(block.data(), channels, got);
      if (kind == OutputKind::Video) {
        size_t keep = got;
        if (audioTotal >= 0) keep = static_cast<size_t>(std::max<int64_t>(0, std::min<int64_t>(got, audioTotal - audioFed)));
        toStereo(block.data(), channels, keep, stereo.data());
        if (keep && !encoder.addAudio(stereo.data(), keep, &sinkError)) return;
        audioFed += static_cast<int64_t>(keep);
      }
    }
  };

  ProgressBar bar(job.progress && isatty(STDERR_FILENO), frameTotal, job.fps);
  session.start(rate, channels);
  for (frameIndex = 0; frameTotal < 0 || frameIndex < frameTotal; ++frameIndex) {
    int64_t centre = frameIndex * rate / job.fps;
    readAudioUpTo(centre + kSpectrumWindow / 2);
    if (frameTotal < 0 && sourceEnded && centre >= history.end()) break;
    controls.positionMs = static_cast<int>(frameIndex * 1000 / job.fps);
    spectrum.computeAt(history, centre, bytes);
    session.render(bytes);
    session.pumpMessages();
    if (!sinkError.empty()) break;
    bar.update(frameIndex + 1);
  }
  session.stop();
  bar.finish();
  if (sinkError.empty() && kind == OutputKind::Video) {
    readAudioUpTo(audioTotal >= 0 ? audioTotal : INT64_MAX);
    if (sinkError.empty()) encoder.finish(&sinkError);
  }
  if (!sinkError.empty()) {
    if (kind == OutputKind::Video) unlink(job.output.c_str());
    return fail(sinkError + (kind == OutputKind::Video ? "; the incomplete video was removed" : ""));
  }
  if (kind == OutputKind::Snapshot && !written) return fail("no frame was drawn at that moment");
  if (kind == OutputKind::Video) {
    std::fprintf(stderr, "velmo: wrote %s (%lld frames)\n", job.output.c_str(), static_cast<long long>(frameIndex));
  } else if (kind == OutputKind::PngFolder) {
    std::fprintf(stderr, "velmo: wrote %lld frames to %s\n", static_cast<long long>(frameIndex), job.output.c_str());
  }
  return 0;
}

}  // namespace velmo
