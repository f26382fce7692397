// Creating and destroying windows, with the messages Win32 sends on the way.
#include "activation.h"
#include "thread_queue.h"
#include "window_registry.h"

#include <algorithm>

using namespace velmo_win32;

namespace {

constexpr int defaultWidth = 640;
constexpr int defaultHeight = 480;

std::vector<HWND> childrenOf(HWND parent) {
  std::vector<HWND> result;
  for (const WindowPtr& window : allWindows()) {
    if (!isTopLevel(*window) && window->parent == parent) result.push_back(window->handle);
  }
  return result;
}

std::vector<HWND> ownedBy(HWND owner) {
  std::vector<WindowPtr> owned;
  for (const WindowPtr& window : allWindows()) {
    if (isTopLevel(*window) && window->owner == owner && !window->destroying) owned.push_back(window);
  }
  // Newest first, the order Win32 walks its window list in.
  std::sort(owned.begin(), owned.end(), [](auto& a, auto& b) { return a->order > b->order; });
  std::vector<HWND> result;
  for (auto& window : owned) result.push_back(window->handle);
  return result;
}

void markDestroying(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  if (WindowPtr found = findWindow(window)) {
    found->destroying = true;
    found->visible = false;
  }
  for (HWND child : childrenOf(window)) markDestroying(child);
}

// WM_DESTROY goes to a window before its children.
void sendDestroy(HWND window) {
  callProcedure(window, WM_DESTROY, 0, 0);
  for (HWND child : childrenOf(window)) sendDestroy(child);
}

// WM_NCDESTROY goes to the children first; each handle dies after its message.
void sendNcDestroy(HWND window) {
  for (HWND child : childrenOf(window)) sendNcDestroy(child);
  WindowPtr found = findWindow(window);
  if (!found) return;
  callProcedure(window, WM_NCDESTROY, 0, 0);
  forgetFocusAndActivation(window);
  discardPostedFor(window, found->threadId);
  removeWindow(window);
}

}  // namespace

extern "C" HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                                int x, int y, int width, int height, HWND parent, HMENU menu,
                                HINSTANCE instance, LPVOID param) {
  auto windowClass = findClass(className, instance);
  if (!windowClass) windowClass = findClass(className, nullptr);
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (parent && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (child && !parent) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }

  auto window = std::make_shared<Window>();
  window->windowClass = windowClass;
  window->proc = windowClass->fields.lpfnWndProc;
  window->instance = instance ? instance : windowClass->fields.hInstance;
  // A top-level window is owned by the top-level ancestor of the window given.
  window->parent = child ? parent : nullptr;
  window->owner = child ? nullptr : (parent ? rootOf(parent) : nullptr);
  window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
  window->exStyle = exStyle;
  const bool overlapped = !child && (style & WS_POPUP) == 0;
  window->x = (x == CW_USEDEFAULT) ? 0 : x;
  window->y = (x == CW_USEDEFAULT) ? 0 : y;
  window->width = (width == CW_USEDEFAULT) ? (overlapped ? defaultWidth : 0) : std::max(width, 0);
  window->height = (width == CW_USEDEFAULT) ? (overlapped ? defaultHeight : 0) : std::max(height, 0);
  window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
  window->extraBytes.assign(static_cast<size_t>(windowClass->fields.cbWndExtra), 0);
  window->threadId = GetCurrentThreadId();
  currentQueue();  // the window's messages need somewhere to go
  const HWND handle = addWindow(window);

  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = window->instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = window->width;
  create.cy = window->height;
  create.x = window->x;
  create.y = window->y;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  if (!callProcedure(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    if (IsWindow(handle)) sendNcDestroy(handle);
    return nullptr;
  }
  // A refused creation ends the window quietly: WM_NCDESTROY only, as user32 does.
  if (callProcedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    if (IsWindow(handle)) sendNcDestroy(handle);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

extern "C" BOOL DestroyWindow(HWND window) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return FALSE;
  if (found->threadId != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);  // only the creating thread may destroy a window
    return FALSE;
  }
  bool wasActive;
  HWND owner;
  {
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    if (found->destroying) return TRUE;  // already on its way out
    wasActive = currentQueue()->active == window;
    owner = found->owner;
  }
  releaseActivation(window);
  markDestroying(window);
  forgetFocusAndActivation(window);

  // Owned windows go first, each completely; those of other threads lose their owner.
  for (HWND owned : ownedBy(window)) {
    WindowPtr ownedWindow = findWindow(owned);
    if (!ownedWindow) continue;
    if (ownedWindow->threadId == GetCurrentThreadId()) {
      DestroyWindow(owned);
    } else {
      std::lock_guard<std::recursive_mutex> lock(registryMutex());
      ownedWindow->owner = nullptr;
    }
  }

  sendDestroy(window);
  if (IsWindow(window)) sendNcDestroy(window);

  if (wasActive && owner && IsWindowVisible(owner)) activateWindow(owner);
  return TRUE;
}
