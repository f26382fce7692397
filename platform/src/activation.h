// Internal: the active window and keyboard focus of each thread.
#ifndef VELMO_WIN32_ACTIVATION_H
#define VELMO_WIN32_ACTIVATION_H

#include <windows.h>

namespace velmo_win32 {

// Makes a top-level window the active one of its thread, sending WM_ACTIVATE
// to the window losing activation and then to the one gaining it.
HWND activateWindow(HWND window);

// Takes activation and focus away from a window being hidden or destroyed,
// with the messages Win32 sends then (WM_ACTIVATE inactive, WM_KILLFOCUS).
// Returns whether the window was the active one.
bool releaseActivation(HWND window);

// Clears focus and activation that rest on a window being destroyed,
// without messages: the window is past hearing them.
void forgetFocusAndActivation(HWND window);

}  // namespace velmo_win32

#endif
