// SDL key events as Win32 keyboard messages: virtual-key codes and the
// lParam bits (repeat count, scan code, previous state, transition).
#pragma once
#include <SDL.h>

#include <windows.h>

namespace velmo {

// 0 for a key Win32 has no virtual-key code for here.
unsigned virtualKeyFor(SDL_Keycode key);
// lParam of the WM_KEYDOWN / WM_KEYUP that Windows would send for `event`.
LPARAM keyMessageParam(const SDL_KeyboardEvent& event);

}  // namespace velmo
