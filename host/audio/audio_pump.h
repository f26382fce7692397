// Reads a source ahead into a history, from which the spectrum of any moment
// read so far can be taken, and hands every block read on to a listener (a
// video's sound track) as it goes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/audio_source.h"
#include "audio/pcm_history.h"

namespace velmo {

class AudioPump {
 public:
  // Gets each block as read: `frames` interleaved frames of the source's
  // channels. Returns false to stop the pump (the listener failed).
  using Listener = std::function<bool(const float* interleaved, size_t frames)>;

  AudioPump(AudioSource* source, Listener listener);

  // Reads until the history holds every frame before `end`, the source ends
  // or the listener refuses a block.
  void readUpTo(int64_t end);
  bool ended() const { return ended_; }
  const PcmHistory& history() const { return history_; }

 private:
  AudioSource* source_;
  Listener listener_;
  PcmHistory history_;
  std::vector<float> block_;
  bool ended_ = false;
};

}  // namespace velmo
