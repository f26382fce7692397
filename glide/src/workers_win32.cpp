// Worker threads with Win32 threads (the DLL's toolchain has no std::thread).
// Hand-offs wait on an address (Windows 8 and later, and Wine), which wakes
// a thread without a trip through the kernel's objects; where the system has
// no such call, on every older Windows a Glide wrapper runs on, on events.
#include "workers.h"

#include <windows.h>

#include <vector>

namespace glide {

namespace {

using WaitOnAddressCall = BOOL(WINAPI*)(volatile VOID*, PVOID, SIZE_T, DWORD);
using WakeByAddressCall = void(WINAPI*)(PVOID);

struct AddressWaits {
  WaitOnAddressCall wait = nullptr;
  WakeByAddressCall wakeOne = nullptr;
  WakeByAddressCall wakeAll = nullptr;
};

AddressWaits findAddressWaits() {
  AddressWaits calls;
  HMODULE system = GetModuleHandleA("kernelbase.dll");
  if (!system) return calls;
  calls.wait = reinterpret_cast<WaitOnAddressCall>(reinterpret_cast<void*>(GetProcAddress(system, "WaitOnAddress")));
  calls.wakeOne =
      reinterpret_cast<WakeByAddressCall>(reinterpret_cast<void*>(GetProcAddress(system, "WakeByAddressSingle")));
  calls.wakeAll =
      reinterpret_cast<WakeByAddressCall>(reinterpret_cast<void*>(GetProcAddress(system, "WakeByAddressAll")));
  if (!calls.wait || !calls.wakeOne || !calls.wakeAll) calls = AddressWaits{};
  return calls;
}

// A read that no load after it moves above.
LONG readAcquire(volatile LONG* value) { return InterlockedCompareExchange(value, 0, 0); }

}  // namespace

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
  volatile LONG jobs = 0;  // jobs started, for the address waits
  void (*job)(void*, int) = nullptr;
  void* context = nullptr;
  AddressWaits addressWaits = findAddressWaits();

  bool waitOnAddresses() const { return addressWaits.wait != nullptr; }

  static DWORD WINAPI work(LPVOID parameter) {
    Worker& self = *static_cast<Worker*>(parameter);
    Workers& pool = *self.pool;
    LONG seen = 0;
    for (;;) {
      if (pool.waitOnAddresses()) {
        LONG now;
        while ((now = readAcquire(&pool.jobs)) == seen) pool.addressWaits.wait(&pool.jobs, &seen, sizeof seen, INFINITE);
        seen = now;
      } else {
        WaitForSingleObject(self.start, INFINITE);
      }
      if (pool.stopping) return 0;
      pool.job(pool.context, self.index);
      if (InterlockedDecrement(&pool.running) == 0) {
        if (pool.waitOnAddresses()) {
          pool.addressWaits.wakeOne(const_cast<LONG*>(&pool.running));
        } else {
          SetEvent(pool.done);
        }
      }
    }
  }

  // Every worker looks at its job.
  void wakeWorkers() {
    if (waitOnAddresses()) {
      InterlockedIncrement(&jobs);
      addressWaits.wakeAll(const_cast<LONG*>(&jobs));
    } else {
      for (Worker& worker : workers) SetEvent(worker.start);
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
  w.wakeWorkers();
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
  w.wakeWorkers();
}

void WorkerPool::finish() {
  Workers& w = *workers_;
  if (w.job) w.job(w.context, 0);
  if (w.waitOnAddresses()) {
    LONG now;
    while ((now = readAcquire(&w.running)) != 0) w.addressWaits.wait(&w.running, &now, sizeof now, INFINITE);
  } else if (!w.workers.empty()) {
    WaitForSingleObject(w.done, INFINITE);
  }
  w.job = nullptr;
}

}  // namespace glide
