// What the user does to the picture window: keys go on to the program's
// window, whose procedure acts on them as on the board, where the program
// kept the keyboard; closing the picture is Escape there; Alt+Enter and a
// double-click switch full screen.
#include "present_window_win32.h"

namespace glide {
namespace {

// Posted, as the keyboard itself posts them: the program handles its keys
// from its own message loop, which also makes their characters, never from
// inside ours (Escape takes this window down).
bool forwardKey(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND target = pictureWindow().keyTarget;
  if (!target || !IsWindow(target)) return false;
  PostMessageA(target, message, wParam, lParam);
  return true;
}

// Close box, Alt+F4: the program ends the picture its own way, on Escape.
// With nobody to tell, the window just goes.
void closeByUser(HWND window) {
  const LPARAM escape = 1 | LPARAM(MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC)) << 16;
  if (!forwardKey(WM_KEYDOWN, VK_ESCAPE, escape)) DestroyWindow(window);
}

// A key, handed on or acted on here; false for DefWindowProc to have it.
bool keyHandled(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSKEYDOWN:
      if (wParam == VK_RETURN) {  // Alt+Enter, not its auto-repeat
        if (!(lParam & (LPARAM(1) << 30))) setFullScreen(!pictureWindow().fullScreen);
        return true;
      }
      if (wParam == VK_F4) return false;  // Alt+F4: WM_CLOSE
      return forwardKey(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
      return forwardKey(message, wParam, lParam);
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_DEADCHAR:
    case WM_SYSDEADCHAR:
      return pictureWindow().keyTarget != nullptr;  // made again from the forwarded keys
  }
  return false;
}

}  // namespace

LRESULT CALLBACK pictureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto& p = pictureWindow();
  if (message >= WM_KEYFIRST && message <= WM_KEYLAST && keyHandled(message, wParam, lParam)) return 0;
  switch (message) {
    case WM_LBUTTONDBLCLK:
      setFullScreen(!p.fullScreen);
      return 0;
    case WM_CLOSE:
      closeByUser(window);
      return 0;
    case WM_SIZE:
      if (window == p.window) layoutPicture();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (window == p.window) paintPicture(dc, true);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_SETCURSOR:
      if (p.fullScreen && LOWORD(lParam) == HTCLIENT) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = POINT{200, 150};
      return 0;
    case WM_DESTROY:
      // With its owner (the plug-in's popup on Escape), or by closeByUser.
      if (window == p.window) {
        p.window = nullptr;
        p.source = nullptr;
      }
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace glide
