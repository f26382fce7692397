// glide2x.dll's picture window on Windows: its state, shared by the file that
// opens it and draws each frame (present_window_win32.cpp) and the one that
// handles what the user does to it (window_input_win32.cpp).
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <vector>

#include "glide.h"
#include "picture_fit.h"

namespace glide {

struct PictureWindow {
  HWND window = nullptr;
  // Gets the keys typed in the picture: the program's window, as the board
  // left the keyboard with the program.
  HWND keyTarget = nullptr;
  bool fullScreen = false;
  WINDOWPLACEMENT placement{};  // where the window was before full screen
  int frameWidth = 0, frameHeight = 0;
  PictureRect shown;  // the frame's place in the client area
  // A frame much larger than shown is halved first (the scale 2 to 4 frames
  // in a smaller window), into buffers sized when the window opens.
  int halvings = 0;
  std::vector<FxU32> halved[2];
  // What is stretched into shown: the last frame, maybe halved; kept for
  // repainting.
  const FxU32* source = nullptr;
  BITMAPINFO sourceInfo{};
  bool timerPeriodSet = false;  // timeBeginPeriod(1) while the window is open
  LONGLONG due = 0;             // performance-counter time the next frame may be shown; 0: now
};

PictureWindow& pictureWindow();

constexpr DWORD kWindowedStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kFullScreenStyle = WS_POPUP;

// The rectangle of the monitor a window is on (nearest when it is on none);
// its work area (without the task bar) when workArea.
RECT monitorRect(HWND window, bool workArea);
// Switches between a window and borderless full screen on its monitor.
void setFullScreen(bool on);
// Recomputes where the frame goes after the client area changed.
void layoutPicture();
// Paints the black bars and the last frame (WM_PAINT).
void paintPicture(HDC dc, bool bars);

LRESULT CALLBACK pictureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace glide
