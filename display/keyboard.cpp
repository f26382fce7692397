// The popup window's procedure: platform keys, Escape, and the rest of the
// keyboard passed on to the host's window.
#include <glide.h>

#include "display/display.h"

float platformHeightAdjust;
float platformDepthAdjust;

static const float platformStep = 1.05f;

LRESULT CALLBACK displayWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      if (window == displayWindow) displayWindow = 0;
      if (!displayClosing) PostQuitMessage(0);
      return 0;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_ESCAPE:
          displayOpen = 0;
          DestroyWindow(displayWindow);
          grGlideShutdown();
          return 0;
        case 'A':
          platformHeightAdjust += platformStep;
          return 0;
        case 'D':
          platformHeightAdjust -= platformStep;
          return 0;
        case 'F':
          platformDepthAdjust += platformStep;
          return 0;
        case 'G':
          platformDepthAdjust -= platformStep;
          return 0;
      }
      // Posted, not sent: the host handles its keys in its own time.
      PostMessageA(hostModule->parentWindow, WM_KEYDOWN, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
      PostMessageA(hostModule->parentWindow, WM_KEYUP, wParam, lParam);
      return DefWindowProcA(window, message, wParam, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
