// Ring buffer of recent stereo frames.
#include "audio/pcm_history.h"

#include <algorithm>

namespace velmo {

void toStereo(const float* interleaved, int channels, size_t frames, float* stereo) {
  for (size_t i = 0; i < frames; ++i) {
    const float* in = interleaved + i * channels;
    stereo[2 * i] = in[0];
    stereo[2 * i + 1] = channels > 1 ? in[1] : in[0];
  }
}

PcmHistory::PcmHistory(size_t capacityFrames)
    : ring_(capacityFrames * 2, 0.0f), capacity_(capacityFrames) {}

size_t PcmHistory::slotOf(int64_t frame) const {
  // Frame numbers may be negative (a window reaching before the start).
  int64_t capacity = static_cast<int64_t>(capacity_);
  return static_cast<size_t>(((frame % capacity) + capacity) % capacity) * 2;
}

void PcmHistory::reset(int64_t nextFrame) {
  start_ = end_ = nextFrame;
  std::fill(ring_.begin(), ring_.end(), 0.0f);
}

void PcmHistory::push(const float* interleaved, int channels, size_t frames) {
  for (size_t i = 0; i < frames; ++i) {
    size_t slot = slotOf(end_);
    toStereo(interleaved + i * channels, channels, 1, &ring_[slot]);
    ++end_;
  }
}

void PcmHistory::copy(int64_t first, size_t count, float* stereo) const {
  int64_t oldest = std::max(start_, end_ - static_cast<int64_t>(capacity_));
  for (size_t i = 0; i < count; ++i) {
    int64_t frame = first + static_cast<int64_t>(i);
    if (frame < oldest || frame >= end_) {
      stereo[2 * i] = stereo[2 * i + 1] = 0.0f;
      continue;
    }
    size_t slot = slotOf(frame);
    stereo[2 * i] = ring_[slot];
    stereo[2 * i + 1] = ring_[slot + 1];
  }
}

}  // namespace velmo
