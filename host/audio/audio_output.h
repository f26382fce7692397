// Where the player's audio goes: the sound card through SDL2, or, when there
// is none, a silent clock that advances in real time so the picture still
// runs. Either way it says how much has been heard.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace velmo {

class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // Starts afresh for this format; forgets everything queued. False (with
  // `error`) when the device refuses the format.
  virtual bool start(int sampleRate, int channels, std::string* error) = 0;
  // Interleaved float frames in the format given to start().
  virtual void queue(const float* interleaved, size_t frames) = 0;
  // Frames queued but not yet heard.
  virtual size_t queuedFrames() = 0;
  // Frames heard since start() or clear().
  virtual int64_t heardFrames() = 0;
  virtual void setPaused(bool paused) = 0;
  // Drops what is queued (for seeking and stopping); the count restarts at 0.
  virtual void clear() = 0;
};

// The default sound card; null, with `warning` saying why, when there is none.
std::unique_ptr<AudioOutput> openSdlAudioOutput(std::string* warning);
std::unique_ptr<AudioOutput> openSilentAudioOutput();

}  // namespace velmo
