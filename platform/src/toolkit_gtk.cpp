// GTK, started once per process, and only when there is a display to show on.
#include "toolkit_gtk.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <mutex>

namespace velmo_win32 {

bool gtkStarted() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 && *x11) || (wayland && *wayland)) started = gtk_init_check(nullptr, nullptr);
  });
  return started;
}

}  // namespace velmo_win32
