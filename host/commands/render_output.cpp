// Frames and sound into a video file, PNG frames or a snapshot.
#include "commands/render_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "audio/pcm_history.h"
#include "output/output_paths.h"
#include "output/pipe_ends.h"
#include "output/png_writer.h"

namespace velmo {
namespace {

// Frames between drawing and encoding: enough to ride out the encoder's
// uneven pace (a key frame, x264's look-ahead) without holding much memory.
constexpr int kVideoQueue = 4;

bool isFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// What the AAC encoder refuses (NaN, far out of range) would end the render;
// the spectrum has already read such samples as 0 or full scale.
void keepInRange(float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const float sample = samples[i];
    samples[i] = std::isnan(sample) ? 0.0f : std::clamp(sample, -1.0f, 1.0f);
  }
}

}  // namespace

OutputKind chooseOutputKind(const RenderJob& job) {
  if (job.snapshotAt >= 0) return OutputKind::Snapshot;
  if (job.png || isFolder(job.output) || (!job.output.empty() && job.output.back() == '/')) return OutputKind::PngFolder;
  return OutputKind::Video;
}

// Known from the start: a second signal while the output is being opened
// must already say whether a file there stays.
RenderOutput::RenderOutput(const RenderJob& job, OutputKind kind)
    : job_(job), kind_(kind), targetWasThere_(targetExists()) {}

bool RenderOutput::targetExists() const {
  return kind_ == OutputKind::PngFolder ? holdsFrames(job_.output) : access(job_.output.c_str(), F_OK) == 0;
}

RenderOutput::~RenderOutput() { closePipeEnd(); }

bool RenderOutput::check(std::string* error) const {
  if (!job_.input.empty() && sameFile(job_.input, job_.output)) {
    *error = job_.output + ": is the file being read; name another output";
    return false;
  }
  return kind_ != OutputKind::Video || videoFormatUsable(job_.output, error);
}

bool RenderOutput::replacesEarlierOutput(std::string* error) const {
  // Devices and pipes (/dev/null) hold nothing to lose.
  struct stat st;
  if (kind_ == OutputKind::PngFolder) {
    if (!holdsFrames(job_.output)) return false;
    *error = job_.output + ": holds the frames of an earlier render; add --force to replace them, or name another folder";
    return true;
  }
  if (stat(job_.output.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *error = job_.output + ": already exists; add --force to replace it, or name another file";
  return true;
}

bool RenderOutput::open(int sampleRate, int64_t audioFrames, int64_t lastFrame, std::string* error) {
  audioLimit_ = audioFrames;
  snapshotFrame_ = lastFrame;
  targetWasThere_ = targetExists();
  // A pipe with no reader yet would hold the encoder's open for ever.
  if (kind_ != OutputKind::PngFolder && isPipe(job_.output)) {
    pipeEnd_ = openPipeEnd(job_.output, true, job_.stop);
    if (pipeEnd_ < 0) {
      *error = job_.output + (errno == EINTR ? ": stopped while waiting for a reader of the pipe" : ": " + std::string(std::strerror(errno)));
      return false;
    }
  }
  if (kind_ == OutputKind::PngFolder) {
    if (!frames_.open(job_.output, error)) return false;
  } else if (kind_ == OutputKind::Video) {
    if (!videoFile_.create(job_.output, error)) return false;
    VideoSettings settings;
    settings.width = 640 * job_.scale;
    settings.height = 480 * job_.scale;
    settings.fps = job_.fps;
    settings.sampleRate = sampleRate;
    settings.preset = job_.preset;
    if (!encoder_.open(job_.output, videoFile_.path(), settings, error)) return false;
  }
  startWriters();
  return true;
}

void RenderOutput::startWriters() {
  auto writeFrame = [this](const Frame& frame, int64_t index, std::string* error) {
    return this->writeFrame(frame, index, error);
  };
  // A snapshot writes one frame: nothing to overlap.
  int depth = kind_ == OutputKind::Snapshot ? 0 : job_.queueDepth;
  if (kind_ == OutputKind::Video) {
    // One writer keeps sound and frames in order; x264 has threads of its own.
    writers_.start(depth < 0 ? kVideoQueue : depth, 1, writeFrame,
                   [this](const float* stereo, size_t frames, std::string* error) {
                     return encoder_.addAudio(stereo, frames, error);
                   });
  } else {
    // PNG files are independent: one writer per processor.
    const int writers = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    writers_.start(depth < 0 ? 2 * writers : depth, writers, writeFrame);
  }
}

bool RenderOutput::writeFrame(const Frame& frame, int64_t index, std::string* error) {
  switch (kind_) {
    case OutputKind::Video:
      return encoder_.addFrame(frame.pixels, frame.stride, error);
    case OutputKind::PngFolder: {
      return writePng(frames_.framePath(index), frame, true, error);
    }
    case OutputKind::Snapshot:
      snapshotWritten_ = writePng(job_.output, frame, job_.force, error, &snapshotPlacedAt_);
      return snapshotWritten_;
  }
  return false;
}

void RenderOutput::addFrame(const Frame& frame, int64_t index) {
  if (wantsFrame(index)) writers_.addFrame(frame, index);
}

bool RenderOutput::addAudio(const float* interleaved, int channels, size_t frames) {
  if (kind_ != OutputKind::Video) return true;
  if (failed()) return false;
  const size_t start = heldSound_.size();
  heldSound_.resize(start + 2 * frames);
  toStereo(interleaved, channels, frames, heldSound_.data() + start);
  keepInRange(heldSound_.data() + start, 2 * frames);
  return true;
}

bool RenderOutput::releaseAudio(int64_t end) {
  if (kind_ != OutputKind::Video) return true;
  if (audioLimit_ >= 0 && end > audioLimit_) end = audioLimit_;
  const int64_t held = static_cast<int64_t>(heldSound_.size() / 2);
  const size_t count = static_cast<size_t>(std::clamp<int64_t>(end - audioKept_, 0, held));
  if (count && !writers_.addSound(heldSound_.data(), count)) return false;
  heldSound_.erase(heldSound_.begin(), heldSound_.begin() + static_cast<std::ptrdiff_t>(2 * count));
  audioKept_ += static_cast<int64_t>(count);
  return true;
}

void RenderOutput::endAudioAt(int64_t end) {
  if (audioLimit_ < 0 || end < audioLimit_) audioLimit_ = end;
}

bool RenderOutput::finish(bool stoppedEarly) {
  releaseAudio(INT64_MAX);
  const bool written = writers_.finish(&error_) && (kind_ != OutputKind::Video || encoder_.finish(&error_));
  closePipeEnd();
  if (!written) return false;
  // A stopped render never takes an earlier one's place; in a batch it is
  // always beside, so that a rerun renders it again.
  if (kind_ == OutputKind::Video) {
    stoppedEarly ? videoFile_.keepPartial(job_.inBatch, &error_) : videoFile_.commit(job_.force, &error_);
  } else if (kind_ == OutputKind::PngFolder) {
    stoppedEarly ? frames_.keepPartial(job_.inBatch, &error_) : frames_.commit(&error_);
  }
  return error_.empty();
}

std::string RenderOutput::abandon() {
  writers_.abandon();
  closePipeEnd();
  frames_.abandon();
  if (kind_ != OutputKind::Video) return error_;
  videoFile_.abandon();
  return error_.empty() ? error_ : error_ + "; no video was written";
}

const std::string& RenderOutput::placedAt() const {
  if (kind_ == OutputKind::Video) return videoFile_.placedAt();
  return kind_ == OutputKind::PngFolder ? frames_.placedAt() : snapshotPlacedAt_;
}

std::string RenderOutput::doneLine(int64_t frames) const {
  std::string line;
  if (kind_ == OutputKind::Video) line = "wrote " + placedAt() + " (" + std::to_string(frames) + " frames)";
  if (kind_ == OutputKind::PngFolder) line = "wrote " + std::to_string(frames) + " frames to " + job_.output;
  if (kind_ == OutputKind::Snapshot && !placedAt().empty() && placedAt() != job_.output) line = "wrote " + placedAt();
  if (!placedAt().empty() && placedAt() != job_.output && kind_ != OutputKind::PngFolder) {
    line += ": " + job_.output + " was made by something else during the render, and is as it was";
  }
  return line;
}

std::string RenderOutput::secondSignalNote() const {
  if (kind_ == OutputKind::PngFolder) return "stopped at once; the frames written so far are in " + frames_.freshFolder() + "/";
  if (targetWasThere_) return "stopped at once; the unfinished video was removed and " + job_.output + " is as it was";
  return "stopped at once; the unfinished video was removed (nothing was written to " + job_.output + ")";
}

void RenderOutput::closePipeEnd() {
  if (pipeEnd_ >= 0) close(pipeEnd_);
  pipeEnd_ = -1;
}

}  // namespace velmo
