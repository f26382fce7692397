// Window captions and the default window procedure.
#include "window_registry.h"

#include <algorithm>
#include <cstring>

using namespace velmo_win32;

namespace {

// Copies at most size-1 bytes and always terminates; returns the bytes copied.
int copyBounded(const std::string& text, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  const int count = std::min(static_cast<int>(text.size()), size - 1);
  std::memcpy(buffer, text.data(), static_cast<size_t>(count));
  buffer[count] = '\0';
  return count;
}

std::string storedText(const WindowPtr& window) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  return window->text;
}

// Copies the caption under the lock without a temporary string: hosts read
// the caption every frame, and the frame path allocates nothing.
int copyStoredText(const WindowPtr& window, LPSTR buffer, int size) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  return copyBounded(window->text, buffer, size);
}

void storeText(HWND handle, LPCSTR text) {
  std::lock_guard<std::recursive_mutex> lock(registryMutex());
  if (WindowPtr window = findWindow(handle)) window->text = text ? text : "";
}

}  // namespace

extern "C" LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName)) {
        storeText(window, create->lpszName);
      }
      return TRUE;
    }
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SETTEXT:
      storeText(window, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return copyStoredText(found, reinterpret_cast<LPSTR>(lParam),
                            static_cast<int>(std::min<WPARAM>(wParam, 0x7fffffff)));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(storedText(found).size());
    case WM_ACTIVATE:
      // A window being activated takes the keyboard focus.
      if (LOWORD(wParam) != WA_INACTIVE && found->threadId == GetCurrentThreadId()) {
        SetFocus(window);
      }
      return 0;
    default:
      return 0;
  }
}

// Windows of this thread are asked through WM_GETTEXT; a window of another
// thread has its stored caption read directly, so a render thread never waits
// on a busy window thread.
extern "C" int GetWindowTextA(HWND window, LPSTR text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = '\0';
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  if (found->threadId == GetCurrentThreadId()) {
    const LRESULT copied = SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                        reinterpret_cast<LPARAM>(text));
    return static_cast<int>(std::clamp<LRESULT>(copied, 0, maxCount - 1));
  }
  return copyStoredText(found, text, maxCount);
}

extern "C" int GetWindowTextLengthA(HWND window) {
  WindowPtr found = findWindowOrFail(window);
  if (!found) return 0;
  if (found->threadId == GetCurrentThreadId()) {
    return static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  }
  return static_cast<int>(storedText(found).size());
}

extern "C" BOOL SetWindowTextA(HWND window, LPCSTR text) {
  if (!findWindowOrFail(window)) return FALSE;
  return SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}
