// Worker threads that run one job together with the calling thread: the
// drawing of a bin's tiles. Hand-offs go through the pool alone; no lock is
// held while a job runs.
#pragma once

#include <memory>

namespace glide {

// Processors this machine offers (at least 1).
int processorCount();

class WorkerPool {
 public:
  // threads - 1 workers; the caller of run() is the other one.
  explicit WorkerPool(int threads);
  // Stops and joins the workers.
  ~WorkerPool();
  WorkerPool(const WorkerPool &) = delete;
  WorkerPool &operator=(const WorkerPool &) = delete;

  int threads() const;
  // Calls job(context, t) for t = 0 .. threads() - 1, t = 0 on the calling
  // thread, the others at the same time on the workers, and returns when
  // every call has returned. What the calls wrote is then visible here.
  void run(void (*job)(void *context, int thread), void *context);

 private:
  struct Workers;
  std::unique_ptr<Workers> workers_;
};

}  // namespace glide
