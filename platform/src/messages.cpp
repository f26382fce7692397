// Posting, sending, retrieving and dispatching messages.
#include "thread_queue.h"
#include "window_registry.h"

using namespace velmo_win32;

namespace {

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  return msg;
}

bool postTo(ThreadQueue& queue, const MSG& msg) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (!queue.alive) return false;
  queue.posted.push_back(msg);
  ++queue.changes;
  queue.wake.notify_all();
  return true;
}

// Win32's filter: a window and its children, thread messages only (-1), or
// everything (null); a message range, or everything when both bounds are 0.
bool passesFilter(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window == reinterpret_cast<HWND>(-1)) {
    if (msg.hwnd) return false;
  } else if (window && msg.hwnd != window && !IsChild(window, msg.hwnd)) {
    return false;
  }
  if (filterMin == 0 && filterMax == 0) return true;
  if (filterMin <= filterMax) return msg.message >= filterMin && msg.message <= filterMax;
  return msg.message >= filterMin || msg.message <= filterMax;  // Win32's wrapped range
}

// Looks for a posted message, then for the quit flag, which Win32 reports
// only once no other posted message is waiting.
bool takePosted(ThreadQueue& queue, MSG* out, HWND window, UINT filterMin, UINT filterMax,
                bool remove, unsigned long long* seen = nullptr) {
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (seen) *seen = queue.changes;
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!passesFilter(*it, window, filterMin, filterMax)) continue;
    *out = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  if (queue.quitPending) {
    *out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quitPending = false;
    return true;
  }
  return false;
}

bool validFilterWindow(HWND window) {
  return !window || window == reinterpret_cast<HWND>(-1) || IsWindow(window);
}

}  // namespace

extern "C" BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window) return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
  WindowPtr found = findWindowOrFail(window);
  if (!found) return FALSE;
  auto queue = queueOf(found->threadId);
  if (!queue || !postTo(*queue, makeMessage(window, message, wParam, lParam))) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

extern "C" BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  auto queue = threadId == GetCurrentThreadId() ? currentQueue() : queueOf(threadId);
  if (!queue || !postTo(*queue, makeMessage(nullptr, message, wParam, lParam))) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

extern "C" void PostQuitMessage(int exitCode) {
  auto queue = currentQueue();
  std::lock_guard<std::mutex> lock(queue->mutex);
  queue->quitPending = true;
  queue->quitCode = exitCode;
  ++queue->changes;
  queue->wake.notify_all();
}

// Same thread: a plain call. Another thread: queued for it, and while this
// thread waits it keeps answering messages sent to it, so two threads sending
// to each other do not deadlock.
extern "C" LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  if (found->threadId == GetCurrentThreadId()) {
    return callProcedure(window, message, wParam, lParam);
  }
  auto target = queueOf(found->threadId);
  if (!target) return 0;
  auto self = currentQueue();
  auto sent = std::make_shared<SentMessage>();
  sent->window = window;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = self;
  {
    std::lock_guard<std::mutex> lock(target->mutex);
    if (!target->alive) return 0;
    target->incoming.push_back(sent);
    target->wake.notify_all();
  }
  for (;;) {
    processIncomingSent(*self);
    std::unique_lock<std::mutex> lock(self->mutex);
    self->wake.wait(lock, [&] { return sent->done || !self->incoming.empty(); });
    if (sent->done) return sent->result;
  }
}

extern "C" BOOL InSendMessage(void) { return currentQueue()->receivingSent > 0; }

extern "C" BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return -1;
  }
  if (!validFilterWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  auto queue = currentQueue();
  for (;;) {
    processIncomingSent(*queue);
    unsigned long long seen = 0;
    if (takePosted(*queue, msg, window, filterMin, filterMax, true, &seen)) {
      return msg->message != WM_QUIT;
    }
    std::unique_lock<std::mutex> lock(queue->mutex);
    queue->wake.wait(lock, [&] { return !queue->incoming.empty() || queue->changes != seen; });
  }
}

extern "C" BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax,
                             UINT removeMsg) {
  if (!msg) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (!validFilterWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  auto queue = currentQueue();
  processIncomingSent(*queue);
  return takePosted(*queue, msg, window, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0);
}

extern "C" LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  WindowPtr found = findWindowOrFail(msg->hwnd);
  if (!found) return 0;
  if (found->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);  // a thread dispatches only to its own windows
    return 0;
  }
  return callProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

extern "C" LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
  return proc ? proc(window, message, wParam, lParam) : 0;
}
