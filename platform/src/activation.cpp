// Showing windows, activation and keyboard focus.
#include "activation.h"

#include "thread_queue.h"
#include "window_registry.h"

using namespace velmo_win32;

namespace {

HWND foregroundWindow = nullptr;  // guarded by registryMutex()

bool isSelfOrDescendant(HWND ancestor, HWND window) {
  return window && (window == ancestor || IsChild(ancestor, window));
}

std::shared_ptr<ThreadQueue> queueOfWindow(HWND window) {
  WindowPtr found = findWindow(window);
  return found ? queueOf(found->threadId) : nullptr;
}

HWND changeFocus(ThreadQueue& queue, HWND window) {
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    old = queue.focus;
    if (old == window) return old;
    queue.focus = window;
  }
  if (old && IsWindow(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window && IsWindow(window)) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND deactivate(ThreadQueue& queue) {
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    old = queue.active;
    queue.active = nullptr;
    if (foregroundWindow == old) foregroundWindow = nullptr;
  }
  if (old && IsWindow(old)) {
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  }
  HWND focus;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    focus = queue.focus;
  }
  if (old && isSelfOrDescendant(old, focus)) changeFocus(queue, nullptr);
  return old;
}

}  // namespace

namespace velmo_win32 {

HWND activateWindow(HWND window) {
  auto queue = queueOfWindow(window);
  if (!queue) return nullptr;
  HWND old;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    old = queue->active;
    if (old == window) return old;
    queue->active = window;
    foregroundWindow = window;
  }
  if (old && IsWindow(old)) {
    SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(window));
  }
  // DefWindowProcA answers WA_ACTIVE by taking the focus, as on Win32.
  SendMessageA(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
  return old;
}

bool releaseActivation(HWND window) {
  auto queue = queueOfWindow(window);
  if (!queue) return false;
  HWND focus, active;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    focus = queue->focus;
    active = queue->active;
  }
  if (active == window) {
    deactivate(*queue);
    return true;
  }
  if (isSelfOrDescendant(window, focus)) changeFocus(*queue, nullptr);
  return false;
}

void forgetFocusAndActivation(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindow(window);
  if (!found) return;
  auto queue = queueOf(found->threadId);
  if (!queue) return;
  if (isSelfOrDescendant(window, queue->focus)) queue->focus = nullptr;
  if (queue->active == window) queue->active = nullptr;
  if (foregroundWindow == window) foregroundWindow = nullptr;
}

}  // namespace velmo_win32

extern "C" BOOL ShowWindow(HWND window, int command) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return FALSE;
  bool wasVisible;
  HWND owner;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    wasVisible = found->visible;
    owner = found->owner;
  }
  if (command == SW_HIDE) {
    if (!wasVisible) return FALSE;
    SendMessageA(window, WM_SHOWWINDOW, FALSE, 0);
    {
      std::lock_guard<std::recursive_mutex> lock(registryMutex());
      found->visible = false;
    }
    // A hidden active window hands the activation on to its owner.
    if (releaseActivation(window) && owner && IsWindowVisible(owner)) activateWindow(owner);
    return TRUE;
  }

  // Showing a window that is already visible changes nothing, activation included.
  if (wasVisible) return TRUE;
  SendMessageA(window, WM_SHOWWINDOW, TRUE, 0);
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    found->visible = true;
  }
  const bool activates = command != SW_SHOWNOACTIVATE && command != SW_SHOWNA &&
                         command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
  if (activates && isTopLevel(*found) && IsWindow(window)) activateWindow(window);
  return FALSE;
}

extern "C" BOOL UpdateWindow(HWND window) { return IsWindow(window); }

extern "C" HWND GetFocus(void) {
  auto queue = currentQueue();
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  return queue->focus;
}

extern "C" HWND SetFocus(HWND window) {
  auto queue = currentQueue();
  if (!window) return changeFocus(*queue, nullptr);
  WindowPtr found = findWindowOrFail(window);
  if (!found || found->threadId != GetCurrentThreadId()) return nullptr;
  const HWND root = rootOf(window);
  HWND active;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    active = queue->active;
  }
  if (active != root) activateWindow(root);
  return changeFocus(*queue, window);
}

extern "C" HWND GetActiveWindow(void) {
  auto queue = currentQueue();
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  return queue->active;
}

extern "C" HWND SetActiveWindow(HWND window) {
  auto queue = currentQueue();
  if (!window) return deactivate(*queue);
  WindowPtr found = findWindowOrFail(window);
  if (!found || found->threadId != GetCurrentThreadId()) return nullptr;
  return activateWindow(rootOf(window));
}

extern "C" HWND GetForegroundWindow(void) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  return foregroundWindow;
}

extern "C" BOOL SetForegroundWindow(HWND window) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return FALSE;
  activateWindow(rootOf(window));
  return TRUE;
}
