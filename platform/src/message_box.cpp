// MessageBoxA: to standard error always; answered by a test handler, the
// VELMO_MSGBOX variable, the system's own box (message_box_*.cpp) when it can
// show one, or else at once with the default button.
#include <windows.h>

#include "message_box_backend.h"
#include "velmo_win32/testing.h"

#include <strings.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace velmo_win32::message_box {

std::vector<int> buttonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

int defaultAnswer(UINT type) {
  const auto buttons = buttonsOf(type);
  const size_t index = (type >> 8) & 0xF;  // MB_DEFBUTTON1..3
  return index < buttons.size() ? buttons[index] : buttons.front();
}

int dismissAnswer(UINT type) {
  const auto buttons = buttonsOf(type);
  for (int button : buttons) {
    if (button == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons.front() : 0;
}

}  // namespace velmo_win32::message_box

namespace {

using namespace velmo_win32::message_box;

std::atomic<VelmoMessageBoxHandler> installedHandler{nullptr};

int answerFromEnvironment(UINT type) {
  const char* setting = std::getenv("VELMO_MSGBOX");
  if (!setting || !*setting) return 0;
  static const struct {
    const char* name;
    int answer;
  } answers[] = {{"ok", IDOK}, {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES}, {"no", IDNO}};
  for (const auto& entry : answers) {
    if (strcasecmp(setting, entry.name) == 0) return entry.answer;
  }
  return defaultAnswer(type);  // "default" and anything unknown
}

}  // namespace

extern "C" VelmoMessageBoxHandler velmoSetMessageBoxHandler(VelmoMessageBoxHandler handler) {
  return installedHandler.exchange(handler);
}

extern "C" int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (!text) text = "";
  if (!caption) caption = "Error";  // Win32's caption when none is given
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  if (VelmoMessageBoxHandler handler = installedHandler.load()) {
    return handler(owner, text, caption, type);
  }
  if (const int answer = answerFromEnvironment(type)) return answer;
  if (const int answer = showToUser(text, caption, type)) return answer;
  return defaultAnswer(type);
}
