// No worker threads in the web page: it runs without shared-memory threads
// (they need special server headers). With one processor the renderer takes
// the direct path; a pool asked for more threads has no workers, and the
// caller runs each job alone.
#include "workers.h"

namespace glide {

int processorCount() { return 1; }

struct WorkerPool::Workers {
  void (*job)(void*, int) = nullptr;
  void* context = nullptr;
};

WorkerPool::WorkerPool(int) : workers_(new Workers) {}

WorkerPool::~WorkerPool() = default;

int WorkerPool::threads() const { return 1; }

void WorkerPool::start(void (*job)(void*, int), void* context) {
  workers_->job = job;
  workers_->context = context;
}

void WorkerPool::finish() {
  Workers& w = *workers_;
  if (w.job) w.job(w.context, 0);
  w.job = nullptr;
}

}  // namespace glide
