// A stand-in for the sound card: nothing is played, time passes as it would.
#include <algorithm>
#include <chrono>

#include "audio/audio_output.h"

namespace velmo {
namespace {

using Clock = std::chrono::steady_clock;

class SilentAudioOutput : public AudioOutput {
 public:
  bool start(int sampleRate, int, std::string*) override {
    rate_ = sampleRate;
    clear();
    return true;
  }
  void queue(const float*, size_t frames) override { queued_ += static_cast<int64_t>(frames); }
  size_t queuedFrames() override { return static_cast<size_t>(queued_ - heardFrames()); }
  int64_t heardFrames() override {
    double seconds = heardBefore_;
    if (!paused_) seconds += std::chrono::duration<double>(Clock::now() - since_).count();
    return std::min(queued_, static_cast<int64_t>(seconds * rate_));
  }
  void setPaused(bool paused) override {
    if (paused == paused_) return;
    if (paused) heardBefore_ += std::chrono::duration<double>(Clock::now() - since_).count();
    since_ = Clock::now();
    paused_ = paused;
  }
  void clear() override {
    queued_ = 0;
    heardBefore_ = 0;
    since_ = Clock::now();
  }

 private:
  int rate_ = 44100;
  int64_t queued_ = 0;
  double heardBefore_ = 0;
  Clock::time_point since_ = Clock::now();
  bool paused_ = false;
};

}  // namespace

std::unique_ptr<AudioOutput> openSilentAudioOutput() { return std::make_unique<SilentAudioOutput>(); }

}  // namespace velmo
