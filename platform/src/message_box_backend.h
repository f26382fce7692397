// Internal: what MessageBoxA's common part and its backends (a GTK box on
// the desktop, a modal in the web page) share.
#pragma once
#include <windows.h>

#include <vector>

namespace velmo_win32::message_box {

// The buttons of each MB_ type, in order, as their answers.
std::vector<int> buttonsOf(UINT type);
// The answer of the box's default button (MB_DEFBUTTON1..3).
int defaultAnswer(UINT type);
// What closing the box without a button gives: Cancel where there is one.
int dismissAnswer(UINT type);

// Shows the box to the user and waits for the answer. 0 when this system has
// no way to show it (no display), and the caller answers for the user.
int showToUser(LPCSTR text, LPCSTR caption, UINT type);

}  // namespace velmo_win32::message_box
