// The most recent stretch of audio, as stereo frames with absolute indices,
// so the spectrum can be taken around any moment still held.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmo {

// Interleaved frames of `channels` channels to interleaved stereo: mono is
// doubled, channels beyond the second are dropped.
void toStereo(const float* interleaved, int channels, size_t frames, float* stereo);

class PcmHistory {
 public:
  explicit PcmHistory(size_t capacityFrames);
  // Forgets everything; the next frame pushed gets index `nextFrame`.
  void reset(int64_t nextFrame);
  // Appends frames of `channels` interleaved channels: mono is doubled,
  // channels beyond the second are dropped.
  void push(const float* interleaved, int channels, size_t frames);
  // Index of the frame the next push will add.
  int64_t end() const { return end_; }
  // Writes frames [first, first + count) as interleaved stereo; any frame not
  // held (too old, not yet pushed, before the reset) reads as silence.
  void copy(int64_t first, size_t count, float* stereo) const;

 private:
  size_t slotOf(int64_t frame) const;

  std::vector<float> ring_;  // capacity_ stereo frames
  size_t capacity_;
  int64_t start_ = 0;  // first frame pushed since the reset
  int64_t end_ = 0;
};

}  // namespace velmo
