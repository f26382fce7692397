// The player's main window and its procedure.
#include "vis/host_window.h"

namespace velmo {
namespace {

// One main window per process, as in Winamp.
HostControls* windowControls = nullptr;

LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  HostControls* controls = windowControls;
  switch (message) {
    case WM_USER:
      if (!controls) break;
      if (lParam == kQueryOutputTime) {
        return wParam == 0 ? controls->playPositionMs() : controls->trackLengthSeconds();
      }
      if (lParam == kQueryPlayState) return controls->playState();
      return 0;
    case WM_KEYDOWN:
      if (controls) controls->keyPressed(static_cast<unsigned>(wParam));
      return 0;
    case WM_CLOSE:
      if (controls) controls->closeRequested();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND createHostWindow(HINSTANCE instance, HostControls* controls) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = hostWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHostWindowClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  windowControls = controls;
  HWND window = CreateWindowExA(0, kHostWindowClass, "Winamp", WS_OVERLAPPED, 0, 0, 275, 116,
                                nullptr, nullptr, instance, nullptr);
  if (!window) windowControls = nullptr;
  return window;
}

void destroyHostWindow(HWND window) {
  if (window) DestroyWindow(window);
  windowControls = nullptr;
}

std::string hostCaption(int playlistNumber, const std::string& artist, const std::string& title) {
  std::string caption = std::to_string(playlistNumber) + ". ";
  if (!artist.empty()) caption += artist + " - ";
  return caption + title + " - Winamp";
}

}  // namespace velmo
