// Playlist, decoding ahead and the Winamp transport keys.
#include "audio/transport.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "audio/audio_file.h"
#include "audio/demo_track.h"

namespace velmo {
namespace {

constexpr double kQueueSeconds = 0.35;
constexpr size_t kReadFrames = 2048;
constexpr double kSeekSeconds = 5.0;  // Winamp's arrow-key step
constexpr float kVolumeStep = 0.05f;

std::unique_ptr<AudioSource> openEntry(const std::string& path, std::string* error) {
  return path.empty() ? openDemoTrack() : openAudioFile(path, error);
}

}  // namespace

Transport::Transport(std::vector<std::string> playlist, AudioOutput* output)
    : playlist_(std::move(playlist)), output_(output), history_(1 << 17) {
  if (playlist_.empty()) playlist_.push_back("");
}

bool Transport::begin(std::string* error) {
  std::string reasons;
  for (int i = 0; i < static_cast<int>(playlist_.size()); ++i) {
    std::string why;
    if (openTrack(i, &why)) {
      state_ = PlayState::Playing;
      output_->setPaused(false);
      return true;
    }
    reasons += (reasons.empty() ? "" : "\n") + why;
  }
  *error = reasons;
  return false;
}

bool Transport::openTrack(int index, std::string* error) {
  std::unique_ptr<AudioSource> source = openEntry(playlist_[index], error);
  if (!source) return false;
  if (!output_->start(source->sampleRate(), source->channels(), error)) {
    *error = (playlist_[index].empty() ? "demo" : playlist_[index]) + ": " + *error;
    return false;
  }
  source_ = std::move(source);
  index_ = index;
  buffer_.assign(kReadFrames * source_->channels(), 0.0f);
  restartAt(0);
  if (trackListener_) trackListener_();
  return true;
}

bool Transport::openNextReadable(int from, int step) {
  int count = static_cast<int>(playlist_.size());
  for (int i = from; i >= 0 && i < count; i += step) {
    std::string error;
    if (openTrack(i, &error)) return true;
    std::fprintf(stderr, "velmo: skipping %s\n", error.c_str());
  }
  return false;
}

void Transport::restartAt(int64_t frame) {
  if (source_) source_->seek(frame);
  output_->clear();
  history_.reset(frame);
  startFrame_ = frame;
}

void Transport::fill() {
  if (!source_ || state_ != PlayState::Playing) return;
  int channels = source_->channels();
  size_t target = static_cast<size_t>(kQueueSeconds * source_->sampleRate());
  while (output_->queuedFrames() < target) {
    size_t got = source_->read(buffer_.data(), kReadFrames);
    if (got == 0) {
      if (output_->queuedFrames() > 0) return;  // let the tail play out
      if (!openNextReadable(index_ + 1, 1)) {
        stop();
        ended_ = true;
      }
      return;
    }
    history_.push(buffer_.data(), channels, got);
    scaled_.resize(got * channels);
    for (size_t i = 0; i < scaled_.size(); ++i) scaled_[i] = buffer_[i] * volume_;
    output_->queue(scaled_.data(), got);
  }
}

int64_t Transport::heardFrame() {
  if (state_ == PlayState::Stopped) return 0;
  return startFrame_ + output_->heardFrames();
}

std::string Transport::caption() const {
  if (!source_) return "Winamp";
  return hostCaption(trackNumber(), source_->info().artist, source_->info().title);
}

int Transport::sampleRate() const { return source_ ? source_->sampleRate() : 44100; }
int Transport::channels() const { return source_ ? source_->channels() : 2; }

void Transport::play() {
  ended_ = false;
  if (state_ == PlayState::Paused) {
    state_ = PlayState::Playing;
    output_->setPaused(false);
    return;
  }
  // Winamp's play restarts the current track.
  restartAt(0);
  state_ = PlayState::Playing;
  output_->setPaused(false);
}

void Transport::pause() {
  if (state_ == PlayState::Playing) {
    state_ = PlayState::Paused;
    output_->setPaused(true);
  } else if (state_ == PlayState::Paused) {
    play();
  }
}

void Transport::stop() {
  state_ = PlayState::Stopped;
  restartAt(0);
}

void Transport::next() {
  PlayState was = state_;
  if (openNextReadable(index_ + 1, 1) && was != PlayState::Stopped) {
    state_ = PlayState::Playing;
    output_->setPaused(false);
  }
}

void Transport::previous() {
  PlayState was = state_;
  if (openNextReadable(index_ - 1, -1) && was != PlayState::Stopped) {
    state_ = PlayState::Playing;
    output_->setPaused(false);
  }
}

void Transport::seekBy(double seconds) {
  if (!source_ || state_ == PlayState::Stopped) return;
  int64_t target = heardFrame() + static_cast<int64_t>(seconds * source_->sampleRate());
  int64_t length = source_->frameCount();
  if (length >= 0) target = std::min(target, length);
  restartAt(std::max<int64_t>(0, target));
}

void Transport::changeVolume(float step) { volume_ = std::clamp(volume_ + step, 0.0f, 1.0f); }

int Transport::playPositionMs() {
  if (state_ == PlayState::Stopped || !source_) return -1;
  return static_cast<int>(heardFrame() * 1000 / source_->sampleRate());
}

int Transport::trackLengthSeconds() {
  if (!source_ || source_->frameCount() < 0) return -1;
  return static_cast<int>(std::min<int64_t>(source_->frameCount() / source_->sampleRate(), INT_MAX));
}

int Transport::playState() {
  switch (state_) {
    case PlayState::Playing: return 1;
    case PlayState::Paused: return 3;
    default: return 0;
  }
}

void Transport::keyPressed(unsigned virtualKey) {
  switch (virtualKey) {
    case 'Z': previous(); break;
    case 'X': play(); break;
    case 'C':
    case VK_SPACE: pause(); break;
    case 'V': stop(); break;
    case 'B': next(); break;
    case VK_LEFT: seekBy(-kSeekSeconds); break;
    case VK_RIGHT: seekBy(kSeekSeconds); break;
    case VK_UP: changeVolume(kVolumeStep); break;
    case VK_DOWN: changeVolume(-kVolumeStep); break;
    case 'Q': quit_ = true; break;
    default: break;
  }
}

}  // namespace velmo
