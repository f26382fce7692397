// Live capture feed: SDL's capture callback fills a history under a lock.
#include "audio/live_capture.h"

#include <SDL.h>

#include <chrono>
#include <mutex>

namespace velmo {
namespace {

constexpr int kCaptureRate = 44100;
constexpr size_t kSnapshotFrames = 4096;

class LiveCapture : public Feed {
 public:
  LiveCapture() : history_(1 << 16), snapshot_(kSnapshotFrames), frames_(2 * kSnapshotFrames) {}
  ~LiveCapture() override {
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool open(const std::string& name, std::string* error) {
    SDL_AudioSpec want = {};
    want.freq = kCaptureRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = &LiveCapture::captured;
    want.userdata = this;
    device_ = SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 1, &want, &spec_, 0);
    if (!device_) {
      *error = "cannot open the capture device" + (name.empty() ? std::string() : " \"" + name + "\"") +
               ": " + SDL_GetError();
      return false;
    }
    start_ = std::chrono::steady_clock::now();
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void fill() override {
    std::lock_guard<std::mutex> lock(mutex_);
    // The loop reads a copy so the callback never waits for the spectrum.
    int64_t end = history_.end();
    history_.copy(end - kSnapshotFrames, kSnapshotFrames, frames_.data());
    snapshot_.reset(end - kSnapshotFrames);
    snapshot_.push(frames_.data(), 2, kSnapshotFrames);
  }
  bool sounding() override { return true; }
  int64_t heardFrame() override { return snapshot_.end(); }
  bool canLookAhead() const override { return false; }
  const PcmHistory& history() const override { return snapshot_; }
  int sampleRate() const override { return spec_.freq; }
  int channels() const override { return 2; }
  std::string caption() const override { return "1. Live input - Winamp"; }
  bool quitRequested() const override { return quit_; }
  bool ended() const override { return false; }

  int playPositionMs() override {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start_)
                                .count());
  }
  int trackLengthSeconds() override { return -1; }
  int playState() override { return 1; }
  void keyPressed(unsigned virtualKey) override {
    if (virtualKey == 'Q') quit_ = true;
  }
  void closeRequested() override { quit_ = true; }

 private:
  static void SDLCALL captured(void* user, Uint8* stream, int length) {
    LiveCapture* self = static_cast<LiveCapture*>(user);
    std::lock_guard<std::mutex> lock(self->mutex_);
    int channels = self->spec_.channels > 0 ? self->spec_.channels : 2;
    self->history_.push(reinterpret_cast<const float*>(stream), channels,
                        static_cast<size_t>(length) / (sizeof(float) * channels));
  }

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_ = {};
  std::mutex mutex_;
  PcmHistory history_;
  PcmHistory snapshot_;
  std::vector<float> frames_;
  std::chrono::steady_clock::time_point start_;
  bool quit_ = false;
};

// PulseAudio's monitors of the outputs (what the desktop plays) are the
// point of live input; SDL leaves them out unless asked.
bool initCaptureAudio(std::string* error) {
  SDL_SetHint(SDL_HINT_AUDIO_INCLUDE_MONITORS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  *error = std::string("no audio: ") + SDL_GetError();
  return false;
}

}  // namespace

std::vector<std::string> captureDeviceNames(std::string* error) {
  std::vector<std::string> names;
  if (!initCaptureAudio(error)) return names;
  int count = SDL_GetNumAudioDevices(1);
  for (int i = 0; i < count; ++i) {
    if (const char* name = SDL_GetAudioDeviceName(i, 1)) names.push_back(name);
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return names;
}

std::unique_ptr<Feed> openLiveCapture(const std::string& device, std::string* error) {
  if (!initCaptureAudio(error)) return nullptr;
  auto capture = std::make_unique<LiveCapture>();
  if (!capture->open(device, error)) return nullptr;
  return capture;
}

}  // namespace velmo
