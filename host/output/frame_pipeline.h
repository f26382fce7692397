// Frames on their way from the thread that draws them to the threads that
// write them out, so that drawing the next frame overlaps converting and
// encoding (or compressing) this one. A fixed ring of frame buffers: the
// drawing thread copies each frame into a free buffer, waiting only when all
// are taken; one writer thread empties them in order (a video: its sound and
// frames in the order given), or several at once (PNG files, each its own).
// Nothing is allocated per frame once every buffer has held a frame and the
// most sound that comes between two frames.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "output/frame.h"

namespace velmo {

class FramePipeline {
 public:
  // What a writer does with a frame or a block of interleaved stereo sound;
  // false, with `error`, stops the pipeline. Called on the writer threads
  // (on the caller's with depth 0).
  using FrameWriter = std::function<bool(const Frame& frame, int64_t index, std::string* error)>;
  using SoundWriter = std::function<bool(const float* stereo, size_t frames, std::string* error)>;

  FramePipeline() = default;
  ~FramePipeline();  // abandon()
  FramePipeline(const FramePipeline&) = delete;
  FramePipeline& operator=(const FramePipeline&) = delete;

  // `depth` frame buffers emptied by `writers` threads. Depth 0: no buffer and
  // no thread, everything is written at once on the calling thread. Sound is
  // for a single writer, which keeps it in order with the frames.
  void start(int depth, int writers, FrameWriter writeFrame, SoundWriter writeSound = nullptr);

  // Sound that comes before the next frame. False once a write has failed.
  bool addSound(const float* stereo, size_t frames);
  // Copies `frame` into a free buffer (waiting for one) and queues it. False
  // once a write has failed: the caller can stop drawing.
  bool addFrame(const Frame& frame, int64_t index);
  bool failed() const { return failed_.load(std::memory_order_acquire); }

  // Writes everything queued, then ends the threads. False, with the error of
  // the earliest frame whose write failed, when any did.
  bool finish(std::string* error);
  // Ends the threads, dropping what is queued (a write under way completes).
  // Runs at exit as well, for a plug-in that ends the process mid-render, so
  // that no writer is left encoding while the process comes down.
  void abandon();

 private:
  struct Slot {
    std::vector<uint32_t> pixels;
    Frame frame;  // into `pixels`; no pixels: a block of sound only
    int64_t index = 0;
    std::vector<float> sound;  // written before the frame
  };
  // Slot numbers in first-in, first-out order, in storage taken once.
  struct SlotRing {
    std::vector<int> slots;
    size_t head = 0, count = 0;
    void push(int slot) { slots[(head + count++) % slots.size()] = slot; }
    int pop() {
      const int slot = slots[head];
      head = (head + 1) % slots.size();
      --count;
      return slot;
    }
  };

  bool fillingSlot();
  void queue(int slot);
  void runWriter();
  void write(Slot& slot);
  void recordFailure(int64_t index, const std::string& error);
  void endWriters();

  int depth_ = 0;
  FrameWriter writeFrame_;
  SoundWriter writeSound_;
  std::vector<Slot> slots_;
  std::vector<std::thread> writers_;
  int filling_ = -1;  // the slot the drawing thread is filling, owned by it

  std::mutex mutex_;  // guards the rings, the flags below and the error
  std::condition_variable slotFreed_, slotQueued_;
  SlotRing free_, queued_;
  bool closing_ = false;  // no more slots come: writers end when the queue is empty
  std::atomic<bool> dropping_{false};
  std::atomic<bool> failed_{false};
  int64_t failedIndex_ = 0;
  std::string error_;
};

}  // namespace velmo
