// The ring of frame buffers between drawing and writing.
#include "output/frame_pipeline.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace velmo {
namespace {

// Pipelines with writer threads, for the clean-up at exit; plain atomic
// pointers need no destructor that could run before it.
constexpr int kLiveSlots = 8;
std::atomic<FramePipeline*> livePipelines[kLiveSlots];

void abandonLivePipelines() {
  for (std::atomic<FramePipeline*>& slot : livePipelines) {
    if (FramePipeline* pipeline = slot.exchange(nullptr)) pipeline->abandon();
  }
}

void holdLive(FramePipeline* pipeline) {
  static const bool cleanAtExit = std::atexit(abandonLivePipelines) == 0;
  (void)cleanAtExit;
  for (std::atomic<FramePipeline*>& slot : livePipelines) {
    FramePipeline* empty = nullptr;
    if (slot.compare_exchange_strong(empty, pipeline)) return;
  }
}

void releaseLive(FramePipeline* pipeline) {
  for (std::atomic<FramePipeline*>& slot : livePipelines) {
    FramePipeline* held = pipeline;
    slot.compare_exchange_strong(held, nullptr);
  }
}

}  // namespace

FramePipeline::~FramePipeline() { abandon(); }

void FramePipeline::start(int depth, int writers, FrameWriter writeFrame, SoundWriter writeSound) {
  abandon();
  depth_ = depth;
  writeFrame_ = std::move(writeFrame);
  writeSound_ = std::move(writeSound);
  closing_ = false;
  dropping_ = false;
  failed_ = false;
  error_.clear();
  if (depth_ <= 0) return;
  slots_.resize(depth_);
  free_ = SlotRing{std::vector<int>(depth_)};
  queued_ = SlotRing{std::vector<int>(depth_)};
  for (int slot = 0; slot < depth_; ++slot) free_.push(slot);
  holdLive(this);
  for (int i = 0; i < std::max(1, writers); ++i) writers_.emplace_back(&FramePipeline::runWriter, this);
}

// Makes sure the drawing thread holds a slot to fill, waiting for a free one.
bool FramePipeline::fillingSlot() {
  if (filling_ >= 0) return true;
  std::unique_lock<std::mutex> lock(mutex_);
  slotFreed_.wait(lock, [this] { return free_.count > 0 || failed(); });
  if (failed()) return false;
  filling_ = free_.pop();
  Slot& slot = slots_[filling_];
  slot.frame = Frame();
  slot.sound.clear();
  return true;
}

void FramePipeline::queue(int slot) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.push(slot);
  }
  slotQueued_.notify_one();
}

bool FramePipeline::addSound(const float* stereo, size_t frames) {
  if (frames == 0 || failed()) return !failed();
  if (depth_ <= 0) {
    std::string error;
    if (!writeSound_(stereo, frames, &error)) recordFailure(0, error);
    return !failed();
  }
  if (!fillingSlot()) return false;
  std::vector<float>& sound = slots_[filling_].sound;
  sound.insert(sound.end(), stereo, stereo + 2 * frames);
  return true;
}

bool FramePipeline::addFrame(const Frame& frame, int64_t index) {
  if (failed()) return false;
  if (depth_ <= 0) {
    std::string error;
    if (!writeFrame_(frame, index, &error)) recordFailure(index, error);
    return !failed();
  }
  if (!fillingSlot()) return false;
  Slot& slot = slots_[filling_];
  slot.pixels.resize(static_cast<size_t>(frame.width) * frame.height);
  for (int y = 0; y < frame.height; ++y) {
    std::memcpy(&slot.pixels[static_cast<size_t>(y) * frame.width], frame.pixels + static_cast<size_t>(y) * frame.stride,
                frame.width * sizeof(uint32_t));
  }
  slot.frame = Frame{slot.pixels.data(), frame.width, frame.height, frame.width};
  slot.index = index;
  queue(filling_);
  filling_ = -1;
  return true;
}

void FramePipeline::runWriter() {
  for (;;) {
    int taken;
    bool wanted;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      slotQueued_.wait(lock, [this] { return queued_.count > 0 || closing_; });
      if (queued_.count == 0) return;
      taken = queued_.pop();
      // After a failure only the frames before it are still written (a later
      // one may have failed first on another writer); the rest is handed back,
      // so the drawing thread never waits for ever.
      wanted = !dropping_ && (!failed() || slots_[taken].index < failedIndex_);
    }
    if (wanted) write(slots_[taken]);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      free_.push(taken);
    }
    slotFreed_.notify_one();
  }
}

void FramePipeline::write(Slot& slot) {
  std::string error;
  const bool written = (slot.sound.empty() || writeSound_(slot.sound.data(), slot.sound.size() / 2, &error)) &&
                       (!slot.frame.pixels || writeFrame_(slot.frame, slot.index, &error));
  if (!written) recordFailure(slot.index, error);
}

void FramePipeline::recordFailure(int64_t index, const std::string& error) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // Writers finish out of order; the earliest frame's error is the one to tell.
    if (!failed() || index < failedIndex_) {
      failedIndex_ = index;
      error_ = error;
    }
    failed_.store(true, std::memory_order_release);
  }
  slotFreed_.notify_all();
}

bool FramePipeline::finish(std::string* error) {
  if (filling_ >= 0) {
    // Sound after the last frame: the end of a video's track.
    slots_[filling_].index = INT64_MAX;
    queue(filling_);
    filling_ = -1;
  }
  endWriters();
  if (failed()) *error = error_;
  return !failed();
}

void FramePipeline::abandon() {
  dropping_ = true;
  endWriters();
  filling_ = -1;
}

void FramePipeline::endWriters() {
  std::vector<std::thread> writers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    writers.swap(writers_);
  }
  slotQueued_.notify_all();
  for (std::thread& writer : writers) {
    // A writer that ends the process itself cannot wait for its own end.
    if (writer.get_id() == std::this_thread::get_id()) {
      writer.detach();
    } else {
      writer.join();
    }
  }
  if (!writers.empty()) releaseLive(this);
}

}  // namespace velmo
