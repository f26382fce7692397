// Per-thread message queues and the delivery of messages sent across threads.
#include "thread_queue.h"

#include "window_registry.h"

#include <algorithm>
#include <unordered_map>

namespace velmo_win32 {
namespace {

// Leaked on purpose: threads may still use it while the process exits.
struct QueueTable {
  std::mutex mutex;
  std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
};

QueueTable& queueTable() {
  static QueueTable* table = new QueueTable;
  return *table;
}

void completeSent(SentMessage& sent, LRESULT result) {
  std::lock_guard<std::mutex> lock(sent.sender->mutex);
  sent.result = result;
  sent.done = true;
  sent.sender->wake.notify_all();
}

void forgetWindowsOfThread(DWORD threadId) {
  for (const WindowPtr& window : allWindows()) {
    if (window->threadId == threadId) removeWindow(window->handle);
  }
}

// When a thread ends, its windows go with it, and whoever waits on a message
// sent to it is released with 0, as on Win32.
struct QueueOwner {
  std::shared_ptr<ThreadQueue> queue;
  ~QueueOwner() {
    if (!queue) return;
    std::deque<std::shared_ptr<SentMessage>> orphans;
    {
      std::lock_guard<std::mutex> lock(queue->mutex);
      queue->alive = false;
      orphans.swap(queue->incoming);
    }
    for (auto& sent : orphans) completeSent(*sent, 0);
    {
      auto& table = queueTable();
      std::lock_guard<std::mutex> lock(table.mutex);
      table.queues.erase(queue->threadId);
    }
    forgetWindowsOfThread(queue->threadId);
  }
};

}  // namespace

std::shared_ptr<ThreadQueue> currentQueue() {
  thread_local QueueOwner owner;
  if (!owner.queue) {
    auto queue = std::make_shared<ThreadQueue>();
    queue->threadId = GetCurrentThreadId();
    auto& table = queueTable();
    std::lock_guard<std::mutex> lock(table.mutex);
    table.queues[queue->threadId] = queue;
    owner.queue = queue;
  }
  return owner.queue;
}

std::shared_ptr<ThreadQueue> queueOf(DWORD threadId) {
  auto& table = queueTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto found = table.queues.find(threadId);
  if (found == table.queues.end()) return nullptr;
  auto queue = found->second.lock();
  if (!queue || !queue->alive) return nullptr;
  return queue;
}

bool processIncomingSent(ThreadQueue& queue) {
  bool ran = false;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      std::lock_guard<std::mutex> lock(queue.mutex);
      if (queue.incoming.empty()) return ran;
      sent = queue.incoming.front();
      queue.incoming.pop_front();
    }
    ++queue.receivingSent;
    const LRESULT result =
        callProcedure(sent->window, sent->message, sent->wParam, sent->lParam);
    --queue.receivingSent;
    completeSent(*sent, result);
    ran = true;
  }
}

void discardPostedFor(HWND window, DWORD threadId) {
  auto queue = queueOf(threadId);
  if (!queue) return;
  std::lock_guard<std::mutex> lock(queue->mutex);
  auto& posted = queue->posted;
  posted.erase(std::remove_if(posted.begin(), posted.end(),
                              [window](const MSG& msg) { return msg.hwnd == window; }),
               posted.end());
}

}  // namespace velmo_win32
