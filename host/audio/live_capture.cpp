// Live capture feed: SDL's capture callback fills a history under a lock;
// the desktop's player, when one is followed, names the song and its time.
#include "audio/live_capture.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <mutex>

#include "audio/sound_server.h"

namespace velmo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCaptureRate = 44100;
constexpr size_t kSnapshotFrames = 4096;

class LiveCapture : public Feed {
 public:
  explicit LiveCapture(std::unique_ptr<PlayerWatch> player)
      : player_(std::move(player)), history_(1 << 16), snapshot_(kSnapshotFrames), frames_(2 * kSnapshotFrames) {}
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
    start_ = Clock::now();
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
  std::string caption() const override {
    const NowPlaying playing = nowPlaying();
    if (!playing.present || playing.title.empty()) return hostCaption(1, "", "Live input");
    return hostCaption(playing.trackNumber, playing.artist, playing.title);
  }
  bool quitRequested() const override { return quit_; }
  bool ended() const override { return false; }

  // Without a player, the time since velmo started, always playing.
  int playPositionMs() override {
    const Clock::time_point now = Clock::now();
    const NowPlaying playing = nowPlaying();
    if (!playing.present) return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count());
    if (playing.state == PlayerState::Stopped) return -1;
    return static_cast<int>(std::min<int64_t>(playing.positionNowUs(now) / 1000, INT_MAX));
  }
  int trackLengthSeconds() override {
    const NowPlaying playing = nowPlaying();
    if (!playing.present || playing.lengthUs < 0) return -1;
    return static_cast<int>(std::min<int64_t>(playing.lengthUs / 1000000, INT_MAX));
  }
  int playState() override {
    const NowPlaying playing = nowPlaying();
    if (!playing.present || playing.state == PlayerState::Playing) return 1;
    return playing.state == PlayerState::Paused ? 3 : 0;
  }
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

  NowPlaying nowPlaying() const { return player_ ? player_->now() : NowPlaying(); }

  std::unique_ptr<PlayerWatch> player_;
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_ = {};
  std::mutex mutex_;
  PcmHistory history_;
  PcmHistory snapshot_;
  std::vector<float> frames_;
  Clock::time_point start_;
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

std::vector<CaptureDevice> captureDevices(std::string* error) {
  std::vector<CaptureDevice> devices;
  if (!initCaptureAudio(error)) return devices;
  SoundServerSources server;
  askSoundServer(&server);
  const int count = SDL_GetNumAudioDevices(1);
  for (int i = 0; i < count; ++i) {
    const char* name = SDL_GetAudioDeviceName(i, 1);
    if (!name) continue;
    CaptureDevice device;
    device.name = name;
    device.monitor = server.monitors.count(name) > 0;
    device.chosen = !server.defaultOutputMonitor.empty() && name == server.defaultOutputMonitor;
    device.defaultInput = name == server.defaultInput;
    devices.push_back(device);
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return devices;
}

std::string describeCaptureDevice(const CaptureDevice& device) {
  std::string marks;
  if (device.monitor) marks = "monitor";
  if (device.chosen) marks += std::string(marks.empty() ? "" : ", ") + "default";
  if (device.defaultInput && !device.chosen) marks += std::string(marks.empty() ? "" : ", ") + "default input";
  return marks.empty() ? device.name : device.name + " (" + marks + ")";
}

std::string captureDeviceToUse(const std::string& requested, std::string* description) {
  std::string error;
  const std::vector<CaptureDevice> devices = captureDevices(&error);
  for (const CaptureDevice& device : devices) {
    if (requested.empty() ? device.chosen : device.name == requested) {
      *description = describeCaptureDevice(device);
      return device.name;
    }
  }
  *description = requested.empty() ? "the default input" : requested;
  return requested;
}

std::unique_ptr<Feed> openLiveCapture(const std::string& device, std::unique_ptr<PlayerWatch> player,
                                      std::string* error) {
  if (!initCaptureAudio(error)) return nullptr;
  auto capture = std::make_unique<LiveCapture>(std::move(player));
  if (!capture->open(device, error)) return nullptr;
  return capture;
}

}  // namespace velmo
