// Hooks of the POSIX Win32 layer for tests and headless runs; not part of
// Win32.
//
// MessageBoxA always writes "caption: text" to standard error. It then asks,
// in this order: the handler set here; the VELMO_MSGBOX environment variable
// ("ok", "cancel", "abort", "retry", "ignore", "yes", "no", or "default" for
// the box's default button); a real GTK message box when a display is there;
// and otherwise answers with the default button without waiting.
#ifndef VELMO_WIN32_TESTING_H
#define VELMO_WIN32_TESTING_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef int (*VelmoMessageBoxHandler)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Installs a handler that answers every message box (null removes it);
// returns the previous one.
VelmoMessageBoxHandler velmoSetMessageBoxHandler(VelmoMessageBoxHandler handler);

#ifdef __cplusplus
}
#endif

#endif
