// The player's main window as a vis plug-in sees it: a Win32 window of class
// "Winamp v1.x" whose caption names the song and whose procedure answers
// Winamp's queries and keys. Win32 calls only (our POSIX layer on Linux).
#pragma once
#include <windows.h>

#include <string>

namespace velmo {

// What the window asks of the player.
class HostControls {
 public:
  virtual ~HostControls() = default;
  // Position being heard in milliseconds, or -1 when stopped.
  virtual int playPositionMs() = 0;
  // Length of the current track in seconds, or -1 when unknown.
  virtual int trackLengthSeconds() = 0;
  // 1 playing, 3 paused, 0 stopped (Winamp's answer to lParam 104).
  virtual int playState() = 0;
  // A key that reached the main window (Win32 virtual-key code).
  virtual void keyPressed(unsigned virtualKey) = 0;
  virtual void closeRequested() = 0;
};

// Fixed answers, for runs without a transport (rendering, the dialog): the
// caller sets the position as it goes; keys are ignored.
class FixedControls : public HostControls {
 public:
  int positionMs = -1;
  int lengthSeconds = -1;
  int state = 0;
  int playPositionMs() override { return positionMs; }
  int trackLengthSeconds() override { return lengthSeconds; }
  int playState() override { return state; }
  void keyPressed(unsigned) override {}
  void closeRequested() override {}
};

// Winamp's main-window queries: WM_USER with lParam as below.
constexpr LPARAM kQueryPlayState = 104;
constexpr LPARAM kQueryOutputTime = 105;  // wParam 0: position in ms; 1: length in s

constexpr const char* kHostWindowClass = "Winamp v1.x";

HWND createHostWindow(HINSTANCE instance, HostControls* controls);
void destroyHostWindow(HWND window);

// "N. Artist - Title - Winamp"; without an artist, "N. Title - Winamp".
std::string hostCaption(int playlistNumber, const std::string& artist, const std::string& title);

}  // namespace velmo
