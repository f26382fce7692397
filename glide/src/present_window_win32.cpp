// glide2x.dll's own window on Windows: each swapped frame is stretched into
// it with GDI, aspect kept, so the picture can be seen without a board. It
// opens as large as the frame (smaller where the screen is) or full screen,
// and can be resized. Window=0 / VELMO_GLIDE_WINDOW=0 turns it off.
#include "present_window_win32.h"

#include <cstring>

#include "context.h"
#include "present.h"

namespace glide {
namespace {

const char kClassName[] = "VelmoGlideFrame";
const char kTitle[] = "Glide 2 (software)";

// The class belongs to this DLL, not to the program, and goes with the
// window: a player that unloads and loads us again gets a class whose
// procedure is where the DLL now is.
HINSTANCE dllInstance() {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&pictureWndProc), &self);
  return self;
}

// The window given to grSstWinOpen, or, given 0, the one that has this
// thread's keyboard (the program's own window, as the board left it).
HWND keyTargetFor(FxU32 owner) {
  if (owner) return reinterpret_cast<HWND>(static_cast<uintptr_t>(owner));
  if (HWND focus = GetFocus()) return focus;
  return GetActiveWindow();
}

// The windowed placement: client area the frame's size, shrunk with its
// shape kept to the work area of the key target's monitor, centred there.
RECT windowedRect(HWND nearby, int width, int height) {
  const RECT work = monitorRect(nearby, true);
  RECT border = {0, 0, 0, 0};
  AdjustWindowRectEx(&border, kWindowedStyle, FALSE, 0);
  const int borderWidth = border.right - border.left, borderHeight = border.bottom - border.top;
  const int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  const PictureRect client = shrinkToFit(width, height, workWidth - borderWidth, workHeight - borderHeight);
  const int w = client.width + borderWidth, h = client.height + borderHeight;
  const int x = work.left + (workWidth - w) / 2, y = work.top + (workHeight - h) / 2;
  return RECT{x, y, x + w, y + h};
}

LONGLONG counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

// The board shows a frame after swapInterval retraces of a 75 Hz display:
// at most one frame a period, on a steady beat. Timed by the performance
// counter (GetTickCount moves in steps of up to 16 ms under Wine, which let
// frames through early), waited out in whole milliseconds, which
// timeBeginPeriod(1) makes Sleep keep.
void pace(int swapInterval) {
  auto& p = pictureWindow();
  if (swapInterval <= 0) {
    p.due = 0;
    return;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const LONGLONG period = frequency.QuadPart * swapInterval / 75;
  LONGLONG now = counter();
  if (p.due != 0 && now < p.due) {
    Sleep(DWORD((p.due - now) * 1000 / frequency.QuadPart));
    now = counter();
  }
  // On the beat: the next one period after this one's; late by a period or
  // more: one period from now.
  p.due = (p.due != 0 && now < p.due + period) ? p.due + period : now + period;
}

void pumpMessages(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

PictureWindow& pictureWindow() {
  static PictureWindow state;
  return state;
}

RECT monitorRect(HWND window, bool workArea) {
  HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)
                            : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info;
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return workArea ? info.rcWork : info.rcMonitor;
}

int autoScale(int width, int height, FxU32 owner) {
  const Settings& settings = context().settings;
  if (!settings.window) return 1;
  HWND nearby = keyTargetFor(owner);
  RECT area = settings.fullScreen ? monitorRect(nearby, false) : windowedRect(nearby, width, height);
  if (!settings.fullScreen) {
    RECT border = {0, 0, 0, 0};
    AdjustWindowRectEx(&border, kWindowedStyle, FALSE, 0);
    area = RECT{area.left - border.left, area.top - border.top, area.right - border.right, area.bottom - border.bottom};
  }
  return scaleToCover(width, height, area.right - area.left, area.bottom - area.top, kMaxScale);
}

void layoutPicture() {
  auto& p = pictureWindow();
  RECT client;
  if (!p.window || !GetClientRect(p.window, &client)) return;
  p.shown = fitPicture(p.frameWidth, p.frameHeight, client.right, client.bottom);
  const int buffers = int(!p.halved[0].empty()) + int(!p.halved[1].empty());
  p.halvings = halvingsFor(p.frameWidth, p.frameHeight, p.shown, buffers);
  InvalidateRect(p.window, nullptr, FALSE);  // the bars, once
}

void paintPicture(HDC dc, bool bars) {
  const auto& p = pictureWindow();
  const PictureRect& r = p.shown;
  if (bars) {
    RECT client;
    GetClientRect(p.window, &client);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    const RECT around[4] = {{0, 0, client.right, r.y},
                            {0, r.y + r.height, client.right, client.bottom},
                            {0, r.y, r.x, r.y + r.height},
                            {r.x + r.width, r.y, client.right, r.y + r.height}};
    for (const RECT& bar : around)
      if (bar.right > bar.left && bar.bottom > bar.top) FillRect(dc, &bar, black);
    if (!p.source) {
      const RECT picture = {r.x, r.y, r.x + r.width, r.y + r.height};
      FillRect(dc, &picture, black);
    }
  }
  if (!p.source) return;
  const int width = p.sourceInfo.bmiHeader.biWidth, height = -p.sourceInfo.bmiHeader.biHeight;
  if (r.width == width && r.height == height) {
    SetDIBitsToDevice(dc, r.x, r.y, DWORD(r.width), DWORD(r.height), 0, 0, 0, UINT(height), p.source,
                      &p.sourceInfo, DIB_RGB_COLORS);
  } else {
    StretchDIBits(dc, r.x, r.y, r.width, r.height, 0, 0, width, height, p.source, &p.sourceInfo,
                  DIB_RGB_COLORS, SRCCOPY);
  }
}

void setFullScreen(bool on) {
  auto& p = pictureWindow();
  if (!p.window || on == p.fullScreen) return;
  const LONG_PTR style = GetWindowLongPtrA(p.window, GWL_STYLE);
  if (on) {
    p.placement.length = sizeof p.placement;
    GetWindowPlacement(p.window, &p.placement);
    const RECT screen = monitorRect(p.window, false);
    SetWindowLongPtrA(p.window, GWL_STYLE, (style & ~LONG_PTR(kWindowedStyle)) | kFullScreenStyle);
    SetWindowPos(p.window, HWND_TOP, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top, SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  } else {
    SetWindowLongPtrA(p.window, GWL_STYLE, (style & ~LONG_PTR(kFullScreenStyle)) | kWindowedStyle);
    SetWindowPlacement(p.window, &p.placement);
    SetWindowPos(p.window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
  p.fullScreen = on;
  layoutPicture();
}

void openOwnWindow(int width, int height, FxU32 owner) {
  auto& p = pictureWindow();
  if (!context().settings.window || p.window) return;
  HINSTANCE instance = dllInstance();
  WNDCLASSA wc;
  std::memset(&wc, 0, sizeof wc);
  wc.style = CS_OWNDC | CS_DBLCLKS;  // one DC keeps its stretch mode; double-click: full screen
  wc.lpfnWndProc = pictureWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when a window of ours is still registered

  p = PictureWindow{};
  p.keyTarget = keyTargetFor(owner);
  p.frameWidth = width;
  p.frameHeight = height;
  if (width >= 2 * 640) p.halved[0].assign(size_t(width / 2) * size_t(height / 2), 0);
  if (width >= 4 * 640) p.halved[1].assign(size_t(width / 4) * size_t(height / 4), 0);
  BITMAPINFOHEADER& header = p.sourceInfo.bmiHeader;
  header.biSize = sizeof header;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;

  // Owned by the program's window: always above it (the plug-in's own popup
  // would otherwise cover the picture) and gone with it.
  HWND ownerWindow = p.keyTarget ? GetAncestor(p.keyTarget, GA_ROOT) : nullptr;
  const RECT rect = windowedRect(p.keyTarget, width, height);
  p.window = CreateWindowExA(0, kClassName, kTitle, kWindowedStyle, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, ownerWindow, nullptr,
                             instance, nullptr);
  if (!p.window) return;
  HDC dc = GetDC(p.window);
  // Pixels repeated or dropped: HALFTONE's averaging cost 22 to 30 ms a frame
  // full screen under Wine; frames twice as large as shown are averaged by
  // halving them first.
  SetStretchBltMode(dc, COLORONCOLOR);
  ReleaseDC(p.window, dc);
  if (context().settings.fullScreen) setFullScreen(true);
  layoutPicture();
  // The keyboard stays where it is; a click on the picture gives it the keys,
  // which it hands on.
  ShowWindow(p.window, SW_SHOWNOACTIVATE);
  p.timerPeriodSet = timeBeginPeriod(1) == TIMERR_NOERROR;
}

bool ownWindowOpen() { return pictureWindow().window != nullptr; }

void showInOwnWindow(const FxU32* pixels, int width, int height, int swapInterval) {
  auto& p = pictureWindow();
  if (!p.window || width != p.frameWidth || height != p.frameHeight) return;
  int w = width, h = height;
  for (int i = 0; i < p.halvings; ++i) {
    halvePicture(pixels, w, h, p.halved[i].data());
    pixels = p.halved[i].data();
    w /= 2;
    h /= 2;
  }
  p.source = pixels;
  p.sourceInfo.bmiHeader.biWidth = w;
  p.sourceInfo.bmiHeader.biHeight = -h;  // top row first
  HDC dc = GetDC(p.window);
  if (dc) {
    paintPicture(dc, false);
    ReleaseDC(p.window, dc);
  }
  pumpMessages(p.window);
  pace(swapInterval);
}

void closeOwnWindow() {
  auto& p = pictureWindow();
  if (p.window) DestroyWindow(p.window);  // its WM_DESTROY forgets it
  if (p.timerPeriodSet) timeEndPeriod(1);
  p = PictureWindow{};
  UnregisterClassA(kClassName, dllInstance());
}

}  // namespace glide
