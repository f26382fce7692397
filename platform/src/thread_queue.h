// Internal: one message queue per thread, made on first use, as user32 does.
//
// A queue holds posted messages, the sent messages waiting for this thread to
// process them, the quit flag and the thread's focus and active windows.
#ifndef VELMO_WIN32_THREAD_QUEUE_H
#define VELMO_WIN32_THREAD_QUEUE_H

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace velmo_win32 {

struct ThreadQueue;

// A message sent from another thread. The sender waits on its own queue until
// done is set; result and done are guarded by the sender's queue mutex.
struct SentMessage {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
};

struct ThreadQueue {
  DWORD threadId = 0;
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> incoming;
  bool quitPending = false;
  int quitCode = 0;
  bool alive = true;
  unsigned long long changes = 0;  // bumped by every post, so waiters notice news
  // Guarded by registryMutex(): other threads show and activate windows too.
  HWND focus = nullptr;
  HWND active = nullptr;
  // Owning thread only.
  int receivingSent = 0;
  bool shiftDown = false;
};

// The calling thread's queue, created on first use.
std::shared_ptr<ThreadQueue> currentQueue();
// The queue of a live thread that has one, else null.
std::shared_ptr<ThreadQueue> queueOf(DWORD threadId);

// Runs every message other threads have sent to this one. Returns whether
// any was run.
bool processIncomingSent(ThreadQueue& queue);

// Drops posted messages for a window that is going away.
void discardPostedFor(HWND window, DWORD threadId);

}  // namespace velmo_win32

#endif
