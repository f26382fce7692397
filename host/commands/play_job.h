// The picture in a window with the sound on the speakers: files, the demo
// track or live input, paced at the plug-in's 75 frames a second.
//
// Keys pressed in the window go to the plug-in's display window as Win32 key
// messages (Escape, F, G, A, D are its own; it passes the rest on to our main
// window, which answers Winamp's keys: Z previous, X play, C pause, V stop,
// B next, left/right seek 5 s, up/down volume, plus space to pause and Q to
// quit). F11 toggles fullscreen. Escape closes the plug-in's display as in
// Winamp: the music goes on, the window shows black, Enter opens the display
// again and Q quits.
#pragma once
#include <atomic>
#include <string>
#include <vector>

namespace velmo {

struct PlayJob {
  std::string pluginPath;
  std::vector<std::string> files;  // empty: the demo track
  bool live = false;
  std::string captureDevice;  // empty: the monitor of the default output, else the default input
  bool followPlayer = true;   // live: the desktop player's song, time and state
  int scale = 1;
  bool fullscreen = false;
  bool dither = false;
  bool mute = false;       // picture only, on a clock
  double maxSeconds = -1;  // quit after this long (for demos and tests)
  // Set (by a signal handler) to quit as Q does.
  const std::atomic<bool>* stop = nullptr;
};

// Returns the exit status (messages already printed): 128 + the signal when
// one ended the session.
int runPlayJob(const PlayJob& job);

}  // namespace velmo
