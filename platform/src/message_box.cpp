// MessageBoxA: to standard error always; answered by a test handler, the
// VELMO_MSGBOX variable, a GTK box when there is a display, or else at once
// with the default button.
#include <windows.h>

#include "thread_queue.h"
#include "velmo_win32/testing.h"

#include <gtk/gtk.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

using namespace velmo_win32;

namespace {

std::atomic<VelmoMessageBoxHandler> installedHandler{nullptr};

// The buttons of each MB_ type, in order, as their answers.
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

// What closing the box without a button gives: Cancel where there is one.
int dismissAnswer(UINT type) {
  const auto buttons = buttonsOf(type);
  for (int button : buttons) {
    if (button == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons.front() : 0;
}

int answerFromEnvironment(UINT type) {
  const char* setting = std::getenv("VELMO_MSGBOX");
  if (!setting || !*setting) return 0;
  static const struct {
    const char* name;
    int answer;
  } answers[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT}, {"retry", IDRETRY},
                 {"ignore", IDIGNORE}, {"yes", IDYES},       {"no", IDNO}};
  for (const auto& entry : answers) {
    if (strcasecmp(setting, entry.name) == 0) return entry.answer;
  }
  return defaultAnswer(type);  // "default" and anything unknown
}

bool displayPresent() {
  static std::once_flag once;
  static bool present = false;
  std::call_once(once, [] {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((x11 && *x11) || (wayland && *wayland)) present = gtk_init_check(nullptr, nullptr);
  });
  return present;
}

const char* buttonLabel(int answer) {
  switch (answer) {
    case IDOK: return "_OK";
    case IDCANCEL: return "_Cancel";
    case IDABORT: return "_Abort";
    case IDRETRY: return "_Retry";
    case IDIGNORE: return "_Ignore";
    case IDYES: return "_Yes";
    case IDNO: return "_No";
    default: return "?";
  }
}

GtkMessageType iconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return GTK_MESSAGE_ERROR;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONEXCLAMATION: return GTK_MESSAGE_WARNING;
    case MB_ICONASTERISK: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

// While the box is up this thread still answers messages other threads send
// it, as Win32's modal loop does.
gboolean answerSentMessages(gpointer) {
  processIncomingSent(*currentQueue());
  return G_SOURCE_CONTINUE;
}

int showGtkBox(LPCSTR text, LPCSTR caption, UINT type) {
  static std::mutex gtkUse;  // one box at a time: GTK is not thread-safe
  std::lock_guard<std::mutex> lock(gtkUse);
  GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, iconOf(type),
                                             GTK_BUTTONS_NONE, "%s", text);
  gtk_window_set_title(GTK_WINDOW(dialog), caption);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  for (int answer : buttonsOf(type)) {
    gtk_dialog_add_button(GTK_DIALOG(dialog), buttonLabel(answer), answer);
  }
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), defaultAnswer(type));
  const guint pump = g_timeout_add(10, answerSentMessages, nullptr);
  const int response = gtk_dialog_run(GTK_DIALOG(dialog));
  g_source_remove(pump);
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
  return response > 0 ? response : dismissAnswer(type);
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
  if (displayPresent()) return showGtkBox(text, caption, type);
  return defaultAnswer(type);
}
