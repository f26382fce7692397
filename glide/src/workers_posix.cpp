// Worker threads with the C++ standard library's threads.
#include "workers.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace glide {

int processorCount() {
  const unsigned count = std::thread::hardware_concurrency();
  return count > 0 ? int(count) : 1;
}

struct WorkerPool::Workers {
  std::mutex mutex;
  std::condition_variable wake, done;
  uint64_t generation = 0;  // counts jobs handed out
  int running = 0;          // workers still in the current job
  bool stopping = false;
  void (*job)(void*, int) = nullptr;
  void* context = nullptr;
  std::vector<std::thread> threads;

  void work(int index) {
    uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      wake.wait(lock, [&] { return stopping || generation != seen; });
      if (stopping) return;
      seen = generation;
      void (*const current)(void*, int) = job;
      void* const currentContext = context;
      lock.unlock();
      current(currentContext, index);
      lock.lock();
      if (--running == 0) done.notify_one();
    }
  }
};

WorkerPool::WorkerPool(int threads) : workers_(new Workers) {
  try {
    for (int i = 1; i < threads; ++i) workers_->threads.emplace_back(&Workers::work, workers_.get(), i);
  } catch (const std::exception&) {
    // Fewer threads when the system refuses more: the others draw the rest.
  }
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard<std::mutex> lock(workers_->mutex);
    workers_->stopping = true;
  }
  workers_->wake.notify_all();
  for (std::thread& thread : workers_->threads) thread.join();
}

int WorkerPool::threads() const { return int(workers_->threads.size()) + 1; }

void WorkerPool::start(void (*job)(void*, int), void* context) {
  Workers& w = *workers_;
  {
    std::lock_guard<std::mutex> lock(w.mutex);
    w.job = job;
    w.context = context;
    w.running = int(w.threads.size());
    ++w.generation;
  }
  w.wake.notify_all();
}

void WorkerPool::finish() {
  Workers& w = *workers_;
  void (*job)(void*, int);
  void* context;
  {
    std::lock_guard<std::mutex> lock(w.mutex);
    job = w.job;
    context = w.context;
  }
  if (job) job(context, 0);
  std::unique_lock<std::mutex> lock(w.mutex);
  w.done.wait(lock, [&] { return w.running == 0; });
  w.job = nullptr;
}

}  // namespace glide
