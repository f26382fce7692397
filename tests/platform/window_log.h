// A window class for tests that records every message its windows receive,
// in order and with the receiving thread, and then behaves as DefWindowProcA.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace platform_test {

struct LoggedMessage {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD threadId;
};

// Registers the class once per process; returns its name.
const char* loggingClass();

// All messages recorded since the last clear, and helpers to read them.
std::vector<LoggedMessage> loggedMessages();
void clearLog();
// "window:message" pairs with windows named by the given labels, for
// comparing whole sequences; messages of unlabelled windows are left out.
std::vector<std::string> describeLog(const std::vector<std::pair<HWND, std::string>>& labels,
                                     const std::vector<UINT>& messages);

// An answer for one message, replacing DefWindowProcA for it, for every window
// of the class; cleared by clearLog().
void answerWith(UINT message, std::function<LRESULT(HWND, WPARAM, LPARAM)> answer);

HWND createLogged(const char* title, DWORD style, HWND parent, int x = 0, int y = 0, int width = 100,
                  int height = 80);

}  // namespace platform_test
