// Questions about windows: existence, relations, geometry and window data.
#include "text_compare.h"
#include "window_registry.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

using namespace velmo_win32;

namespace {

constexpr DWORD ERROR_INVALID_INDEX = 1413;

// Windows sharing a parent (or all top-level ones) in z-order: top-level
// windows newest first, child windows oldest first, as Win32 links them.
std::vector<WindowPtr> siblingsOf(const Window& window) {
  std::vector<WindowPtr> result;
  const bool topLevel = isTopLevel(window);
  for (const WindowPtr& other : allWindows()) {
    if (isTopLevel(*other) == topLevel && (topLevel || other->parent == window.parent)) {
      result.push_back(other);
    }
  }
  if (topLevel) std::reverse(result.begin(), result.end());
  return result;
}

std::vector<HWND> topLevelInZOrder() {
  std::vector<HWND> result;
  auto windows = allWindows();
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    if (isTopLevel(**it)) result.push_back((*it)->handle);
  }
  return result;
}

void screenOrigin(const Window& window, LONG& x, LONG& y) {
  x = window.x;
  y = window.y;
  WindowPtr parent = isTopLevel(window) ? nullptr : findWindow(window.parent);
  while (parent) {
    x += parent->x;
    y += parent->y;
    parent = isTopLevel(*parent) ? nullptr : findWindow(parent->parent);
  }
}

}  // namespace

extern "C" BOOL IsWindow(HWND window) { return findWindow(window) ? TRUE : FALSE; }

extern "C" BOOL IsWindowVisible(HWND window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr current = findWindow(window);
  if (!current) return FALSE;
  while (current) {
    if (!current->visible) return FALSE;
    if (isTopLevel(*current)) return TRUE;
    current = findWindow(current->parent);
  }
  return FALSE;
}

extern "C" BOOL IsChild(HWND parent, HWND window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr current = findWindow(window);
  while (current && !isTopLevel(*current)) {
    if (current->parent == parent) return TRUE;
    current = findWindow(current->parent);
  }
  return FALSE;
}

extern "C" HWND GetWindow(HWND window, UINT command) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found) return nullptr;
  switch (command) {
    case GW_OWNER:
      return found->owner;
    case GW_CHILD:
      for (const WindowPtr& other : allWindows()) {
        if (!isTopLevel(*other) && other->parent == window) return other->handle;
      }
      return nullptr;
    case GW_HWNDFIRST:
    case GW_HWNDLAST:
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
      auto siblings = siblingsOf(*found);
      if (command == GW_HWNDFIRST) return siblings.front()->handle;
      if (command == GW_HWNDLAST) return siblings.back()->handle;
      auto at = std::find(siblings.begin(), siblings.end(), found) - siblings.begin();
      if (command == GW_HWNDNEXT) {
        return at + 1 < static_cast<long>(siblings.size()) ? siblings[at + 1]->handle : nullptr;
      }
      return at > 0 ? siblings[at - 1]->handle : nullptr;
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

// A child's parent, a popup's owner, nothing for other top-level windows.
extern "C" HWND GetParent(HWND window) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return nullptr;
  if (!isTopLevel(*found)) return found->parent;
  return (found->style & WS_POPUP) ? found->owner : nullptr;
}

extern "C" HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  for (HWND handle : topLevelInZOrder()) {
    WindowPtr window = findWindow(handle);
    if (!window) continue;
    std::lock_guard<std::recursive_mutex> lock(registryMutex());
    if (className) {
      const bool byAtom = IS_INTRESOURCE(className);
      if (byAtom ? window->windowClass->atom != reinterpret_cast<uintptr_t>(className)
                 : !equalsIgnoringCase(window->windowClass->name, className)) {
        continue;
      }
    }
    if (windowName && !equalsIgnoringCase(window->text, windowName)) continue;
    return handle;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

extern "C" BOOL EnumWindows(WNDENUMPROC callback, LPARAM param) {
  if (!callback) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (HWND handle : topLevelInZOrder()) {
    if (IsWindow(handle) && !callback(handle, param)) return FALSE;
  }
  return TRUE;
}

extern "C" DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return found->threadId;
}

// Our windows have no frame, so the client area is the whole window.
extern "C" BOOL GetWindowRect(HWND window, LPRECT rect) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found || !rect) return FALSE;
  screenOrigin(*found, rect->left, rect->top);
  rect->right = rect->left + found->width;
  rect->bottom = rect->top + found->height;
  return TRUE;
}

extern "C" BOOL GetClientRect(HWND window, LPRECT rect) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found || !rect) return FALSE;
  *rect = RECT{0, 0, found->width, found->height};
  return TRUE;
}

extern "C" BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found) return FALSE;
  found->x = x;
  found->y = y;
  found->width = std::max(width, 0);
  found->height = std::max(height, 0);
  return TRUE;
}

extern "C" LONG_PTR GetWindowLongPtrA(HWND window, int index) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > found->extraBytes.size()) {
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
    }
    LONG_PTR value;
    std::memcpy(&value, found->extraBytes.data() + index, sizeof value);
    return value;
  }
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(found->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(found->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(isTopLevel(*found) ? found->owner : found->parent);
    case GWLP_ID: return found->id;
    case GWL_STYLE: return static_cast<LONG>(found->style | (found->visible ? WS_VISIBLE : 0));
    case GWL_EXSTYLE: return static_cast<LONG>(found->exStyle);
    case GWLP_USERDATA: return found->userData;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
  }
}

extern "C" LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  const LONG_PTR previous = GetWindowLongPtrA(window, index);
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > found->extraBytes.size()) return 0;
    std::memcpy(found->extraBytes.data() + index, &value, sizeof value);
    return previous;
  }
  switch (index) {
    case GWLP_WNDPROC: found->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_HINSTANCE: found->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_HWNDPARENT:
      if (isTopLevel(*found)) found->owner = reinterpret_cast<HWND>(value);
      break;
    case GWLP_ID: found->id = value; break;
    case GWL_STYLE:
      found->style = static_cast<DWORD>(value) & ~static_cast<DWORD>(WS_VISIBLE);
      break;
    case GWL_EXSTYLE: found->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: found->userData = value; break;
    default: return 0;
  }
  return previous;
}

extern "C" LONG GetWindowLongA(HWND window, int index) {
  return static_cast<LONG>(GetWindowLongPtrA(window, index));
}

extern "C" LONG SetWindowLongA(HWND window, int index, LONG value) {
  return static_cast<LONG>(SetWindowLongPtrA(window, index, value));
}
