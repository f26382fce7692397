// Internal: GTK, started once per process for message boxes and dialogs.
#pragma once

namespace velmo_win32 {

// True when a display is there (DISPLAY or WAYLAND_DISPLAY) and GTK started
// on it. The first call starts GTK; later ones give the same answer.
bool gtkStarted();

}  // namespace velmo_win32
