// A visualization host as Winamp-compatible players are: it loads the
// plug-in module with LoadLibraryA, takes module 0 from winampVisGetHeader,
// owns a main window whose caption carries the song and whose procedure
// answers the play-position query, and calls init, render and quit.
//
// Each host loads its own copy of vis_velmo.so from a private folder (with
// the textures beside it), so every host starts from the state of a freshly
// loaded plug-in and writes its plugin.ini where no other test looks.
#pragma once

#include <string>

#include <vis_abi.h>
#include <windows.h>

#include "temp_folder.h"

namespace hardening {

class PluginHost {
 public:
  // Loads the plug-in from outputDir (the build's output folder), copied into
  // a private folder (nested `subfolder` deep when given). Check ready() and
  // why() before use.
  explicit PluginHost(const std::string& outputDir = VELMO_OUTPUT_DIR, const std::string& subfolder = "");
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  bool ready() const { return module_ != nullptr; }
  const std::string& why() const { return why_; }
  VisModule* module() const { return module_; }
  HWND window() const { return window_; }
  const std::string& folder() const { return folder_; }

  // The plug-in's popup window (owned by our main window), or null.
  HWND popup() const;
  // Sends a key press (down and up) to the popup window, as a focused window gets it.
  void pressKey(WPARAM virtualKey) const;

  void setPlayPosition(int ms) { playMs_ = ms; }
  void setCaption(const char* caption) const { SetWindowTextA(window_, caption); }
  // A moving two-channel spectrum (a sweep with beats and noise) for frame n.
  void fillSpectrum(long frame) const;

  // Dispatches every message waiting for this thread; false if WM_QUIT was among them.
  static bool pumpMessages();

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  velmo_test::TempFolder root_{"velmo-host"};
  std::string folder_;  // where the plug-in and its files lie
  std::string why_;
  HMODULE library_ = nullptr;
  VisModule* module_ = nullptr;
  HWND window_ = nullptr;
  int playMs_ = 83000;
};

// Resident set size of this process in kilobytes.
long residentKilobytes();

}  // namespace hardening
