// Frames and sound into a video file, PNG frames or a snapshot.
#include "commands/render_output.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

#include "audio/pcm_history.h"
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

// The same file, however named (links, hard links, "./").
bool sameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

// What the AAC encoder refuses (NaN, far out of range) would end the render;
// the spectrum has already read such samples as 0 or full scale.
void keepInRange(float* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const float sample = samples[i];
    samples[i] = std::isnan(sample) ? 0.0f : std::clamp(sample, -1.0f, 1.0f);
  }
}

std::string frameName(int64_t index) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%06lld.png", static_cast<long long>(index));
  return name;
}

}  // namespace

OutputKind chooseOutputKind(const RenderJob& job) {
  if (job.snapshotAt >= 0) return OutputKind::Snapshot;
  if (job.png || isFolder(job.output) || (!job.output.empty() && job.output.back() == '/')) return OutputKind::PngFolder;
  return OutputKind::Video;
}

RenderOutput::RenderOutput(const RenderJob& job, OutputKind kind) : job_(job), kind_(kind) {}

bool RenderOutput::check(std::string* error) const {
  if (!job_.input.empty() && sameFile(job_.input, job_.output)) {
    *error = job_.output + ": is the file being read; name another output";
    return false;
  }
  if (kind_ == OutputKind::Video && !videoFormatUsable(job_.output, error)) return false;
  return job_.force || !replacesEarlierOutput(error);
}

bool RenderOutput::replacesEarlierOutput(std::string* error) const {
  // Devices and pipes (/dev/null) hold nothing to lose.
  struct stat st;
  if (kind_ == OutputKind::PngFolder) {
    const std::string first = job_.output + (job_.output.back() == '/' ? "" : "/") + frameName(0);
    if (stat(first.c_str(), &st) != 0) return false;
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
  if (kind_ == OutputKind::PngFolder) {
    if (!isFolder(job_.output) && mkdir(job_.output.c_str(), 0777) != 0) {
      *error = job_.output + ": cannot create the folder (" + std::strerror(errno) + ")";
      return false;
    }
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
      return writePng(job_.output + "/" + frameName(index), frame, error);
    }
    case OutputKind::Snapshot:
      snapshotWritten_ = writePng(job_.output, frame, error);
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

bool RenderOutput::finish() {
  releaseAudio(INT64_MAX);
  if (!writers_.finish(&error_)) return false;
  if (kind_ == OutputKind::Video && encoder_.finish(&error_)) videoFile_.commit(&error_);
  return error_.empty();
}

std::string RenderOutput::abandon() {
  writers_.abandon();
  if (kind_ != OutputKind::Video) return error_;
  videoFile_.abandon();
  return error_.empty() ? error_ : error_ + "; no video was written";
}

std::string RenderOutput::doneLine(int64_t frames) const {
  if (kind_ == OutputKind::Video) return "wrote " + job_.output + " (" + std::to_string(frames) + " frames)";
  if (kind_ == OutputKind::PngFolder) return "wrote " + std::to_string(frames) + " frames to " + job_.output;
  return "";
}

}  // namespace velmo
