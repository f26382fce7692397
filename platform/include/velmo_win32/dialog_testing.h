// Test access to the dialogs of the POSIX layer. Tests drive a dialog with
// the ordinary Win32 calls (BM_CLICK, WM_COMMAND, IsDlgButtonChecked ...)
// from a hook that runs inside DialogBoxParamA.
#pragma once
#include <windows.h>

typedef void (*VelmoDialogHook)(HWND dialog, void* context);

extern "C" {
// Called once for every dialog, after WM_INITDIALOG and after the dialog is
// shown, before its modal loop; nullptr removes the hook. Whatever the hook
// posts to the dialog is handled by the loop. Without a display, a dialog
// that is still open once the hook has returned and its messages are
// handled is cancelled, as if Escape had been pressed.
void velmoSetDialogHook(VelmoDialogHook hook, void* context);
// A click by the user: BM_CLICK, but only when the control would get the
// mouse, that is when it and its parents are visible and enabled. Returns
// whether the click reached the control.
BOOL velmoUserClick(HWND control);
// TRUE: never open a toolkit window, even with a display.
void velmoSetDialogHeadless(BOOL headless);
}
