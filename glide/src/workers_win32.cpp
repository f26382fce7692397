// Worker threads with Win32 threads and events (the DLL's toolchain has no
// std::thread), usable on every Windows version a Glide wrapper runs on.
#include "workers.h"

#include <windows.h>

#include <vector>

namespace glide {

int processorCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? int(info.dwNumberOfProcessors) : 1;
}

struct WorkerPool::Workers {
  struct Worker {
    Workers* pool;
    int index;
    HANDLE start;  // auto-reset: one job
    HANDLE thread;
  };
  std::vector<Worker> workers;
  HANDLE done = nullptr;  // auto-reset: the last worker finished
  volatile LONG running = 0;
  volatile LONG stopping = 0;
  void (*job)(void*, int) = nullptr;
  void* context = nullptr;

  static DWORD WINAPI work(LPVOID parameter) {
    Worker& self = *static_cast<Worker*>(parameter);
    Workers& pool = *self.pool;
    for (;;) {
      WaitForSingleObject(self.start, INFINITE);
      if (pool.stopping) return 0;
      pool.job(pool.context, self.index);
      if (InterlockedDecrement(&pool.running) == 0) SetEvent(pool.done);
    }
  }
};

WorkerPool::WorkerPool(int threads) : workers_(new Workers) {
  Workers& w = *workers_;
  w.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!w.done) return;  // the caller draws alone
  w.workers.resize(threads > 1 ? size_t(threads - 1) : 0);
  size_t started = 0;
  for (size_t i = 0; i < w.workers.size(); ++i) {
    Workers::Worker& worker = w.workers[i];
    worker.pool = &w;
    worker.index = int(i) + 1;
    worker.start = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    worker.thread = worker.start ? CreateThread(nullptr, 0, &Workers::work, &worker, 0, nullptr)
                                 : nullptr;
    if (!worker.thread) {
      if (worker.start) CloseHandle(worker.start);
      break;
    }
    ++started;
  }
  // Fewer threads when the system refuses more: the others draw the rest.
  w.workers.resize(started);
}

WorkerPool::~WorkerPool() {
  Workers& w = *workers_;
  InterlockedExchange(&w.stopping, 1);
  for (Workers::Worker& worker : w.workers) SetEvent(worker.start);
  for (Workers::Worker& worker : w.workers) {
    WaitForSingleObject(worker.thread, INFINITE);
    CloseHandle(worker.thread);
    CloseHandle(worker.start);
  }
  if (w.done) CloseHandle(w.done);
}

int WorkerPool::threads() const { return int(workers_->workers.size()) + 1; }

void WorkerPool::start(void (*job)(void*, int), void* context) {
  Workers& w = *workers_;
  w.job = job;
  w.context = context;
  InterlockedExchange(&w.running, LONG(w.workers.size()));
  for (Workers::Worker& worker : w.workers) SetEvent(worker.start);
}

void WorkerPool::finish() {
  Workers& w = *workers_;
  if (w.job) w.job(w.context, 0);
  if (!w.workers.empty()) WaitForSingleObject(w.done, INFINITE);
  w.job = nullptr;
}

}  // namespace glide
