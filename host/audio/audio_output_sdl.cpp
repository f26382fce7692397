// Audio output through an SDL2 device fed with SDL_QueueAudio.
#include <SDL.h>

#include <algorithm>
#include <vector>

#include "audio/audio_output.h"

namespace velmo {
namespace {

class SdlAudioOutput : public AudioOutput {
 public:
  ~SdlAudioOutput() override {
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  bool start(int sampleRate, int channels, std::string* error) override {
    if (device_ && sampleRate == spec_.freq && channels == spec_.channels) {
      clear();
      return true;
    }
    if (device_) SDL_CloseAudioDevice(device_);
    SDL_AudioSpec want = {};
    want.freq = sampleRate;
    want.format = AUDIO_F32SYS;
    want.channels = static_cast<Uint8>(std::min(channels, 8));
    want.samples = 1024;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &spec_, 0);
    if (!device_) {
      *error = std::string("cannot open the sound card: ") + SDL_GetError();
      return false;
    }
    channels_ = channels;
    queued_ = 0;
    SDL_PauseAudioDevice(device_, paused_ ? 1 : 0);
    return true;
  }

  void queue(const float* interleaved, size_t frames) override {
    if (!device_ || frames == 0) return;
    if (channels_ == spec_.channels) {
      SDL_QueueAudio(device_, interleaved, static_cast<Uint32>(frames * channels_ * sizeof(float)));
    } else {
      // More than 8 channels: keep the first eight.
      scratch_.resize(frames * spec_.channels);
      for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < spec_.channels; ++c) scratch_[i * spec_.channels + c] = interleaved[i * channels_ + c];
      SDL_QueueAudio(device_, scratch_.data(), static_cast<Uint32>(scratch_.size() * sizeof(float)));
    }
    queued_ += static_cast<int64_t>(frames);
  }

  size_t queuedFrames() override {
    if (!device_) return 0;
    return SDL_GetQueuedAudioSize(device_) / (sizeof(float) * spec_.channels);
  }

  int64_t heardFrames() override {
    // What has left the queue still sits in the device's own buffer.
    int64_t heard = queued_ - static_cast<int64_t>(queuedFrames()) - spec_.samples;
    return std::max<int64_t>(0, heard);
  }

  void setPaused(bool paused) override {
    paused_ = paused;
    if (device_) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
  }

  void clear() override {
    if (device_) SDL_ClearQueuedAudio(device_);
    queued_ = 0;
  }

 private:
  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec spec_ = {};
  int channels_ = 0;
  int64_t queued_ = 0;
  bool paused_ = false;
  std::vector<float> scratch_;
};

}  // namespace

std::unique_ptr<AudioOutput> openSdlAudioOutput(std::string* warning) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *warning = std::string("no sound: ") + SDL_GetError();
    return nullptr;
  }
  // Try the device once now, so a machine without one is told at the start.
  auto output = std::make_unique<SdlAudioOutput>();
  std::string error;
  if (!output->start(44100, 2, &error)) {
    *warning = "no sound: " + error;
    return nullptr;
  }
  return output;
}

}  // namespace velmo
