// glide2x.dll's own window: each swapped frame is drawn into it with GDI,
// so the picture can be seen under Windows (or Wine) without a board.
// VELMO_GLIDE_WINDOW=0 turns it off.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "present.h"

namespace glide {
namespace {

const char kClassName[] = "VelmoGlideFrame";
HWND frameWindow = nullptr;
bool classRegistered = false;
DWORD lastSwapTicks = 0;

LRESULT CALLBACK frameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;  // closed with the Glide context only
  return DefWindowProcA(window, message, wParam, lParam);
}

bool windowWanted() {
  const char* value = std::getenv("VELMO_GLIDE_WINDOW");
  return !(value && std::strcmp(value, "0") == 0);
}

void pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, frameWindow, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

void openOwnWindow(int width, int height) {
  if (!windowWanted() || frameWindow) return;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!classRegistered) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = frameWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    classRegistered = RegisterClassA(&wc) != 0;
    if (!classRegistered) return;
  }
  RECT rect = {0, 0, width, height};
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_MINIMIZEBOX;
  AdjustWindowRect(&rect, style, FALSE);
  frameWindow = CreateWindowExA(0, kClassName, "Glide 2 (software)", style | WS_VISIBLE,
                                CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                                rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
  lastSwapTicks = GetTickCount();
}

bool ownWindowOpen() { return frameWindow != nullptr; }

void showInOwnWindow(const FxU32* pixels, int width, int height, int swapInterval) {
  if (!frameWindow) return;
  BITMAPINFO info;
  std::memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(frameWindow);
  if (dc) {
    SetDIBitsToDevice(dc, 0, 0, DWORD(width), DWORD(height), 0, 0, 0, UINT(height), pixels, &info,
                      DIB_RGB_COLORS);
    ReleaseDC(frameWindow, dc);
  }
  pumpMessages();
  // The board shows the frame after swapInterval retraces of a 75 Hz display.
  if (swapInterval > 0) {
    DWORD due = DWORD(swapInterval) * 1000u / 75u;
    DWORD elapsed = GetTickCount() - lastSwapTicks;
    if (elapsed < due) Sleep(due - elapsed);
  }
  lastSwapTicks = GetTickCount();
}

void closeOwnWindow() {
  if (frameWindow) {
    DestroyWindow(frameWindow);
    frameWindow = nullptr;
  }
}

}  // namespace glide
