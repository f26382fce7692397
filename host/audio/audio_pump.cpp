// Reading a source ahead, block by block.
#include "audio/audio_pump.h"

#include <utility>

namespace velmo {
namespace {

constexpr size_t kBlockFrames = 4096;
constexpr size_t kHistoryFrames = size_t{1} << 16;

}  // namespace

AudioPump::AudioPump(AudioSource* source, Listener listener)
    : source_(source),
      listener_(std::move(listener)),
      history_(kHistoryFrames),
      block_(kBlockFrames * source->channels()) {}

void AudioPump::readUpTo(int64_t end) {
  while (!ended_ && history_.end() < end) {
    const size_t got = source_->read(block_.data(), kBlockFrames);
    if (got == 0) {
      ended_ = true;
      return;
    }
    history_.push(block_.data(), source_->channels(), got);
    if (listener_ && !listener_(block_.data(), got)) return;
  }
}

}  // namespace velmo
