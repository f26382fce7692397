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
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  int threads() const;
  // Starts job(context, t) on the workers, t = 1 .. threads() - 1, and
  // returns at once. One job at a time: finish() it before the next.
  void start(void (*job)(void* context, int thread), void* context);
  // Calls the started job with t = 0 on the calling thread (the job shares
  // out its work, so the caller helps with what is left) and returns when
  // every call has returned. What the calls wrote is then visible here.
  void finish();
  // start() and finish().
  void run(void (*job)(void* context, int thread), void* context) {
    start(job, context);
    finish();
  }

 private:
  struct Workers;
  std::unique_ptr<Workers> workers_;
};

}  // namespace glide
