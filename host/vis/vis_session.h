// One plug-in driven as Winamp drives it: our main window, the plug-in loaded
// from its file, init / render per frame / quit, its frames handed to the
// player as our Glide presents them, and keys delivered as Win32 messages.
#pragma once
#include <windows.h>
#include <velmo_glide.h>

#include <functional>
#include <string>

#include "audio/spectrum.h"
#include "output/frame.h"
#include "vis/host_window.h"
#include "vis/vis_loader.h"

namespace velmo {

class VisSession {
 public:
  using FrameHandler = std::function<void(const Frame&)>;

  VisSession() = default;
  ~VisSession();
  VisSession(const VisSession&) = delete;
  VisSession& operator=(const VisSession&) = delete;

  // Creates the main window and loads the plug-in. False with `error` when the
  // window cannot be made or the file is not a vis plug-in.
  bool open(const std::string& pluginPath, HostControls* controls, std::string* error);
  // Receives every frame the plug-in shows (our Glide's presenter). Without
  // a handler our Glide hands no frame over, and can finish drawing one
  // while the plug-in goes on to the next.
  void onFrame(FrameHandler handler);

  // Starts a display run (init); the display stays open until stop() or the
  // plug-in closes it (Escape). False, with `error` naming the plug-in, when
  // its init refuses: as in Winamp, such a plug-in is neither rendered nor
  // quit, and the session stays stopped.
  bool start(int sampleRate, int channels, std::string* error);
  // One frame: the spectrum into the module, then render.
  void render(const SpectrumBytes& spectrum);
  void stop();
  // The plug-in's configuration dialog, owned by our main window. False when
  // the plug-in has none.
  bool configure();
  bool running() const { return running_; }
  // The plug-in closed its display while running (Escape): stop() follows.
  bool displayClosed() const { return displayClosed_; }

  // Dispatches the messages waiting for our windows; notes a quit message,
  // which the plug-in posts when its display window is destroyed.
  void pumpMessages();
  // A key as Windows would deliver it: to the window with the keyboard focus,
  // the plug-in's display when it has one, else our main window.
  void deliverKey(UINT message, WPARAM virtualKey, LPARAM param);

  // The main window's caption, given in UTF-8, as the plug-in reads it: in
  // Windows-1252.
  void setCaption(const std::string& caption);
  int latencyMs() const;
  const char* description() const;

 private:
  HWND keyTarget() const;
  static void FX_CALL presentFrame(const FxU32* pixels, int width, int height, int stride,
                                   int swapInterval, void* user);

  LoadedVis vis_;
  std::string pluginPath_;
  HWND hostWindow_ = nullptr;
  bool running_ = false;
  bool displayClosed_ = false;
  FrameHandler frameHandler_;
};

}  // namespace velmo
