// The worker pool's hand-offs: every thread runs each job once, the caller
// as thread 0, what the workers wrote is seen when finish() returns, and
// thousands of jobs in a row lose no wake-up.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "glide/src/workers.h"

namespace {

struct Calls {
  std::mutex mutex;
  std::multiset<int> threads;
  std::thread::id callerId, zeroId;
  int written[8] = {};  // by each thread, read after finish()

  static void job(void* context, int thread) {
    auto& calls = *static_cast<Calls*>(context);
    calls.written[thread] = thread + 100;
    std::lock_guard<std::mutex> lock(calls.mutex);
    calls.threads.insert(thread);
    if (thread == 0) calls.zeroId = std::this_thread::get_id();
  }
};

TEST(WorkerPool, RunsTheJobOnceOnEveryThreadWithTheCallerAsThreadZero) {
  glide::WorkerPool pool(4);
  ASSERT_EQ(pool.threads(), 4);
  Calls calls;
  pool.run(Calls::job, &calls);
  EXPECT_EQ(calls.threads, (std::multiset<int>{0, 1, 2, 3}));
  EXPECT_EQ(calls.zeroId, std::this_thread::get_id());
  for (int t = 0; t < 4; ++t) EXPECT_EQ(calls.written[t], t + 100);
}

TEST(WorkerPool, StartedJobsFinishInOrderWithoutALostWakeUp) {
  glide::WorkerPool pool(3);
  std::atomic<long> total{0};
  auto add = [](void* context, int thread) {
    static_cast<std::atomic<long>*>(context)->fetch_add(thread + 1, std::memory_order_relaxed);
  };
  for (int job = 0; job < 5000; ++job) {
    pool.start(add, &total);
    if (job % 2) std::this_thread::yield();  // the caller busy with something else meanwhile
    pool.finish();
    ASSERT_EQ(total.load(), 6L * (job + 1)) << "job " << job;  // 1 + 2 + 3 per job
  }
}

TEST(WorkerPool, OneThreadIsTheCallerAlone) {
  glide::WorkerPool pool(1);
  EXPECT_EQ(pool.threads(), 1);
  Calls calls;
  pool.run(Calls::job, &calls);
  EXPECT_EQ(calls.threads, (std::multiset<int>{0}));
}

}  // namespace
