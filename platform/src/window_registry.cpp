// The process-wide tables of window classes and windows.
#include "window_registry.h"

#include "text_compare.h"

#include <map>

namespace velmo_win32 {
namespace {

struct Registry {
  std::recursive_mutex mutex;
  std::map<uintptr_t, WindowPtr> windows;
  // Handles start high and step by 4 like user32's; never reused.
  uintptr_t nextHandle = 0x10020;
  unsigned long long nextOrder = 1;
};

Registry& registry() {
  static Registry* instance = new Registry;  // outlives every thread
  return *instance;
}

}  // namespace

std::recursive_mutex& registryMutex() { return registry().mutex; }

WindowPtr findWindow(HWND window) {
  auto& reg = registry();
  std::lock_guard<std::recursive_mutex> lock(reg.mutex);
  auto found = reg.windows.find(reinterpret_cast<uintptr_t>(window));
  return found == reg.windows.end() ? nullptr : found->second;
}

WindowPtr findWindowOrFail(HWND window) {
  WindowPtr found = findWindow(window);
  if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return found;
}

std::vector<WindowPtr> allWindows() {
  auto& reg = registry();
  std::lock_guard<std::recursive_mutex> lock(reg.mutex);
  std::vector<WindowPtr> result;
  result.reserve(reg.windows.size());
  for (auto& entry : reg.windows) result.push_back(entry.second);
  return result;
}

HWND addWindow(const WindowPtr& window) {
  auto& reg = registry();
  std::lock_guard<std::recursive_mutex> lock(reg.mutex);
  const uintptr_t value = reg.nextHandle;
  reg.nextHandle += 4;
  window->handle = reinterpret_cast<HWND>(value);
  window->order = reg.nextOrder++;
  reg.windows[value] = window;
  if (window->windowClass) ++window->windowClass->windowCount;
  return window->handle;
}

void removeWindow(HWND window) {
  auto& reg = registry();
  std::lock_guard<std::recursive_mutex> lock(reg.mutex);
  auto found = reg.windows.find(reinterpret_cast<uintptr_t>(window));
  if (found == reg.windows.end()) return;
  if (found->second->windowClass) --found->second->windowClass->windowCount;
  reg.windows.erase(found);
}

bool isTopLevel(const Window& window) { return (window.style & WS_CHILD) == 0; }

HWND rootOf(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr current = findWindow(window);
  while (current && !isTopLevel(*current)) {
    WindowPtr parent = findWindow(current->parent);
    if (!parent) break;
    current = parent;
  }
  return current ? current->handle : nullptr;
}

LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    WindowPtr found = findWindow(window);
    if (!found) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    proc = found->proc;
  }
  return proc ? proc(window, message, wParam, lParam) : 0;
}

}  // namespace velmo_win32
