// Internal: the process-wide tables of window classes and windows.
//
// Handles are numbers handed out once and never reused, so a stale HWND is
// recognised (IsWindow) and never dereferenced. Every field below is guarded by
// registryMutex(); window procedures are always called with it released.
#ifndef VELMO_WIN32_WINDOW_REGISTRY_H
#define VELMO_WIN32_WINDOW_REGISTRY_H

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace velmo_win32 {

struct WindowClass {
  std::string name;  // as registered
  ATOM atom = 0;
  WNDCLASSA fields{};
  int windowCount = 0;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;  // WS_CHILD windows only
  HWND owner = nullptr;   // top-level windows only
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;  // relative to the parent's client area
  std::string text;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;  // the control id of a child window
  std::vector<unsigned char> extraBytes;
  DWORD threadId = 0;
  bool visible = false;
  bool destroying = false;
  unsigned long long order = 0;  // creation order, for z-order and enumeration
};

using WindowPtr = std::shared_ptr<Window>;

std::recursive_mutex& registryMutex();

// Lookups take the lock themselves; the result stays usable after the window
// is destroyed, but then no longer appears in the registry.
WindowPtr findWindow(HWND window);
// Sets ERROR_INVALID_WINDOW_HANDLE when the handle is not a live window.
WindowPtr findWindowOrFail(HWND window);
// Snapshot of every live window in creation order.
std::vector<WindowPtr> allWindows();

HWND addWindow(const WindowPtr& window);
void removeWindow(HWND window);

// Case-insensitive class lookup; instance 0 matches any instance.
std::shared_ptr<WindowClass> findClass(LPCSTR nameOrAtom, HINSTANCE instance);

bool isTopLevel(const Window& window);
HWND rootOf(HWND window);

// Calls the window's current procedure directly (no lock held).
LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace velmo_win32

#endif
